// Fuzzes natural-order comparison: any two texts compare without fault, the order is
// antisymmetric, and sort keys agree with it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "vtutils/logical_compare.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/text.h"
#include "vtutils/platform/win32_types.h"

namespace {

std::string sort_key(const CStringW& text) {
  const DWORD flags = LCMAP_SORTKEY | SORT_DIGITSASNUMBERS;
  const int length = LCMapStringEx(nullptr, flags, text, -1, nullptr, 0, nullptr, nullptr, 0);
  std::string key(static_cast<std::size_t>(length), '\0');
  LCMapStringEx(nullptr, flags, text, -1, reinterpret_cast<LPWSTR>(key.data()), length, nullptr,
                nullptr, 0);
  return key;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Two NUL-terminated texts, split at the first NUL of the input.
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string first = input.substr(0, input.find('\0'));
  const std::string second =
      first.size() < input.size() ? input.substr(first.size() + 1) : std::string();

  const vtuLogicalStringLess less;
  const bool forward = less(first.c_str(), second.c_str());
  const bool backward = less(second.c_str(), first.c_str());
  if (forward && backward) __builtin_trap();
  if (vtuLogicalStringEquals()(first.c_str(), second.c_str()) != (!forward && !backward)) {
    __builtin_trap();
  }
  const CStringW wide_first(first.c_str());
  const CStringW wide_second(second.c_str());
  const int key_order = sort_key(wide_first).compare(sort_key(wide_second));
  if ((key_order < 0) != forward || (key_order > 0) != backward) __builtin_trap();
  return 0;
}
