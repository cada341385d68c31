// Parsing of code page names given to vtutil.
#include "code_page_argument.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "vtutils/platform/text.h"

std::optional<UINT> parse_code_page(const std::string& name) {
  std::string key = name;
  std::transform(key.begin(), key.end(), key.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (key == "acp") return CP_ACP;
  if (key == "utf-8" || key == "utf8") return CP_UTF8;
  for (const char* prefix : {"windows-", "cp"}) {
    if (key.starts_with(prefix)) {
      key.erase(0, std::char_traits<char>::length(prefix));
      break;
    }
  }
  UINT id = 0;
  const auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), id);
  if (error != std::errc() || end != key.data() + key.size() || key.empty()) return std::nullopt;
  return id;
}
