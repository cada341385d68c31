// Reading and writing regedit files in their UTF-16 and REGEDIT4 forms.
#include "win32/settings/regedit_file.h"

#include <cstdio>
#include <optional>

#include "vtplatform/win32/registry.h"
#include "win32/text/ansi_text.h"
#include "win32/text/code_pages.h"

namespace vtplatform {
namespace {

constexpr std::string_view kUnicodeHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kRegedit4Header = "REGEDIT4";
constexpr std::string_view kUtf16Mark = "\xff\xfe";

// The types whose data a UTF-16 file holds as UTF-16 text when it writes them as hex lists.
bool is_text_type(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

bool refuse(std::string& problem, std::string message) {
  problem = std::move(message);
  return false;
}

std::string line_name(std::size_t index) { return "line " + std::to_string(index + 1); }

std::string code_page_name() { return "code page " + std::to_string(ansi_code_page().id()); }

std::u16string utf16_from_le(std::string_view bytes) {
  std::u16string text(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                    static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  }
  return text;
}

std::string le_from_utf16(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (const char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xff));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

// `text` in the ANSI code page, each character that the page cannot hold written as U+XXXX; the
// characters that it cannot hold are named in `missing` the same way.
std::string display(std::u16string_view text, std::string* missing = nullptr) {
  const CodePage& page = ansi_code_page();
  std::string shown;
  for (std::size_t at = 0; at < text.size();) {
    const bool pair = text[at] >= 0xd800 && text[at] < 0xdc00 && at + 1 < text.size() &&
                      text[at + 1] >= 0xdc00 && text[at + 1] < 0xe000;
    const std::u16string_view character = text.substr(at, pair ? 2 : 1);
    bool lossy = false;
    const std::string bytes = page.encode(character, lossy);
    if (lossy) {
      const char32_t code = pair ? 0x10000 + ((character[0] - 0xd800) << 10) + (character[1] - 0xdc00)
                                 : character[0];
      char name[16];
      std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(code));
      shown += name;
      if (missing != nullptr && missing->find(name) == std::string::npos) {
        *missing += (missing->empty() ? "" : ", ") + std::string(name);
      }
    } else {
      shown += bytes;
    }
    at += character.size();
  }
  return shown;
}

// The name of the value that a UTF-16 value line sets: "" for '@', the unescaped quoted name.
std::u16string value_name_of(std::u16string_view line) {
  const std::size_t start = line.find_first_not_of(u" \t");
  std::u16string name;
  if (start == std::u16string_view::npos || line[start] != u'"') return name;
  for (std::size_t at = start + 1; at < line.size() && line[at] != u'"'; ++at) {
    if (line[at] == u'\\' && at + 1 < line.size()) ++at;
    name.push_back(line[at]);
  }
  return name;
}

// The narrow text of the UTF-16 text after the byte-order mark, line by line, each line ending in
// "\n". A line that the ANSI code page cannot hold is refused, naming its key and value.
bool narrow_from_utf16(std::string_view bytes, std::string& narrow, std::string& problem) {
  if (bytes.size() % 2 != 0) return refuse(problem, "the UTF-16 text ends in half a character");
  const std::u16string text = utf16_from_le(bytes);
  const CodePage& page = ansi_code_page();
  std::string key;
  std::size_t index = 0;
  for (std::u16string_view rest = text; !rest.empty(); ++index) {
    const std::size_t end = rest.find(u'\n');
    std::u16string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::u16string_view::npos ? rest.size() : end + 1);
    while (line.ends_with(u'\r')) line.remove_suffix(1);
    bool lossy = false;
    const std::string converted = page.encode(line, lossy);
    if (lossy) {
      std::string missing;
      const std::size_t start = line.find_first_not_of(u" \t");
      std::string where;
      if (start != std::u16string_view::npos && line[start] == u'[') {
        where = "key " + display(line.substr(start), &missing);
      } else {
        const std::string name = display(value_name_of(line), &missing);
        if (missing.empty()) display(line, &missing);  // in the data, not the name
        where = describe_value(key, name);
      }
      return refuse(problem, line_name(index) + ", " + where + ": " + missing +
                                 " cannot be held in " + code_page_name() +
                                 " of the locale, the store's character set");
    }
    if (is_reg_header(converted)) {
      if (const auto header = parse_reg_header(converted)) key = header->path;
    }
    (narrow += converted) += '\n';
  }
  return true;
}

}  // namespace

std::string describe_value(std::string_view path, std::string_view name) {
  return "key " + std::string(path) + ", " +
         (name.empty() ? std::string("the default value") : "value \"" + std::string(name) + "\"");
}

