// A program that prints what the library says about the installation layout, one "key: value"
// line each, and whether the library joined the framework's resource chain as it loaded. The
// layout is decided once per process, so tests ask it in fresh processes of this program, loading
// the library from the folder that LD_LIBRARY_PATH names.
#include <cstdio>

#include "vtplatform/mfc/string_table.h"
#include "vtutils/layout.h"
#include "vtutils/platform/processes.h"
#include "vtutils/platform/win32_types.h"
#include "vtutils/string_converter.h"

namespace {

void print_path(const char* key, const apPathName& path) {
  std::printf("%s: %s\n", key, vtuStringConverter::mfc_str(path.string()).GetString());
}

}  // namespace

int main() {
  char library[MAX_PATH] = {};
  GetModuleFileNameA(GetModuleHandleA("libVTUtils"), library, MAX_PATH);
  std::printf("library: %s\n", library);
  std::printf("layout: %s\n", vtu_is_distri_layout() ? "distribution" : "development");
  std::printf("application: %s\n", vtu_get_main_application_folder().GetString());
  print_path("root", vtuBrenPath::root());
  print_path("file", vtuBrenPath::file());
  print_path("lib", vtuBrenPath::lib());
  print_path("sys", vtuBrenPath::sys());
  // The program's own table has no such string: only the library's, found through the chain.
  const CModuleStringTable strings(GetModuleHandleA("libVTUtils"), {{62001, "joined"}});
  CString chain("not joined");
  chain.LoadString(62001);
  std::printf("resource chain: %s\n", chain.GetString());
  return 0;
}
