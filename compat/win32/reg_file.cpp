// Parsing and writing the registry's ".reg" text store.
#include "win32/reg_file.h"

#include <algorithm>
#include <cstdio>

#include "vtplatform/win32/registry.h"
#include "win32/ansi_text.h"

namespace vtplatform {
namespace {

constexpr std::string_view kVersionHeader = "Windows Registry Editor Version 5.00";
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

// The value that one logical line (continuations joined) holds, or nothing.
std::optional<RegValue> parse_value(std::string_view line) {
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

// Whether the data of a value line is a hex list, which may continue on the next lines.
bool starts_hex_list(std::string_view line) {
  return take_name(line) && consume_prefix(line, "hex");
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

// The key path of a section header "[path]", or nothing; "[-path]" deletes a key on import and
// names none here.
std::optional<std::string> parse_header(std::string_view line) {
  line = trim_back(trim_front(line));
  if (line.size() < 3 || line.front() != '[' || !AnsiText(line).has_char_at(line.size() - 1, ']') ||
      line[1] == '-') {
    return std::nullopt;
  }
  return std::string(line.substr(1, line.size() - 2));
}

std::vector<std::string_view> split_lines(std::string_view text) {
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

// Whether a REG_SZ value can be written as "text": one terminator at the end and no other NUL,
// no line break, and no lead byte at the end that would take the closing quote for its trail
// byte, none of which the quoted form can hold.
bool fits_quoted(const RegValue& value) {
  return value.type == REG_SZ && !value.data.empty() &&
         value.data.find_first_of(std::string_view("\0\r\n", 3)) == value.data.size() - 1 &&
         value.data.back() == '\0' &&
         !AnsiText(std::string_view(value.data).substr(0, value.data.size() - 1))
              .ends_in_lead_byte();
}

std::string format_value(const RegValue& value) {
  std::string line = value.name.empty() ? "@=" : quote(value.name) + "=";
  char number[16];
  if (fits_quoted(value)) {
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

}  // namespace

RegFile RegFile::parse(std::string_view text) {
  RegFile file;
  const std::vector<std::string_view> lines = split_lines(text);
  if (lines.empty()) {
    file.preamble_.push_back({std::string(kVersionHeader), std::nullopt});
    file.preamble_.push_back({});
    return file;
  }
  std::vector<Entry>* entries = &file.preamble_;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (trim_front(lines[i]).starts_with('[')) {
      file.sections_.push_back({std::string(lines[i]), parse_header(lines[i]), {}});
      entries = &file.sections_.back().entries;
      continue;
    }
    Entry entry{std::string(lines[i]), std::nullopt};
    std::string logical(lines[i]);
    if (starts_hex_list(lines[i])) {
      while (continues(logical) && i + 1 < lines.size() && is_hex_continuation(lines[i + 1])) {
        logical = std::string(trim_back(logical));
        logical.pop_back();
        logical += trim_front(lines[++i]);
        entry.text += '\n';
        entry.text += lines[i];
      }
    }
    entry.value = parse_value(logical);
    entries->push_back(std::move(entry));
  }
  return file;
}

std::string RegFile::serialize() const {
  // A store that holds nothing, not even the lines it was read from, is written as a new one,
  // which is what reading an empty file gives.
  if (preamble_.empty() && sections_.empty()) return std::string(kVersionHeader) + "\n\n";
  std::string text;
  const auto write_entries = [&text](const std::vector<Entry>& entries) {
    for (const Entry& entry : entries) {
      text += entry.value && entry.text.empty() ? format_value(*entry.value) : entry.text;
      text += '\n';
    }
  };
  write_entries(preamble_);
  for (const Section& section : sections_) {
    text += section.header;
    text += '\n';
    write_entries(section.entries);
  }
  return text;
}

bool RegFile::fits_in_lines(std::string_view name) {
  return name.find_first_of("\r\n") == std::string_view::npos &&
         !AnsiText(name).ends_in_lead_byte();
}

bool RegFile::is_blank(const Entry& entry) {
  return !entry.value && trim_front(entry.text).empty();
}

bool RegFile::has_key(std::string_view path) const {
  return std::any_of(sections_.begin(), sections_.end(), [path](const Section& section) {
    if (!section.path) return false;
    const std::string_view key = *section.path;
    return same_name(key.substr(0, path.size()), path) &&
           (key.size() == path.size() || AnsiText(key).has_char_at(path.size(), '\\'));
  });
}

bool RegFile::has_subkeys(std::string_view path) const {
  return std::any_of(sections_.begin(), sections_.end(), [path](const Section& section) {
    if (!section.path) return false;
    const std::string_view key = *section.path;
    return AnsiText(key).has_char_at(path.size(), '\\') &&
           same_name(key.substr(0, path.size()), path);
  });
}

bool RegFile::delete_key(std::string_view path) {
  return std::erase_if(sections_, [path](const Section& section) {
           return section.path && same_name(*section.path, path);
         }) > 0;
}

void RegFile::add_key(std::string_view path) {
  if (!has_key(path)) add_section(path);
}

RegFile::Section& RegFile::add_section(std::string_view path) {
  // Sections are separated by a blank line, as regedit writes them.
  std::vector<Entry>& before = sections_.empty() ? preamble_ : sections_.back().entries;
  if (!before.empty() && !is_blank(before.back())) before.push_back({});
  sections_.push_back({"[" + std::string(path) + "]", std::string(path), {Entry{}}});
  return sections_.back();
}

const RegValue* RegFile::find_value(std::string_view path, std::string_view name) const {
  const RegValue* found = nullptr;
  for (const Section& section : sections_) {
    if (!section.path || !same_name(*section.path, path)) continue;
    for (const Entry& entry : section.entries) {
      if (entry.value && same_name(entry.value->name, name)) found = &*entry.value;
    }
  }
  return found;
}

void RegFile::set_value(std::string_view path, const RegValue& value) {
  Section* last_section = nullptr;
  Entry* last_entry = nullptr;
  for (Section& section : sections_) {
    if (!section.path || !same_name(*section.path, path)) continue;
    last_section = &section;
    for (Entry& entry : section.entries) {
      if (entry.value && same_name(entry.value->name, value.name)) last_entry = &entry;
    }
  }
  if (last_entry != nullptr) {
    last_entry->value = RegValue{last_entry->value->name, value.type, value.data};
    last_entry->text.clear();
    return;
  }
  Section& section = last_section != nullptr ? *last_section : add_section(path);
  // After the section's last line that is not blank, so that the blank line between sections
  // stays where it is.
  auto end = section.entries.end();
  while (end != section.entries.begin() && is_blank(*std::prev(end))) --end;
  section.entries.insert(end, Entry{{}, value});
}

bool RegFile::delete_value(std::string_view path, std::string_view name) {
  bool deleted = false;
  for (Section& section : sections_) {
    if (!section.path || !same_name(*section.path, path)) continue;
    deleted |= std::erase_if(section.entries, [name](const Entry& entry) {
                 return entry.value && same_name(entry.value->name, name);
               }) > 0;
  }
  return deleted;
}

}  // namespace vtplatform
