// vtutil ps: running processes through the library's process queries. `find` lists the processes
// whose executable has a given name, `modules` the files loaded into one process, and `tree` a
// process with all of its descendants.
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "command_failure.h"
#include "commands.h"
#include "escaped.h"
#include "json_line.h"
#include "vtutils/platform/processes.h"
#include "vtutils/platform/win32_types.h"
#include "vtutils/process.h"
#include "vtutils/process_iterator.h"

namespace {

struct PsOptions {
  std::string name;
  bool all = false;
  DWORD process_id = 0;
  bool json = false;
};

std::string no_such_process(DWORD process_id) {
  return "no running process has id " + std::to_string(process_id);
}

void find(const PsOptions& options) {
  std::vector<vtuProcess> found;
  vtuProcess::find_processes(options.name.c_str(), options.all,
                             [&found](vtuProcess process) { found.push_back(process); });
  if (found.empty()) {
    fail_command("ps find", "no running process has an executable named " + options.name +
                                " or that name and up to two more characters");
  }
  if (!options.json) std::printf("%-8s %-8s %-8s %s\n", "PID", "PPID", "ORPHANED", "EXECUTABLE");
  for (const vtuProcess& process : found) {
    const CString executable = process.main_module_file_name();
    if (options.json) {
      JsonLine()
          .number("pid", process.process_id())
          .number("ppid", process.parent_id())
          .boolean("orphaned", process.orphaned())
          .text("executable", executable.GetString())
          .write("ps find");
      continue;
    }
    std::printf("%-8u %-8u %-8s %s\n", process.process_id(), process.parent_id(),
                process.orphaned() ? "yes" : "no", escaped(executable.GetString()).c_str());
  }
}

// Why a process could not be opened, from the error that OpenProcess left.
std::string open_failure(DWORD process_id, DWORD error) {
  switch (error) {
    case ERROR_INVALID_PARAMETER:
      return no_such_process(process_id);
    case ERROR_ACCESS_DENIED:
      return "may not read the memory map of process " + std::to_string(process_id) +
             " (another user's process, or one that forbids inspection)";
    default:
      return "cannot open process " + std::to_string(process_id) + ": " + error_text(error);
  }
}

void modules(const PsOptions& options) {
  vtuProcessModuleIterator modules(options.process_id);
  // The constructor does nothing but open the process, so the last error is OpenProcess's.
  if (modules.process_handle() == nullptr) {
    fail_command("ps modules", open_failure(options.process_id, GetLastError()));
  }
  HMODULE module = modules.first();
  if (module == nullptr) {
    fail_command("ps modules", "process " + std::to_string(options.process_id) +
                                   " lists no modules (a kernel thread, or it has just ended)");
  }
  if (!options.json) std::printf("%-18s %s\n", "MODULE", "PATH");
  for (; module != nullptr; module = modules.next()) {
    char path[MAX_PATH];
    const DWORD length = K32GetModuleFileNameExA(modules.process_handle(), module, path, MAX_PATH);
    char address[24];
    std::snprintf(address, sizeof address, "0x%016" PRIxPTR,
                  reinterpret_cast<std::uintptr_t>(module));
    if (options.json) {
      JsonLine line;
      line.text("module", address);
      if (length != 0) line.text("path", std::string_view(path, length));
      line.boolean("loaded", length != 0).write("ps modules");
      continue;
    }
    std::printf("%s %s\n", address,
                length != 0 ? escaped(std::string_view(path, length)).c_str()
                            : "(no longer loaded)");
  }
}

struct ProcessEntry {
  DWORD id;
  DWORD parent_id;
  std::string name;
};

// Every live process from one Toolhelp snapshot, so that a tree shows a single moment.
std::vector<ProcessEntry> snapshot_processes() {
  const HANDLE handle = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (handle == INVALID_HANDLE_VALUE) {
    fail_command("ps tree",
                 "cannot take a snapshot of the process list: " + error_text(GetLastError()));
  }
  const std::unique_ptr<void, BOOL (*)(HANDLE)> snapshot(handle, CloseHandle);
  std::vector<ProcessEntry> entries;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(handle, &entry); more; more = Process32Next(handle, &entry)) {
    entries.push_back({entry.th32ProcessID, entry.th32ParentProcessID, entry.szExeFile});
    entry.dwSize = sizeof entry;
  }
  return entries;
}

// The processes of one snapshot with their children, printed as a tree indented by two blanks
// per generation.
class ProcessTree {
 public:
  ProcessTree(std::vector<ProcessEntry> entries, bool json)
      : entries_(std::move(entries)), shown_(entries_.size()), json_(json) {
    for (std::size_t index = 0; index < entries_.size(); ++index) {
      children_.emplace(entries_[index].parent_id, index);
    }
  }

  // Prints the process `process_id` and its descendants; false when the snapshot lacks it.
  bool print(DWORD process_id) {
    for (std::size_t index = 0; index < entries_.size(); ++index) {
      if (entries_[index].id == process_id) {
        print(index, 0);
        return true;
      }
    }
    return false;
  }

 private:
  void print(std::size_t index, int depth) {
    // The snapshot reads the processes one after another; an id reused meanwhile can make a
    // process its own ancestor, so each entry is printed once.
    if (shown_[index]) return;
    shown_[index] = true;
    const ProcessEntry& entry = entries_[index];
    if (json_) {
      JsonLine()
          .number("pid", entry.id)
          .number("ppid", entry.parent_id)
          .number("depth", depth)
          .text("name", entry.name)
          .write("ps tree");
    } else {
      std::printf("%*s%u %s\n", 2 * depth, "", entry.id, escaped(entry.name).c_str());
    }
    const auto [begin, end] = children_.equal_range(entries_[index].id);
    for (auto child = begin; child != end; ++child) print(child->second, depth + 1);
  }

  std::vector<ProcessEntry> entries_;
  // Parent id to the indexes of its children, in snapshot order.
  std::multimap<DWORD, std::size_t> children_;
  std::vector<bool> shown_;
  bool json_;
};

void tree(const PsOptions& options) {
  ProcessTree processes(snapshot_processes(), options.json);
  if (!processes.print(options.process_id)) {
    fail_command("ps tree", no_such_process(options.process_id));
  }
}

}  // namespace

void add_ps_command(CLI::App& app) {
  auto options = std::make_shared<PsOptions>();
  CLI::App* command = app.add_subcommand("ps", "Running processes as the library sees them");
  command->require_subcommand(1);

  CLI::App* find_command = command->add_subcommand(
      "find", "Processes whose executable is NAME plus at most two characters, ignoring case");
  find_command->add_option("NAME", options->name, "The executable's file name, or its start")
      ->required();
  find_command->add_flag("--all", options->all, "List every match, not only the first");
  add_json_flag(find_command, options->json);
  find_command->callback([options] { find(*options); });

  CLI::App* modules_command = command->add_subcommand(
      "modules", "The files loaded into a process, its executable first");
  modules_command->add_option("PID", options->process_id, "The process id")->required();
  add_json_flag(modules_command, options->json);
  modules_command->callback([options] { modules(*options); });

  CLI::App* tree_command =
      command->add_subcommand("tree", "A process and all of its descendants");
  tree_command->add_option("PID", options->process_id, "The process id")->required();
  add_json_flag(tree_command, options->json);
  tree_command->callback([options] { tree(*options); });
}
