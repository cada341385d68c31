// vtutil sort: the lines of standard input in natural order (digits as numbers), case-sensitive
// in the default locale's order as vtuLogicalStringLess sorts, or in the file-name order that
// ignores case as vtuLogicalStringCompare::case_compare does.
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "command_failure.h"
#include "commands.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/text.h"
#include "vtutils/platform/win32_types.h"

namespace {

// The lines of a stream, without their line feeds; a last line without one is kept.
std::vector<std::string> read_lines(std::istream& in) {
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(std::move(line));
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

void run_sort(bool ignore_case) {
  std::ios::sync_with_stdio(false);
  std::vector<std::string> lines = read_lines(std::cin);
  sort_lines(lines, ignore_case);
  for (const std::string& line : lines) std::cout << line << '\n';
}

}  // namespace

void add_sort_command(CLI::App& app) {
  auto ignore_case = std::make_shared<bool>(false);
  CLI::App* command = app.add_subcommand(
      "sort", "Sort the lines of standard input in natural order (digits as numbers)");
  command->add_flag("-i,--ignore-case", *ignore_case,
                    "The file-name order: letters without regard to case");
  command->callback([ignore_case] { run_sort(*ignore_case); });
}
