// The order of names in a compound file's directory.
#include <unicode/uchar.h>

#include "win32/storage/compound_file.h"

namespace vtplatform::cfb {
namespace {

// The format upper-cases every UTF-16 unit on its own with the simple mapping; a surrogate half
// stays as it is, and so does a unit whose upper case would lie outside the basic plane.
char16_t upper_case_unit(char16_t unit) {
  const UChar32 upper = u_toupper(unit);
  return upper <= 0xFFFF ? static_cast<char16_t>(upper) : unit;
}

}  // namespace

int compare_names(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const char16_t upper_a = upper_case_unit(a[i]);
    const char16_t upper_b = upper_case_unit(b[i]);
    if (upper_a != upper_b) return upper_a < upper_b ? -1 : 1;
  }
  return 0;
}

}  // namespace vtplatform::cfb
