// vtutil run: starts a program as a detached child with vtuCreateProcess, its standard handles on
// pipes that nobody uses, and prints the child's process id. The child runs on by itself.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "command_failure.h"
#include "commands.h"
#include "vtutils/create_process.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/processes.h"
#include "vtutils/platform/win32_types.h"

namespace {

struct RunOptions {
  std::string folder;
};

// `word` quoted so that the command line's word splitting gives it back unchanged.
std::string quoted(const std::string& word) {
  if (!word.empty() && word.find_first_of(" \t\n'\"\\") == std::string::npos) return word;
  std::string text = "'";
  for (const char c : word) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return text + "'";
}

void run_run(const RunOptions& options, const std::vector<std::string>& words) {
  if (words.empty()) throw CLI::RequiredError("PROGRAM");
  std::string line;
  for (const std::string& word : words) line += (line.empty() ? "" : " ") + quoted(word);
  CString command_line(line.c_str());
  CString folder(options.folder.c_str());
  HANDLE process = nullptr;
  if (!vtuCreateProcess::create_process(command_line, folder, &process)) {
    fail_command("run", "cannot start " + words.front() + ": " + error_text(GetLastError()));
  }
  std::printf("%u\n", GetProcessId(process));
  CloseHandle(process);
}

}  // namespace

void add_run_command(CLI::App& app) {
  auto options = std::make_shared<RunOptions>();
  CLI::App* command = app.add_subcommand(
      "run",
      "Start a program as a detached child without a terminal and print its process id: "
      "vtutil run [--folder DIR] PROGRAM [ARGUMENT...], PROGRAM found on PATH");
  command->add_option("--folder", options->folder,
                      "The child's working folder (default: this one)");
  // The first word that is no option of run's own starts the program's command line; CLI11 leaves
  // it and every word after it, options included, in remaining(). The positional, which takes no
  // word, names them in the help and keeps a "--" before the program with run: without one CLI11
  // hands the "--" back to vtutil, and with it the "--" stays first in remaining().
  command->add_option("PROGRAM", "The program to start, then its arguments")
      ->check([](const std::string&) { return std::string("the program's words are not run's"); });
  command->validate_positionals();
  command->prefix_command();
  command->callback([options, command] {
    std::vector<std::string> words = command->remaining();
    if (!words.empty() && words.front() == "--") words.erase(words.begin());
    run_run(*options, words);
  });
}
