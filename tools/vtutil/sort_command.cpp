// vtutil sort: the lines of standard input in natural order (digits as numbers), case-sensitive
// in the default locale's order, or in the file-name order that ignores case.
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "commands.h"
#include "vtutils/logical_compare.h"

namespace {

// The lines of a stream, without their line feeds; a last line without one is kept.
std::vector<std::string> read_lines(std::istream& in) {
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(std::move(line));
  return lines;
}

// Both orders compare wide text, so every line is converted once, not at every comparison.
void sort_lines(std::vector<std::string>& lines, bool ignore_case) {
  struct Entry {
    CStringW wide;
    std::string* line;
  };
  std::vector<Entry> entries;
  entries.reserve(lines.size());
  for (std::string& line : lines) entries.push_back({CStringW(line.c_str()), &line});

  const vtuLogicalStringCompare comparison;
  std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
    return (ignore_case ? comparison.case_compare(a.wide, b.wide)
                        : comparison.compare(a.wide, b.wide)) < 0;
  });
  std::vector<std::string> sorted;
  sorted.reserve(lines.size());
  for (Entry& entry : entries) sorted.push_back(std::move(*entry.line));
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
