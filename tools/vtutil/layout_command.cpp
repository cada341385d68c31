// vtutil layout: the installation layout as the library sees it from this program, one
// "key: value" line each: layout, application, root, file, lib, sys.
#include <cstdio>

#include "commands.h"
#include "vtutils/layout.h"
#include "vtutils/platform/unicode_strings.h"
#include "vtutils/string_converter.h"

namespace {

void print_path(const char* key, const apPathName& path) {
  if (path.invalid()) {
    std::printf("%s: (invalid)\n", key);
    return;
  }
  std::printf("%s: %s\n", key, vtuStringConverter::mfc_str(path.string()).GetString());
}

void run_layout() {
  std::printf("layout: %s\n", vtu_is_distri_layout() ? "distribution" : "development");
  std::printf("application: %s\n", vtu_get_main_application_folder().GetString());
  print_path("root", vtuBrenPath::root());
  print_path("file", vtuBrenPath::file());
  print_path("lib", vtuBrenPath::lib());
  print_path("sys", vtuBrenPath::sys());
}

}  // namespace

void add_layout_command(CLI::App& app) {
  app.add_subcommand("layout",
                     "Show the installation layout (distribution or development), the "
                     "application folder and the root folder with its file, lib and sys")
      ->callback(run_layout);
}
