// The processes part of vtutil demo: the running program as vtuProcess sees it, found again by
// its executable name, the process and module iterators, the time stamp of file names, a
// detached child, a small process tree dumped and killed, and the desktop's lock state.
#include "processes_demo.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "lifetime_log_switch.h"

#include "vtutils/create_process.h"
#include "vtutils/desktop_state.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/processes.h"
#include "vtutils/platform/win32_types.h"
#include "vtutils/process.h"
#include "vtutils/process_iterator.h"

namespace {

const char* text(bool value) { return value ? "true" : "false"; }

void show_this_process(const vtuProcess& self) {
  std::printf("  this process: process_id() %u, valid() %s, exists() %s, parent_id() %u, "
              "orphaned() %s\n",
              self.process_id(), text(self.valid()), text(self.exists()), self.parent_id(),
              text(self.orphaned()));
  std::printf("  main_module_base_name() = \"%s\"\n", self.main_module_base_name().GetString());
}

void show_find_process(const vtuProcess& self) {
  const CString name = self.main_module_base_name();
  const vtuProcess found = vtuProcess::find_process(name);
  // The first match in list order: another copy of the program with a lower id comes first.
  const char* who = found.process_id() == self.process_id() ? "this process"
                    : found.valid()                         ? "another process of that name"
                                                            : "nothing";
  std::printf("  find_process(\"%s\") = %u (%s)\n", name.GetString(), found.process_id(), who);
}

void show_iterators(const vtuProcess& self) {
  vtuProcessIterator processes;
  int listed = 0;
  for (DWORD id = processes.first(); id != 0; id = processes.next()) ++listed;
  vtuProcessModuleIterator modules(self.process_id());
  modules.first();
  std::printf("  vtuProcessIterator: %d processes (count() %llu with the idle pseudo-process)\n",
              listed, static_cast<unsigned long long>(processes.count()));
  std::printf("  vtuProcessModuleIterator: %llu modules loaded into this process\n",
              static_cast<unsigned long long>(modules.count()));
}

void show_time_string() {
  CString stamp("dump ");
  vtuProcess::append_time_string(stamp);
  std::printf("  append_time_string to \"dump \" makes \"%s\"\n", stamp.GetString());
}

// Starts a short-lived child of this program and waits for it; it prints its version into pipes
// that nobody reads, and its parent is not this process but the one that adopts it.
void show_create_process(const vtuProcess& self) {
  CString command_line = "'" + self.main_module_file_name() + "' --version";
  CString folder;
  HANDLE child = nullptr;
  if (!vtuCreateProcess::create_process(command_line, folder, &child)) {
    std::printf("  create_process(\"%s\") failed with error %u\n", command_line.GetString(),
                GetLastError());
    return;
  }
  const DWORD waited = WaitForSingleObject(child, 5000);
  std::printf("  create_process(\"%s\") started process %u, which %s\n",
              command_line.GetString(), GetProcessId(child),
              waited == WAIT_OBJECT_0 ? "has ended" : "still runs");
  CloseHandle(child);
}

// The children of `parent` in one walk of the process list.
std::vector<DWORD> children_of(DWORD parent) {
  std::vector<DWORD> children;
  vtuProcessIterator processes;
  for (DWORD id = processes.first(); id != 0; id = processes.next()) {
    if (vtuProcess(id).parent_id() == parent) children.push_back(id);
  }
  return children;
}

// The size of the lifetime log, or 0 when it is missing.
std::uintmax_t log_size(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : size;
}

// Starts a shell with two sleeping children, writes a minidump of the shell and kills the tree.
// The shell runs from a copy in a temp folder, because the dump goes next to the executable;
// the folder goes away with the dump afterwards. The records that kill added to the lifetime log
// are shown when the user's switch is on; the demo never turns it on.
void show_kill_tree() {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path folder =
      fs::temp_directory_path() / ("vtutil-demo-" + std::to_string(GetCurrentProcessId()));
  fs::create_directory(folder, error);
  const fs::path shell = folder / "sh";
  if (error || !fs::copy_file("/bin/sh", shell, fs::copy_options::overwrite_existing, error)) {
    std::printf("  cannot copy /bin/sh into %s: %s\n", folder.c_str(), error.message().c_str());
    fs::remove_all(folder, error);
    return;
  }
  CString command_line = "'" + CString(shell.c_str()) + "' -c 'sleep 30 & sleep 30 & wait'";
  CString working_folder;
  HANDLE handle = nullptr;
  if (!vtuCreateProcess::create_process(command_line, working_folder, &handle)) {
    std::printf("  create_process(\"%s\") failed with error %u\n", command_line.GetString(),
                GetLastError());
    fs::remove_all(folder, error);
    return;
  }
  const vtuProcess tree(GetProcessId(handle));
  CloseHandle(handle);
  // The shell starts its two children at once; a second is plenty for them to appear.
  std::vector<DWORD> children = children_of(tree.process_id());
  for (int attempt = 0; attempt < 100 && children.size() < 2; ++attempt) {
    Sleep(10);
    children = children_of(tree.process_id());
  }
  std::printf("  started %s as process %u with %zu sleeping children\n",
              command_line.GetString(), tree.process_id(), children.size());

  const CString dump = tree.create_minidump(MiniDumpNormal);
  if (dump.IsEmpty()) {
    std::printf("  create_minidump(MiniDumpNormal) wrote nothing (error %u)\n", GetLastError());
  } else {
    std::printf("  create_minidump(MiniDumpNormal) wrote %s, %ju bytes (deleted again)\n",
                dump.GetString(), fs::file_size(dump.GetString(), error));
    fs::remove(dump.GetString(), error);
  }

  bool logged = false;  // off also when the registry cannot be read, as for the library
  read_lifetime_log_switch(logged);
  const std::string log = logged ? lifetime_log_path() : std::string();
  const std::uintmax_t log_start = log_size(log);
  const bool killed = vtuProcess::kill(tree, 2000);
  int left = tree.exists() ? 1 : 0;
  for (DWORD child : children) left += vtuProcess(child).exists() ? 1 : 0;
  std::printf("  kill(process %u, 2000 ms) = %s; %d of its %zu processes still exist\n",
              tree.process_id(), text(killed), left, children.size() + 1);
  fs::remove_all(folder, error);

  if (!logged) {
    std::printf("  the lifetime log is off (vtutil log on turns it on)\n");
    return;
  }
  std::printf("  kill's records in %s:\n", log.c_str());
  std::ifstream file(log, std::ios::binary);
  file.seekg(static_cast<std::streamoff>(log_start));
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::printf("    %s\n", line.c_str());
  }
}

void show_desktop_state() {
  const char* names[] = {"vtuDesktopStateUndetermined (no login session to ask)",
                         "vtuDesktopStateLocked", "vtuDesktopStateUnlocked"};
  std::printf("  vtu_is_desktop_locked() = %s\n", names[vtu_is_desktop_locked()]);
}

}  // namespace

void print_processes_demo() {
  std::printf("Processes\n");
  const vtuProcess self(GetCurrentProcessId());
  show_this_process(self);
  show_find_process(self);
  show_iterators(self);
  show_time_string();
  show_create_process(self);
  show_kill_tree();
  show_desktop_state();
}
