// vtutil filter: the file-type list of open and save dialogs, built with CFileFilterBuilder and
// printed in the framework's "|" form that vtutil open and vtutil save take with --filter.
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "commands.h"
#include "vtutils/file_filter_builder.h"
#include "vtutils/platform/framework_strings.h"

namespace {

struct FilterOptions {
  std::vector<std::pair<std::string, std::string>> items;  // description, patterns
  bool show_patterns = false;
  std::string all_description;
  bool combine = false;
  bool all_first = false;
};

void run_filter(const FilterOptions& options) {
  CFileFilterBuilder builder;
  for (const auto& [description, patterns] : options.items) {
    builder.add_filter_item(CString(description.c_str()), CString(patterns.c_str()),
                            options.show_patterns);
  }
  builder.set_all_files_filter(CString(options.all_description.c_str()), options.combine);
  std::printf("%s\n", builder.get_filter(options.all_first).GetString());
}

// The builder copies its texts into the list unchecked. A "|" inside one would split it into
// parts of its own, and an empty description or pattern list ends the list early where the
// dialog reads it, so the entries after it would be lost.
std::string check_part(const std::string& text) {
  if (text.empty()) return "must not be empty";
  if (CString(text.c_str()).Find('|') >= 0) return "must not contain \"|\": " + text;
  return {};
}

}  // namespace

void add_filter_command(CLI::App& app) {
  auto options = std::make_shared<FilterOptions>();
  CLI::App* command = app.add_subcommand(
      "filter",
      "Print the file-type list of an open or save dialog in the framework's \"|\" form, for "
      "vtutil open and save --filter");
  command
      ->add_option("--item", options->items,
                   "A file type: its description and its wildcard patterns separated by \";\" "
                   "(\"Text files\" \"*.txt;*.log\"); repeat for more, listed in order")
      ->check(CLI::Validator(check_part, "", "filter part"));
  command->add_flag("--show-patterns", options->show_patterns,
                    "Follow each description by its patterns in parentheses");
  CLI::Option* all =
      command
          ->add_option("--all", options->all_description,
                       "Add a catch-all entry with this description, matching every file")
          ->check(CLI::Validator(check_part, "", "filter part"));
  command
      ->add_flag("--combine", options->combine,
                 "Let the catch-all entry list every pattern of the file types instead of *.*")
      ->needs(all);
  command->add_flag("--all-first", options->all_first, "Put the catch-all entry first")->needs(all);
  command->callback([options] { run_filter(*options); });
}
