// One JSON object on one line, for vtutil's --json output: JSON Lines that scripts read one
// object at a time.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <string_view>

class JsonLine {
 public:
  // Adds a member whose value is text in the ANSI code page. The text is written as UTF-8;
  // bytes that are not valid text in the code page are written as the lone surrogates
  // "\udc80" to "\udcff" (as Python's "surrogateescape" reads them), so that any name, also one
  // that is not text, comes through exactly.
  JsonLine& text(std::string_view key, std::string_view value);
  // Adds a member whose value is wide text (a compound file's names), written as UTF-8.
  JsonLine& text(std::string_view key, std::wstring_view value);
  JsonLine& number(std::string_view key, long long value);
  // A double with 17 significant digits, so that the exact binary value shows.
  JsonLine& real(std::string_view key, double value);
  JsonLine& boolean(std::string_view key, bool value);

  // Writes the object and a line feed to standard output, checked as `command`'s output.
  void write(const char* command) const;

 private:
  JsonLine& member(std::string_view key, std::string_view json);

  std::string members_;
};

// Adds the --json flag to `command`.
CLI::Option* add_json_flag(CLI::App* command, bool& json);
