// vtutil kill and vtutil dump: ending a process with all of its descendants through
// vtuProcess::kill, with a minidump first when asked, and writing a minidump of a running process.
#include <charconv>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "command_failure.h"
#include "commands.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/processes.h"
#include "vtutils/platform/win32_types.h"
#include "vtutils/process.h"

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
  int timeout = 5000;
  std::string dump_type;
};

void run_kill(const KillOptions& options) {
  vtuProcess target(options.process_id);
  if (!options.name.empty()) {
    target = vtuProcess::find_process(options.name.c_str());
    // The library counts the invalid process as killed: there is nothing to end.
    if (!target.valid()) {
      warn_command("kill", "no running process has an executable named " + options.name);
    }
  }
  bool killed = false;
  CString dump_path;
  if (options.dump_type.empty()) {
    killed = vtuProcess::kill(target, options.timeout);
  } else {
    killed = vtuProcess::kill_with_dump(target, options.timeout,
                                        *parse_dump_type(options.dump_type), dump_path);
  }
  std::printf("%s\n", killed ? "killed" : "not killed");
  if (!options.dump_type.empty()) {
    std::printf("dump: %s\n", dump_path.IsEmpty() ? "none written" : dump_path.GetString());
  }
  if (!killed) throw CLI::RuntimeError(1);
}

struct DumpOptions {
  DWORD process_id = 0;
  std::string type = "normal";
};

void run_dump(const DumpOptions& options) {
  const vtuProcess process(options.process_id);
  const CString path = process.create_minidump(*parse_dump_type(options.type));
  if (path.IsEmpty()) {
    fail_command("dump", process.exists()
                             ? "no dump written of process " + std::to_string(options.process_id) +
                                   " (it may not be debugged, or the dump's folder cannot be "
                                   "written)"
                             : "no running process has id " + std::to_string(options.process_id));
  }
  std::printf("%s\n", path.GetString());
}

}  // namespace

void add_kill_command(CLI::App& app) {
  auto options = std::make_shared<KillOptions>();
  CLI::App* command = app.add_subcommand(
      "kill",
      "End a process and all of its descendants, children first; prints \"killed\" (exit "
      "status 0) or \"not killed\" (1). A process that does not exist counts as killed");
  CLI::Option* pid = command->add_option("PID", options->process_id, "The process id");
  CLI::Option* name = command->add_option(
      "--name", options->name,
      "The first process whose executable is NAME plus at most two characters, ignoring case");
  pid->excludes(name);
  command->add_option("--timeout", options->timeout,
                      "Milliseconds to wait for each process to end (negative: no limit)")
      ->capture_default_str();
  add_dump_type_option(command, "--dump", options->dump_type)
      ->description(std::string("Write a minidump of the process before it is ended and print "
                                "its path; TYPE: ") +
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
      "Write a minidump of a running process next to its executable (in the temporary folder "
      "when its path is unknown) and print the dump's path");
  command->add_option("PID", options->process_id, "The process id")->required();
  add_dump_type_option(command, "--type", options->type)->capture_default_str();
  command->callback([options] { run_dump(*options); });
}
