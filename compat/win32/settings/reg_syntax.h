// The line syntax of ".reg" text, shared by the registry's store and the regedit file converter:
// section headers, value lines and their deletion forms, and hex lists continued over several
// lines. All of it works on narrow text in the ANSI code page; see reg_file.h for the format.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vtplatform/win32/types.h"

namespace vtplatform {

// One typed value: its name ("" for the key's default value), its REG_* type and its bytes
// exactly as they were set.
struct RegValue {
  std::string name;
  DWORD type = 0;
  std::string data;

  friend bool operator==(const RegValue&, const RegValue&) = default;
};

// The lines of `text` without their line ends. Every '\r' before a "\n" belongs to the line end
// ("\r\n" and damaged "\r\r\n" alike), since no name or value written ends in one.
std::vector<std::string_view> split_reg_lines(std::string_view text);

// The logical line that starts at lines[at]: the line itself, or, for a value whose hex list
// ends in '\', that line joined with the continuation lines that follow. `count` learns how many
// lines it took (1 or more).
std::string join_reg_line(const std::vector<std::string_view>& lines, std::size_t at,
                          std::size_t& count);

// Whether a line (blanks before it skipped) opens a section: it starts with '['.
bool is_reg_header(std::string_view line);

// A section header: "[path]" names a key, "[-path]" deletes it with the keys below it.
struct RegHeader {
  std::string path;
  bool deletes = false;
};
// The header of `line`, or nothing when it is no whole header.
std::optional<RegHeader> parse_reg_header(std::string_view line);

// The value of one logical line, or nothing when it is none.
std::optional<RegValue> parse_reg_value(std::string_view logical);
// The name that a deletion line ("name"=- or @=-) deletes, or nothing when it is none.
std::optional<std::string> parse_reg_deletion(std::string_view line);
// Whether the data of a value line is a hex list (hex: or hex(TYPE):) rather than "text" or
// dword:.
bool has_reg_hex_list(std::string_view line);

// Whether a REG_SZ value is written as "text": it ends in its terminator and holds no other NUL
// and no line break, and does not end in a lead byte without its trail byte, none of which the
// quoted form can hold.
bool fits_reg_quotes(const RegValue& value);
// The line of a value: "text" where it fits, dword: for a REG_DWORD of four bytes, otherwise a
// hex list wrapped over lines of about 80 characters, joined by "\\\n  ".
std::string format_reg_value(const RegValue& value);
// The deletion line of a value: "name"=- or @=-.
std::string format_reg_deletion(std::string_view name);

}  // namespace vtplatform
