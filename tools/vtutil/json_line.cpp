// One JSON object on one line, for vtutil's --json output.
#include "json_line.h"

#include <cstdio>
#include <string>

#include "command_failure.h"
#include "vtutils/platform/text.h"

namespace {

void append_code_point(std::string& json, char32_t c) {
  if (c == '"' || c == '\\') {
    json += '\\';
    json += static_cast<char>(c);
  } else if (c < 0x20 || (c >= 0xD800 && c <= 0xDFFF)) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
    json += escape;
  } else if (c < 0x80) {
    json += static_cast<char>(c);
  } else if (c < 0x800) {
    json += static_cast<char>(0xC0 | (c >> 6));
    json += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    json += static_cast<char>(0xE0 | (c >> 12));
    json += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    json += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    json += static_cast<char>(0xF0 | (c >> 18));
    json += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    json += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    json += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// `text` as a JSON string: its characters in the code page, or, when it is not valid text there,
// its bytes with those above 0x7F as lone surrogates. wchar_t holds whole code points here, so no
// surrogate pairs arise.
std::string quoted(std::string_view text) {
  std::string json = "\"";
  std::wstring wide(text.size(), L'\0');
  const int length =
      MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                          wide.data(), static_cast<int>(wide.size()));
  if (length > 0 || text.empty()) {
    wide.resize(static_cast<std::size_t>(length));
    for (const wchar_t c : wide) append_code_point(json, static_cast<char32_t>(c));
  } else {
    for (const char c : text) {
      const auto byte = static_cast<unsigned char>(c);
      append_code_point(json, byte < 0x80 ? byte : 0xDC00 + byte);
    }
  }
  return json + '"';
}

}  // namespace

JsonLine& JsonLine::member(std::string_view key, std::string_view json) {
  members_ += members_.empty() ? "{" : ",";
  members_ += quoted(key);
  members_ += ':';
  members_ += json;
  return *this;
}

JsonLine& JsonLine::text(std::string_view key, std::string_view value) {
  return member(key, quoted(value));
}

JsonLine& JsonLine::text(std::string_view key, std::wstring_view value) {
  std::string json = "\"";
  for (const wchar_t c : value) append_code_point(json, static_cast<char32_t>(c));
  return member(key, json + '"');
}

JsonLine& JsonLine::number(std::string_view key, long long value) {
  return member(key, std::to_string(value));
}

JsonLine& JsonLine::real(std::string_view key, double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", value);
  return member(key, text);
}

JsonLine& JsonLine::boolean(std::string_view key, bool value) {
  return member(key, value ? "true" : "false");
}

CLI::Option* add_json_flag(CLI::App* command, bool& json) {
  return command->add_flag("--json", json,
                           "One JSON object per line instead of text (names in UTF-8, bytes that "
                           "are no text as \\udc80-\\udcff)");
}

void JsonLine::write(const char* command) const {
  write_output(command, (members_.empty() ? std::string("{") : members_) + "}\n");
}
