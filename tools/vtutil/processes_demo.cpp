// The processes part of vtutil demo: the running program as vtuProcess sees it, found again by
// its executable name, the process and module iterators, the time stamp of file names, a
// detached child and the desktop's lock state.
#include "processes_demo.h"

#include <cstdio>

#include "vtutils/create_process.h"
#include "vtutils/desktop_state.h"
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
  show_desktop_state();
}
