// An application's first use of VTUtils: convert a name between the string types.
#include <vtutils/vtutils.h>

#include <cstdio>

int main() {
  const CString name("Bohrung 12");
  const apString unicode = vtuStringConverter::ap_str(name);
  const CString back = vtuStringConverter::mfc_str(unicode);
  std::printf("%s -> %s\n", name.GetString(), back.GetString());
  return back.Compare(name) == 0 ? 0 : 1;
}
