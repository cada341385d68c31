// Comparison of names that ignores the case of ASCII letters only, as the registry and INI files
// compare key, section and value names: other bytes, those of every non-ASCII character of the
// ANSI code page included, must match exactly.
#pragma once

#include <algorithm>
#include <string_view>

namespace vtplatform {

inline char ascii_lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool same_name(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return ascii_lower(x) == ascii_lower(y);
         });
}

}  // namespace vtplatform
