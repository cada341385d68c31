// Names as vtutil prints them in its text output.
#include "escaped.h"

#include <cstdio>

#include "vtutils/platform/text.h"

bool valid_text(std::string_view text) {
  return text.empty() || MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(),
                                             static_cast<int>(text.size()), nullptr, 0) > 0;
}

std::string escaped(std::string_view name) {
  const bool text = valid_text(name);
  std::string result;
  result.reserve(name.size());
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '\n': result += "\\n"; continue;
      case '\t': result += "\\t"; continue;
      case '\r': result += "\\r"; continue;
      default: break;
    }
    if (byte < 0x20 || byte == 0x7F || (byte > 0x7F && !text)) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", byte);
      result += hex;
    } else {
      result += c;
    }
  }
  return result;
}
