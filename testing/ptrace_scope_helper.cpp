// A process for the ptrace scope tests, run under the ptrace scope shim: it starts a program with
// vtuCreateProcess, dumps and kills it as a host would, and tries to dump a process it did not
// start. Usage:
//
//   ptrace_scope_helper [--subreaper] PROGRAM OTHER_PID
//
// PROGRAM is started with "sleep 60000" (the process helper); with --subreaper the helper first
// becomes a child subreaper. It prints one "name value" line for each finding:
//   parent        1 when the started process is the helper's child, else 0
//   dump          the path of the started process's dump, or "error N" with the last error
//   killed        1 when kill_with_dump ended the started process, else 0
//   kill-dump     the path of the dump that kill_with_dump wrote first, or "none"
//   other-dump    as dump, for the process OTHER_PID
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "vtutils/create_process.h"
#include "vtutils/platform/processes.h"
#include "vtutils/process.h"

namespace {

void print_dump(const char* name, const CString& path) {
  if (path.IsEmpty()) {
    std::printf("%s error %u\n", name, GetLastError());
  } else {
    std::printf("%s %s\n", name, path.GetString());
  }
}

}  // namespace

int main(int argc, char** argv) {
  int arg = 1;
  const bool subreaper = argc > arg && std::strcmp(argv[arg], "--subreaper") == 0;
  if (subreaper) ++arg;
  if (argc != arg + 2) {
    std::fprintf(stderr, "usage: ptrace_scope_helper [--subreaper] PROGRAM OTHER_PID\n");
    return 2;
  }
  if (subreaper && !vtplatform::become_child_subreaper()) return 1;
  CString command_line((std::string(argv[arg]) + " sleep 60000").c_str());
  CString folder;
  HANDLE handle = nullptr;
  if (!vtuCreateProcess::create_process(command_line, folder, &handle)) return 1;
  const vtuProcess started(GetProcessId(handle));
  CloseHandle(handle);

  std::printf("parent %d\n", started.parent_id() == static_cast<DWORD>(::getpid()) ? 1 : 0);
  print_dump("dump", started.create_minidump(MiniDumpNormal));
  CString kill_dump;
  std::printf("killed %d\n", vtuProcess::kill_with_dump(started, 5000, MiniDumpNormal, kill_dump));
  std::printf("kill-dump %s\n", kill_dump.IsEmpty() ? "none" : kill_dump.GetString());
  print_dump("other-dump", vtuProcess(std::strtoul(argv[arg + 1], nullptr, 10))
                               .create_minidump(MiniDumpNormal));
  return 0;
}
