// vtutil kill and vtutil dump: ending a process with all of its descendants through
// vtuProcess::kill, with a minidump first when asked, and writing a minidump of a running process.
#include <charconv>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "command_failure.h"
#include "commands.h"
#include "dump_destination.h"
#include "kill_session.h"
#include "process_argument.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/processes.h"
#include "vtutils/platform/win32_types.h"
#include "vtutils/process.h"
#include "vtutils/process_kill_watch.h"

namespace {

constexpr const char* kDumpTypeHelp =
    "normal, full (all memory) or MINIDUMP_TYPE flags as a decimal or 0x hexadecimal number";

// "normal", "full" or a number of MINIDUMP_TYPE flags, decimal or with 0x in hexadecimal.
// Nothing for other words and for bits that are no flag.
std::optional<MINIDUMP_TYPE> parse_dump_type(const std::string& text) {
  if (text == "normal") return MiniDumpNormal;
  if (text == "full") return MiniDumpWithFullMemory;
  std::string_view digits = text;
  int base = 10;
  if (digits.starts_with("0x") || digits.starts_with("0X")) {
    digits.remove_prefix(2);
    base = 16;
  }
  DWORD flags = 0;
  const char* end = digits.data() + digits.size();
  const auto [parsed_end, error] = std::from_chars(digits.data(), end, flags, base);
  if (digits.empty() || error != std::errc() || parsed_end != end ||
      (flags & ~static_cast<DWORD>(MiniDumpValidTypeFlags)) != 0) {
    return std::nullopt;
  }
  return static_cast<MINIDUMP_TYPE>(flags);
}

// Adds a dump type option that accepts what parse_dump_type understands.
CLI::Option* add_dump_type_option(CLI::App* command, const char* name, std::string& type) {
  return command->add_option(name, type, kDumpTypeHelp)
      ->check(CLI::Validator(
          [](const std::string& text) {
            return parse_dump_type(text) ? std::string() : "not a dump type: " + text;
          },
          "TYPE"));
}

struct KillOptions {
  DWORD process_id = 0;
  std::string name;
  bool all = false;
  int timeout = 5000;
  std::string dump_type;
};

// The processes that --name names: the first match, or each with --all. Ends the command when
// none matches, and warns which one is taken when several do.
std::vector<vtuProcess> named_targets(const KillOptions& options) {
  std::vector<vtuProcess> matches;
  vtuProcess::find_processes(options.name.c_str(), true,
                             [&matches](const vtuProcess& process) { matches.push_back(process); });
  if (matches.empty()) {
    fail_command("kill", "no running process has an executable named " + options.name);
  }
  if (matches.size() > 1 && !options.all) {
    warn_command("kill",
                 std::to_string(matches.size()) + " running processes have an executable named " +
                     options.name + "; ending the first, process " +
                     std::to_string(matches.front().process_id()) + " (--all ends every one)");
    matches.erase(matches.begin() + 1, matches.end());
  }
  return matches;
}

// Ends `target` with its tree and prints the answer, preceded by its id when `with_id`; whether
// it was killed. Nothing is printed when a signal stopped the protocol.
bool kill_one(const KillOptions& options, const vtuProcess& target, bool with_id,
              KillSession& session) {
  const DWORD id = target.process_id();
  const std::string prefix = with_id ? std::to_string(id) + " " : "";
  std::string reason;
  if (!may_signal(id, reason)) {
    warn_command("kill", std::to_string(id) + ": " + reason);
    return false;
  }
  session.expect_tree(id);
  bool killed = false;
  CString dump_path;
  if (options.dump_type.empty()) {
    killed = vtuProcess::kill(target, options.timeout);
  } else {
    killed = vtuProcess::kill_with_dump(target, options.timeout,
                                        *parse_dump_type(options.dump_type), dump_path);
  }
  if (session.interrupting_signal() != 0) return false;
  write_output("kill", prefix + (killed ? "killed\n" : "not killed\n"));
  if (!options.dump_type.empty()) {
    write_output("kill", prefix + "dump: " +
                             (dump_path.IsEmpty() ? "none written" : dump_path.GetString()) + "\n");
  }
  return killed;
}

void run_kill(const KillOptions& options) {
  std::vector<vtuProcess> targets;
  if (options.name.empty()) {
    refuse_non_process_id("kill", options.process_id);
    targets.emplace_back(options.process_id);
  } else {
    targets = named_targets(options);
  }
  KillSession session;
  const vtuKillWatchScope watching(session);
  bool all_killed = true;
  for (const vtuProcess& target : targets) {
    all_killed = kill_one(options, target, options.all, session) && all_killed;
    if (const int signal = session.interrupting_signal()) {
      const int resumed = session.resume_suspended();
      fail_command("kill",
                   std::string("interrupted by SIG") + sigabbrev_np(signal) + "; " +
                       std::to_string(resumed) + " suspended process" + (resumed == 1 ? "" : "es") +
                       " resumed",
                   128 + signal);
    }
  }
  if (!all_killed) throw CLI::RuntimeError(kExitFailure);
}

struct DumpOptions {
  DWORD process_id = 0;
  std::string type = "normal";
  std::string output;
};

void run_dump(const DumpOptions& options) {
  refuse_non_process_id("dump", options.process_id);
  const vtuProcess process(options.process_id);
  if (!process.exists()) {
    fail_command("dump", "no running process has id " + std::to_string(options.process_id));
  }
  std::string reason;
  if (!may_signal(options.process_id, reason)) {
    fail_command("dump", std::to_string(options.process_id) + ": " + reason);
  }
  const MINIDUMP_TYPE type = *parse_dump_type(options.type);
  const std::string prefix = "no dump written of process " + std::to_string(options.process_id);
  const auto destination = dump_destination("dump", process, options.output, reason);
  if (!destination) fail_command("dump", prefix + ": " + reason);
  const CString path = destination->empty()
                           ? process.create_minidump(type)
                           : process.create_minidump_at(type, destination->c_str());
  if (path.IsEmpty()) {
    const DWORD error = GetLastError();
    fail_command("dump", prefix + (destination->empty() ? "" : " to " + *destination) + ": " +
                             dump_failure(error, process, *destination));
  }
  write_output("dump", std::string(path.GetString()) + "\n");
}

}  // namespace

