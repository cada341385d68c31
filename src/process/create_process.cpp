// vtuCreateProcess: a detached child whose standard handles are two anonymous pipes.
#include "vtutils/create_process.h"

#include "process/scoped_handle.h"
#include "vtutils/platform/processes.h"

bool vtuCreateProcess::create_process(CString& command_line, CString& working_folder,
                                      HANDLE* process) {
  using vtutils::ScopedHandle;
  *process = nullptr;
  SECURITY_ATTRIBUTES security{};
  security.nLength = sizeof security;
  security.lpSecurityDescriptor = nullptr;
  security.bInheritHandle = TRUE;
  // Pipe 1 carries the child's standard input, pipe 2 its standard output and error. The ends
  // stay with this call and are closed when it returns, so the child reads end of file and its
  // writes fail instead of blocking.
  ScopedHandle input_read, input_write, output_read, output_write;
  if (!CreatePipe(input_read.receive(), input_write.receive(), &security, 0)) return false;
  if (!CreatePipe(output_read.receive(), output_write.receive(), &security, 0)) return false;

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  startup.hStdInput = input_read.get();
  startup.hStdOutput = output_write.get();
  startup.hStdError = output_write.get();
  PROCESS_INFORMATION child{};
  const BOOL started =
      CreateProcessA(nullptr, command_line.GetBuffer(), nullptr, nullptr, TRUE, DETACHED_PROCESS,
                     nullptr, working_folder, &startup, &child);
  command_line.ReleaseBuffer();
  if (!started) return false;
  const ScopedHandle thread(child.hThread);
  *process = child.hProcess;
  return true;
}
