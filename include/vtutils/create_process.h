// vtuCreateProcess: starts a program as a detached child process whose standard input, output and
// error are anonymous pipes rather than the caller's console or terminal.
#pragma once

#include "vtutils/export.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/win32_types.h"

class VTUTILS_API vtuCreateProcess {
 public:
  vtuCreateProcess() = default;
  vtuCreateProcess(const vtuCreateProcess&) = default;
  vtuCreateProcess& operator=(const vtuCreateProcess&) { return *this; }
  vtuCreateProcess& operator=(vtuCreateProcess&&) { return *this; }

  // Starts the program that the first word of `command_line` names, with the whole line as its
  // arguments, in `working_folder`, and stores the child's process handle in `*process`; the
  // caller closes it with CloseHandle and may wait on it. The child's standard input reaches end of
  // file at once and its output goes nowhere: nobody reads or writes the pipes. False, with
  // `*process` null and the system's last error set, when a pipe or the process cannot be made,
  // as for a program that does not exist.
  static bool create_process(CString& command_line, CString& working_folder, HANDLE* process);
};
