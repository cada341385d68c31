// vtutil sort: the lines of a file or of standard input in natural order (digits as numbers),
// case-sensitive in the default locale's order as vtuLogicalStringLess sorts, or in the file-name
// order that ignores case as vtuLogicalStringCompare::case_compare does.
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "command_failure.h"
#include "commands.h"
#include "input_file.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/text.h"
#include "vtutils/platform/win32_types.h"

namespace {

// The lines of a text, without their line feeds; a last line without one is kept.
std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t begin = 0; begin < text.size();) {
    const std::size_t end = std::min(text.find('\n', begin), text.size());
    lines.emplace_back(text, begin, end - begin);
    begin = end + 1;
  }
  return lines;
}

// The sort key of a line: bytes whose order is the order of vtuLogicalStringCompare::compare
// (or case_compare), so each line is converted and collated once, not at every comparison.
std::string sort_key(const std::string& line, DWORD flags) {
  const CStringW wide(line.c_str());
  const DWORD map_flags = LCMAP_SORTKEY | flags;
  // Keys of ordinary lines fit the buffer, so most lines are collated only once.
  char buffer[1024];
  int length = LCMapStringEx(LOCALE_NAME_SYSTEM_DEFAULT, map_flags, wide, -1,
                             reinterpret_cast<LPWSTR>(buffer), sizeof buffer, nullptr, nullptr, 0);
  if (length > 0) return std::string(buffer, static_cast<std::size_t>(length));
  length = LCMapStringEx(LOCALE_NAME_SYSTEM_DEFAULT, map_flags, wide, -1, nullptr, 0, nullptr,
                         nullptr, 0);
  if (length == 0) fail_command("sort", "cannot collate a line");
  std::string key(static_cast<std::size_t>(length), '\0');
  LCMapStringEx(LOCALE_NAME_SYSTEM_DEFAULT, map_flags, wide, -1,
                reinterpret_cast<LPWSTR>(key.data()), length, nullptr, nullptr, 0);
  return key;
}

void sort_lines(std::vector<std::string>& lines, bool ignore_case) {
  const DWORD flags = SORT_DIGITSASNUMBERS | (ignore_case ? NORM_IGNORECASE : 0);
  std::vector<std::pair<std::string, std::string*>> keyed;
  keyed.reserve(lines.size());
  for (std::string& line : lines) keyed.emplace_back(sort_key(line, flags), &line);
  std::stable_sort(keyed.begin(), keyed.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> sorted;
  sorted.reserve(lines.size());
  for (auto& [key, line] : keyed) sorted.push_back(std::move(*line));
  lines = std::move(sorted);
}

void run_sort(const std::string& file, bool ignore_case) {
  std::ios::sync_with_stdio(false);
  std::vector<std::string> lines = split_lines(InputFile("sort", file).read_all());
  sort_lines(lines, ignore_case);
  for (const std::string& line : lines) std::cout << line << '\n';
}

}  // namespace

void add_sort_command(CLI::App& app) {
  auto file = std::make_shared<std::string>("-");
  auto ignore_case = std::make_shared<bool>(false);
  CLI::App* command = app.add_subcommand(
      "sort", "Sort the lines of FILE or standard input in natural order (digits as numbers)");
  command->add_option("file", *file, "The file to sort; - or none for standard input");
  command->add_flag("-i,--ignore-case", *ignore_case,
                    "The file-name order: letters without regard to case");
  command->callback([file, ignore_case] { run_sort(*file, *ignore_case); });
}
