// vtutil: the VTUtils command-line program. Runs one command; its exit status is 0 for success,
// 1 for a negative answer or a failed operation and 2 for a mistake on the command line, and
// every error is one line on standard error, "vtutil: COMMAND: message".
#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>
#include <vector>

#include "command_failure.h"
#include "commands.h"

namespace {

// What `vtutil --help` and the man page say beyond the commands and options.
constexpr const char* kFooter = R"(
Run 'vtutil help COMMAND' for the options of a command.

Exit status:
  0         success
  1         a negative answer ("denied", "not killed", a cancelled dialog) or a failed
            operation, with the reason on standard error
  2         a mistake on the command line
  130, 143  vtutil kill interrupted by SIGINT or SIGTERM, after resuming the processes it had
            suspended

Environment:
  XDG_CONFIG_HOME  holds vtutils/registry.reg, the registry (vtutil reg import and export
                   bring Windows settings in and out), and the INI files (~/.config)
  XDG_STATE_HOME   holds the lifetime log, and in vtutils/dumps the dumps that cannot go
                   beside the executable (~/.local/state)
  TMPDIR           temporary names (/tmp)
  LC_ALL, LANG     the locale, whose character set is the code page of names and text

Examples:
  vtutil demo                          a tour of the library on built-in sample data
  vtutil hash --fnv1a --file part.igs  the FNV-1a hash of a file
  ls | vtutil sort                     file names in natural order (2 before 10)
  vtutil deps list --json model.vtd    the CAD files a document depends on, as JSON Lines
  vtutil ps find viewer --all          every process of an executable
  vtutil kill --name viewer            end a program and everything it started)";

// The names of the commands that were given, "ps find" for `vtutil ps find`.
std::string command_name(const CLI::App& app) {
  std::string name;
  for (const CLI::App* at = &app; !at->get_subcommands().empty();) {
    at = at->get_subcommands().front();
    name += (name.empty() ? "" : " ") + at->get_name();
  }
  return name;
}

// vtutil help [COMMAND [SUBCOMMAND]]: the help of the program or of one of its commands, on
// standard output. Its words are read here and not by CLI11, which would take them for commands
// to run.
int show_help(const CLI::App& app, const std::vector<std::string>& words) {
  const CLI::App* shown = &app;
  std::string name = "vtutil";
  for (const std::string& word : words) {
    const CLI::App* next = nullptr;
    for (const CLI::App* candidate : shown->get_subcommands({})) {
      if (candidate->check_name(word)) next = candidate;
    }
    name += " " + word;
    if (next == nullptr) {
      warn_usage("help", "no command" + name.substr(name.find(' ')));
      return kExitUsage;
    }
    shown = next;
  }
  try {
    write_output("help", app.get_formatter()->make_help(shown, name, CLI::AppFormatMode::Normal));
  } catch (const CLI::RuntimeError& failed) {  // write_output has said why
    return failed.get_exit_code();
  }
  return close_output("help");
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"vtutil: the VTUtils utility library from the command line", "vtutil"};
  app.set_version_flag("--version", "vtutil " VTUTILS_VERSION);
  // One command a call: later words that name commands are its arguments (vtutil run sort,
  // vtutil hash kill).
  app.require_subcommand(0, 1);
  add_access_command(app);
  add_convert_command(app);
  add_demo_command(app);
  add_desktop_command(app);
  add_deps_command(app);
  add_dump_command(app);
  add_filter_command(app);
  add_hash_command(app);
  app.add_subcommand("help", "Show the help of vtutil or of COMMAND [SUBCOMMAND]");
  add_kill_command(app);
  add_layout_command(app);
  add_log_command(app);
  add_open_command(app);
  add_path_command(app);
  add_ps_command(app);
  add_reg_command(app);
  add_round_command(app);
  add_run_command(app);
  add_save_command(app);
  add_share_command(app);
  add_sort_command(app);
  add_storage_command(app);
  add_tempname_command(app);
  add_tolerance_command(app);
  add_units_command(app);
  add_xml_command(app);
  app.footer(kFooter);  // after the commands, which would take it for theirs
  if (argc > 1 && std::string(argv[1]) == "help") {
    return show_help(app, std::vector<std::string>(argv + 2, argv + argc));
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& shown) {  // --help or --version
    app.exit(shown);
    return close_output(command_name(app).c_str());
  } catch (const CLI::RuntimeError& failed) {  // the command has said why
    return failed.get_exit_code();
  } catch (const CLI::ParseError& mistake) {
    const std::string command = command_name(app);
    if (!command.empty()) {
      warn_usage(command.c_str(), mistake.what());
    } else {
      std::fputs(app.help().c_str(), stderr);
      const bool named = argc > 1 && argv[1][0] != '-';
      warn_usage("", named ? std::string("no command ") + argv[1] : mistake.what());
    }
    return kExitUsage;
  }
  if (app.get_subcommands().empty()) {
    std::fputs(app.help().c_str(), stderr);
    warn_command("", "no command given");
    return kExitUsage;
  }
  return close_output(command_name(app).c_str());
}