void add_kill_command(CLI::App& app) {
  auto options = std::make_shared<KillOptions>();
  CLI::App* command = app.add_subcommand(
      "kill",
      "End a process and all of its descendants, children first; prints \"killed\" (exit "
      "status 0) or \"not killed\" (1). A process id that nothing has counts as killed; 0, a "
      "thread's id and a process the caller may not signal are refused (exit status 2, 1, 1). "
      "SIGINT or SIGTERM stops it after the current step and resumes the processes it "
      "suspended (exit status 130, 143). On a terminal, standard error shows each process as it "
      "is ended");
  CLI::Option* pid = command->add_option("PID", options->process_id, "The process id");
  CLI::Option* name = command->add_option(
      "--name", options->name,
      "The process whose executable is NAME plus at most two characters, ignoring case; the "
      "first when several are (with a warning), an error when none is");
  CLI::Option* all = command->add_flag(
      "--all", options->all,
      "With --name, end every matching process and print \"PID killed\" or \"PID not "
      "killed\" for each; exit status 1 when any was not killed");
  pid->excludes(name);
  all->needs(name);
  command->add_option("--timeout", options->timeout,
                      "Milliseconds to wait for each process to end (negative: no limit)")
      ->capture_default_str();
  add_dump_type_option(command, "--dump", options->dump_type)
      ->description(std::string("Write a minidump of the process before it is ended, where "
                                "vtutil dump without --output puts it, and print its path; "
                                "TYPE: ") +
                    kDumpTypeHelp);
  command->callback([options, pid, name] {
    if (pid->count() == 0 && name->count() == 0) throw CLI::RequiredError("PID or --name");
    run_kill(*options);
  });
}

void add_dump_command(CLI::App& app) {
  auto options = std::make_shared<DumpOptions>();
  CLI::App* command = app.add_subcommand(
      "dump",
      "Write a minidump of a running process, readable by its owner only, and print the dump's "
      "path. Without --output it goes next to the executable when the caller may write that "
      "folder and it is no system folder (/usr, /bin, /sbin, /lib*, /opt, /etc, /boot), and "
      "otherwise, with a warning that says why, into $XDG_STATE_HOME/vtutils/dumps (default "
      "~/.local/state/vtutils/dumps, made with mode 0700)");
  command->add_option("PID", options->process_id, "The process id")->required();
  add_dump_type_option(command, "--type", options->type)->capture_default_str();
  command->add_option("--output", options->output,
                      "The dump's file, or a folder to write it in under a generated name, "
                      "<executable's name><time stamp>.dmp");
  command->callback([options] { run_dump(*options); });
}
