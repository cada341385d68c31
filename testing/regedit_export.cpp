// Regedit files as Windows writes them.
#include "testing/regedit_export.h"

namespace vtutils::testing {

std::string utf16_regedit_file(std::u16string_view text) {
  std::string bytes = "\xff\xfe";
  const auto append = [&bytes](char16_t unit) {
    bytes.push_back(static_cast<char>(unit & 0xff));
    bytes.push_back(static_cast<char>(unit >> 8));
  };
  for (const char16_t unit : text) {
    if (unit == u'\n') append(u'\r');
    append(unit);
  }
  return bytes;
}

}  // namespace vtutils::testing
