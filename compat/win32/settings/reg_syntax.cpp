// The line syntax of ".reg" text: parsing and writing headers, values and continued hex lists.
#include "win32/settings/reg_syntax.h"

#include <algorithm>
#include <cstdio>

#include "vtplatform/win32/registry.h"
#include "win32/text/ansi_text.h"

namespace vtplatform {
namespace {

// Hex lists are wrapped as regedit wraps them: a line is continued once it reaches this width.
constexpr std::size_t kWrapColumn = 77;

bool is_space(char c) { return c == ' ' || c == '\t'; }

std::string_view trim_front(std::string_view text) {
  while (!text.empty() && is_space(text.front())) text.remove_prefix(1);
  return text;
}

std::string_view trim_back(std::string_view text) {
  while (!text.empty() && is_space(text.back())) text.remove_suffix(1);
  return text;
}

bool consume_prefix(std::string_view& text, std::string_view prefix) {
  if (text.size() < prefix.size() || !same_name(text.substr(0, prefix.size()), prefix))
    return false;
  text.remove_prefix(prefix.size());
  return true;
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = ascii_lower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The number that 1 to `max_digits` hex digits spell, or nothing.
std::optional<DWORD> parse_hex_number(std::string_view digits, std::size_t max_digits) {
  if (digits.empty() || digits.size() > max_digits) return std::nullopt;
  DWORD number = 0;
  for (char c : digits) {
    const int digit = hex_digit(c);
    if (digit < 0) return std::nullopt;
    number = number << 4 | static_cast<DWORD>(digit);
  }
  return number;
}

// Reads a quoted string with '\\' and '\"' escapes from the front of `text` and removes it. A
// character of two bytes is copied whole: its trail byte may be a '\\' that escapes nothing.
std::optional<std::string> take_quoted(std::string_view& text) {
  if (text.empty() || text.front() != '"') return std::nullopt;
  const AnsiText characters(text);
  std::string result;
  for (std::size_t i = 1; i < text.size();) {
    if (text[i] == '"') {
      text.remove_prefix(i + 1);
      return result;
    }
    if (text[i] == '\\') {
      if (++i == text.size() || (text[i] != '\\' && text[i] != '"')) return std::nullopt;
    }
    const std::size_t end = characters.next(i);
    result.append(text.substr(i, end - i));
    i = end;
  }
  return std::nullopt;  // unterminated
}

// The bytes of a comma-separated list of two-digit hex numbers; an empty list is no bytes.
std::optional<std::string> parse_hex_bytes(std::string_view list) {
  std::string bytes;
  if (trim_front(list).empty()) return bytes;
  for (;;) {
    const std::size_t comma = list.find(',');
    const auto byte = parse_hex_number(trim_back(trim_front(list.substr(0, comma))), 2);
    if (!byte) return std::nullopt;
    bytes.push_back(static_cast<char>(*byte));
    if (comma == std::string_view::npos) return bytes;
    list.remove_prefix(comma + 1);
  }
}

// Reads a value's name ('@' or a quoted string) and the '=' after it from the front of `line`,
// and removes them with the blanks around the data.
std::optional<std::string> take_name(std::string_view& line) {
  line = trim_front(line);
  std::optional<std::string> name;
  if (!line.empty() && line.front() == '@') {
    line.remove_prefix(1);
    name.emplace();
  } else {
    name = take_quoted(line);
  }
  line = trim_front(line);
  if (!name || line.empty() || line.front() != '=') return std::nullopt;
  line = trim_back(trim_front(line.substr(1)));
  return name;
}

bool continues(std::string_view line) {
  line = trim_back(line);
  return !line.empty() && line.back() == '\\';
}

// Whether `line` can be the continuation of a hex list: hex digits, commas and blanks only.
bool is_hex_continuation(std::string_view line) {
  line = trim_back(line);
  if (continues(line)) line.remove_suffix(1);
  return !trim_front(line).empty() && std::all_of(line.begin(), line.end(), [](char c) {
    return hex_digit(c) >= 0 || c == ',' || is_space(c);
  });
}

std::string quote(std::string_view text) {
  const AnsiText characters(text);
  std::string quoted = "\"";
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = characters.next(at);
    if (end - at == 1 && (text[at] == '\\' || text[at] == '"')) quoted.push_back('\\');
    quoted.append(text.substr(at, end - at));
    at = end;
  }
  quoted.push_back('"');
  return quoted;
}

}  // namespace

std::vector<std::string_view> split_reg_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    while (line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

std::string join_reg_line(const std::vector<std::string_view>& lines, std::size_t at,
                          std::size_t& count) {
  std::string logical(lines[at]);
  count = 1;
  if (!has_reg_hex_list(lines[at])) return logical;
  while (continues(logical) && at + count < lines.size() &&
         is_hex_continuation(lines[at + count])) {
    logical = std::string(trim_back(logical));
    logical.pop_back();
    logical += trim_front(lines[at + count++]);
  }
  return logical;
}

bool is_reg_header(std::string_view line) { return trim_front(line).starts_with('['); }

std::optional<RegHeader> parse_reg_header(std::string_view line) {
  line = trim_back(trim_front(line));
  if (line.size() < 3 || line.front() != '[' || !AnsiText(line).has_char_at(line.size() - 1, ']'))
    return std::nullopt;
  RegHeader header;
  line = line.substr(1, line.size() - 2);
  if (line.starts_with('-')) {
    header.deletes = true;
    line.remove_prefix(1);
  }
  if (line.empty()) return std::nullopt;
  header.path = std::string(line);
  return header;
}

std::optional<RegValue> parse_reg_value(std::string_view line) {
  RegValue value;
  if (auto name = take_name(line)) {
    value.name = std::move(*name);
  } else {
    return std::nullopt;
  }
  if (auto text = take_quoted(line)) {
    if (!line.empty()) return std::nullopt;
    value.type = REG_SZ;
    value.data = std::move(*text);
    value.data.push_back('\0');
    return value;
  }
  if (consume_prefix(line, "dword:")) {
    const auto number = parse_hex_number(line, 8);
    if (!number) return std::nullopt;
    value.type = REG_DWORD;
    for (int shift = 0; shift < 32; shift += 8) {
      value.data.push_back(static_cast<char>(*number >> shift));
    }
    return value;
  }
  if (consume_prefix(line, "hex:")) {
    value.type = REG_BINARY;
  } else if (consume_prefix(line, "hex(")) {
    const std::size_t close = line.find("):");
    const auto type = parse_hex_number(line.substr(0, close), 8);
    if (close == std::string_view::npos || !type) return std::nullopt;
    value.type = *type;
    line.remove_prefix(close + 2);
  } else {
    return std::nullopt;
  }
  auto bytes = parse_hex_bytes(line);
  if (!bytes) return std::nullopt;
  value.data = std::move(*bytes);
  return value;
}

std::optional<std::string> parse_reg_deletion(std::string_view line) {
  auto name = take_name(line);
  if (!name || line != "-") return std::nullopt;
  return name;
}

bool has_reg_hex_list(std::string_view line) {
  return take_name(line) && consume_prefix(line, "hex");
}

bool fits_reg_quotes(const RegValue& value) {
  return value.type == REG_SZ && !value.data.empty() &&
         value.data.find_first_of(std::string_view("\0\r\n", 3)) == value.data.size() - 1 &&
         value.data.back() == '\0' &&
         !AnsiText(std::string_view(value.data).substr(0, value.data.size() - 1))
              .ends_in_lead_byte();
}

std::string format_reg_value(const RegValue& value) {
  std::string line = value.name.empty() ? "@=" : quote(value.name) + "=";
  char number[16];
  if (fits_reg_quotes(value)) {
    return line + quote(std::string_view(value.data).substr(0, value.data.size() - 1));
  }
  if (value.type == REG_DWORD && value.data.size() == 4) {
    DWORD dword = 0;
    for (int i = 3; i >= 0; --i) dword = dword << 8 | static_cast<unsigned char>(value.data[i]);
    std::snprintf(number, sizeof number, "dword:%08x", dword);
    return line + number;
  }
  if (value.type == REG_BINARY) {
    line += "hex:";
  } else {
    std::snprintf(number, sizeof number, "hex(%x):", value.type);
    line += number;
  }
  std::size_t line_start = 0;
  for (std::size_t i = 0; i < value.data.size(); ++i) {
    std::snprintf(number, sizeof number, "%02x", static_cast<unsigned char>(value.data[i]));
    line += number;
    if (i + 1 == value.data.size()) break;
    line += ',';
    if (line.size() - line_start >= kWrapColumn) {
      line += "\\\n  ";
      line_start = line.size() - 2;
    }
  }
  return line;
}


std::string format_reg_deletion(std::string_view name) {
  return (name.empty() ? std::string("@") : quote(name)) + "=-";
}

}  // namespace vtplatform
