// ProfileFile: an INI file ("[section]" headers and "key=value" lines) parsed into its lines, so
// that a change rewrites only the lines it touches and keeps every other one verbatim: comments,
// blank lines, lines that are no entry, and damaged section headers.
//
// Reading follows the Windows profile functions: section and key names compare with ASCII case
// folding and ignore blanks around them; a value loses the blanks around it and one pair of
// matching quotes ('...' or "...") around it. A line whose first non-blank character is ';' is a
// comment. Lines before the first section, lines without '=', and everything in the section that
// a damaged header (a '[' line without ']') opens are kept but never read as entries. Sections of
// the same name read as one section, and of several entries with the same key the first counts.
//
// Lines end in "\n", or in "\r\n" when the file's first line does. When read, every '\r' before
// the "\n" belongs to the line end ("\r\n" and damaged "\r\r\n" alike), since no name or value
// written ends in one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vtplatform {

class ProfileFile {
 public:
  // The model of `text`; never fails.
  static ProfileFile parse(std::string_view text);
  // The text, every line as it was read except those changed since; the last line gets an end.
  std::string serialize() const;

  // The names of the sections, each once, in file order.
  std::vector<std::string> section_names() const;
  // The keys of `section`, each once, in file order; empty when there is no such section.
  std::vector<std::string> key_names(std::string_view section) const;
  // The value of `key` in `section`, or null.
  const std::string* find_value(std::string_view section, std::string_view key) const;

  // Sets the first entry of that key to `value`, keeping the key's spelling, or adds "key=value"
  // after the section's last entry, adding "[section]" at the end of the file when it has none.
  void set_value(std::string_view section, std::string_view key, std::string_view value);
  // Removes every entry of that key from the section; false when there was none.
  bool delete_key(std::string_view section, std::string_view key);
  // Removes every section of that name with all its lines; false when there was none.
  bool delete_section(std::string_view section);

  // Whether the lines written for these names and this value read back as them: no text holds a
  // line break, the section holds no ']' and, without the blanks around it, does not end in a
  // lead byte without its trail byte (which would take the closing ']' for it), and the key is
  // one that a line can start with (not blank, '[' or ';') and holds no '='. A null key or value
  // is not checked.
  static bool fits_in_lines(const char* section, const char* key, const char* value);

 private:
  enum class Kind { kOther, kSection, kBadSection, kEntry };
  struct Line {
    std::string text;  // as read, without its line end
    Kind kind = Kind::kOther;
    std::string name;   // the section's name or the entry's key
    std::string value;  // the entry's value as read back
  };

  // Calls `visit(index)` for every line inside a section named `section`, headers excluded.
  template <typename Visit>
  void for_each_in(std::string_view section, Visit visit) const;
  // Removes the lines whose flag is set.
  void erase_lines(const std::vector<bool>& doomed);

  std::vector<Line> lines_;
  std::string line_end_ = "\n";
};

}  // namespace vtplatform