bool read_regedit(std::string_view bytes, std::vector<RegeditChange>& changes,
                  std::string& problem) {
  changes.clear();
  const bool unicode = bytes.starts_with(kUtf16Mark);
  std::string narrow;
  if (unicode) {
    if (!narrow_from_utf16(bytes.substr(kUtf16Mark.size()), narrow, problem)) return false;
    bytes = narrow;
  }
  const std::vector<std::string_view> lines = split_reg_lines(bytes);
  std::string_view first = lines.empty() ? std::string_view() : lines.front();
  while (first.ends_with(' ') || first.ends_with('\t')) first.remove_suffix(1);
  // The version line of the narrow form 5.00 is the store's own.
  if (unicode ? first != kUnicodeHeader : first != kRegedit4Header && first != kUnicodeHeader) {
    return refuse(problem,
                  "line 1: not a regedit file: it starts neither with \"Windows Registry Editor "
                  "Version 5.00\" in UTF-16 nor with \"REGEDIT4\"");
  }

  std::optional<std::string> key;
  bool key_deleted = false;
  for (std::size_t i = 1, count = 1; i < lines.size(); i += count) {
    count = 1;
    const std::string_view line = lines[i];
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos || line[start] == ';') continue;  // blank or comment
    if (is_reg_header(line)) {
      const auto header = parse_reg_header(line);
      if (!header) {
        return refuse(problem, line_name(i) + ": not a whole key header: " + std::string(line));
      }
      key = header->path;
      key_deleted = header->deletes;
      changes.push_back({header->deletes ? RegeditChange::Kind::kDeleteKey
                                         : RegeditChange::Kind::kAddKey,
                         *key, {}, i + 1});
      continue;
    }
    if (!key) return refuse(problem, line_name(i) + ": a value before the first key");
    if (key_deleted) {
      return refuse(problem,
                    line_name(i) + ", key " + *key + ": a value under a key that the file deletes");
    }
    if (auto name = parse_reg_deletion(line)) {
      changes.push_back({RegeditChange::Kind::kDeleteValue, *key, {*name, REG_NONE, {}}, i + 1});
      continue;
    }
    const std::string logical = join_reg_line(lines, i, count);
    auto value = parse_reg_value(logical);
    if (!value) {
      return refuse(problem, line_name(i) + ", key " + *key + ": not a value line: " +
                                 std::string(AnsiText(line).first_chars(60)));
    }
    if (unicode && is_text_type(value->type) && has_reg_hex_list(logical)) {
      const std::string where = line_name(i) + ", " + describe_value(*key, value->name) + ": ";
      if (value->data.size() % 2 != 0) {
        return refuse(problem, where + "its UTF-16 text ends in half a character");
      }
      const std::u16string text = utf16_from_le(value->data);
      bool lossy = false;
      value->data = ansi_code_page().encode(text, lossy);
      if (lossy) {
        std::string missing;
        display(text, &missing);
        return refuse(problem, where + missing + " cannot be held in " + code_page_name() +
                                   " of the locale, the store's character set");
      }
    }
    changes.push_back({RegeditChange::Kind::kSetValue, *key, std::move(*value), i + 1});
  }
  return true;
}

bool write_regedit(const std::vector<RegeditChange>& changes, RegeditForm form, std::string& bytes,
                   std::string& problem) {
  const bool unicode = form == RegeditForm::kUnicode;
  const CodePage& page = ansi_code_page();
  std::u16string wide;
  std::string narrow;
  // Appends `piece` with CRLF line ends; in UTF-16 only text that decodes without loss.
  const auto append = [&](std::string_view piece, const std::string& where) {
    std::string lines;
    for (const char c : piece) {
      if (c == '\n') lines += '\r';
      lines += c;
    }
    if (!unicode) {
      narrow += lines;
      return true;
    }
    bool lossy = false;
    wide += page.decode(lines, lossy);
    return !lossy || refuse(problem, where + ": not valid text in " + code_page_name() +
                                         " of the locale, so it has no UTF-16 form");
  };
  append(std::string(unicode ? kUnicodeHeader : kRegedit4Header) + "\n", "");
  for (const RegeditChange& change : changes) {
    using Kind = RegeditChange::Kind;
    bool written = true;
    switch (change.kind) {
      case Kind::kAddKey:
      case Kind::kDeleteKey:
        written = append((change.kind == Kind::kAddKey ? "\n[" : "\n[-") + change.path + "]\n",
                         "key " + change.path);
        break;
      case Kind::kSetValue: {
        const std::string where = describe_value(change.path, change.value.name);
        RegValue value = change.value;
        if (unicode && is_text_type(value.type) && !fits_reg_quotes(value)) {
          bool lossy = false;
          value.data = le_from_utf16(page.decode(value.data, lossy));
          if (lossy) {
            return refuse(problem, where + ": its text is not valid in " + code_page_name() +
                                       " of the locale, so it has no UTF-16 form");
          }
        }
        written = append(format_reg_value(value) + "\n", where);
        break;
      }
      case Kind::kDeleteValue:
        written = append(format_reg_deletion(change.value.name) + "\n",
                         describe_value(change.path, change.value.name));
        break;
    }
    if (!written) return false;
  }
  append("\n", "");  // regedit ends its files with a blank line
  bytes = unicode ? std::string(kUtf16Mark) + le_from_utf16(wide) : std::move(narrow);
  return true;
}

}  // namespace vtplatform
