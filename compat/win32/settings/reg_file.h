// RegFile: the registry's text store in the ".reg" export format, parsed into an ordered model
// that keeps every line it does not understand, and written back with only the changed lines
// rewritten.
//
// The format is the one "Windows Registry Editor Version 5.00" exports, read and written as
// bytes:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Brennic\VTLifeTimeManagerLog]
//   @="default value"
//   "Enabled"=dword:00000001
//   "Path"="C:\\dir with a \"quote\""
//   "Blob"=hex:01,02,03
//   "Big"=hex(b):2a,00,00,00,00,00,00,00
//   "List"=hex(7):61,00,62,00,00
//
// A string is "text" with '\' and '"' escaped by '\'; a REG_DWORD is dword: with up to eight hex
// digits; every other value is hex: (REG_BINARY) or hex(TYPE): with its bytes as two-digit hex
// numbers separated by ',', and a '\' at the end of a line continues the list on the next one.
// Lines end in "\n" when written. When read, every '\r' before the "\n" belongs to the line end
// ("\r\n" and damaged "\r\r\n" alike), since no name or value written ends in one.
//
// A line that is none of these (a truncated value, a bad hex digit, an unterminated string, an
// unknown escape, a deletion line) is kept verbatim in its place and never read as a value; the
// lines after it parse as usual. A line that starts with '[' but is not a whole section header,
// or is a deletion header "[-KEY]", opens a section of unknown key: its values are kept
// verbatim, since no key can claim them. The line syntax itself lives in reg_syntax.h.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "win32/settings/reg_syntax.h"

namespace vtplatform {

class RegFile {
 public:
  // The model of `text`; never fails, see the file comment for what becomes of bad lines.
  static RegFile parse(std::string_view text);
  // The file's text: every line as it was read except the values set, added or deleted since.
  // An empty model gives the version header and nothing else.
  std::string serialize() const;

  // Whether `text` is in the store's own encoding: narrow text, so no UTF-16 byte-order mark and
  // no NUL byte, which no line of the store holds. A regedit export copied in as the store (UTF-16,
  // as Windows writes it) is not; reading it as narrow text would find no key, and writing to it
  // would mix two encodings in one file.
  static bool is_store_text(std::string_view text);

  // Whether a key path or value name, written in its line, reads back as it is: it holds no line
  // break, and it does not end in a lead byte without its trail byte, which would take the
  // closing bracket or quote for that trail byte. The registry functions refuse other names.
  static bool fits_in_lines(std::string_view name);

  // Key paths are the full names that section headers carry ("HKEY_CURRENT_USER\Software\X")
  // and compare with ASCII case folding; value names compare the same way.

  // Whether the key has a section, or a key below it does.
  bool has_key(std::string_view path) const;
  // Adds an empty section for the key at the end unless has_key() already finds it.
  void add_key(std::string_view path);
  // Whether a key below the key has a section.
  bool has_subkeys(std::string_view path) const;
  // Removes the key's own sections with their values and every line in them; keys below it keep
  // theirs. False when the key had no section.
  bool delete_key(std::string_view path);
  // Removes the sections of the key and of every key below it, as an import's "[-KEY]" does.
  // False when none had a section.
  bool delete_tree(std::string_view path);
  // The keys with a section of their own that are the key or below it, in the order of the file,
  // each once under its first spelling.
  std::vector<std::string> keys_at_or_below(std::string_view path) const;
  // The key's values in the order of the file, each name once with its stored spelling and the
  // value that find_value gives.
  std::vector<RegValue> values(std::string_view path) const;
  // The value `name` of the key, the last one where the file holds several, or null.
  const RegValue* find_value(std::string_view path, std::string_view name) const;
  // Replaces the value of that name (keeping the name's stored spelling), or adds it at the end of
  // the key's last section, adding a section when the key has none of its own.
  void set_value(std::string_view path, const RegValue& value);
  // Removes every value of that name from the key; false when there was none.
  bool delete_value(std::string_view path, std::string_view name);

 private:
  // One line, or a value with its continuation lines; `value` is set when the text parsed as one.
  struct Entry {
    std::string text;  // the lines as read, without the final line end; empty once changed
    std::optional<RegValue> value;
  };
  struct Section {
    std::string header;               // the header line as read
    std::optional<std::string> path;  // the key, when the header parsed
    std::vector<Entry> entries;
  };

  static bool is_blank(const Entry& entry);
  // Appends an empty section for the key.
  Section& add_section(std::string_view path);

  std::vector<Entry> preamble_;  // the version header and whatever comes before the first section
  std::vector<Section> sections_;
};

}  // namespace vtplatform
