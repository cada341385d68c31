// vtuProcess: one process of the machine, named by its id. The object holds nothing but the id;
// every query asks the system anew, so an object may outlive its process and then answers that
// it is gone. No query reports an error: each gives its empty answer instead (false, 0, "", the
// invalid process).
#pragma once

#include "vtutils/export.h"
#include "vtutils/filler.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/processes.h"
#include "vtutils/platform/win32_types.h"

class VTUTILS_API vtuProcess {
 public:
  // The id of no process: all bits set.
  static constexpr DWORD kInvalidId = 0xFFFFFFFF;

  // Names the process `id`, unchecked.
  explicit vtuProcess(DWORD id);
  vtuProcess(const vtuProcess&) = default;
  vtuProcess& operator=(const vtuProcess&) = default;
  ~vtuProcess() = default;

  DWORD process_id() const;
  // Whether the id is not the invalid one. Id 0 is valid but never exists.
  bool valid() const;
  // Whether the id is in a fresh process list.
  bool exists() const;
  // The id of the process that started this one, from a system snapshot; 0 when unknown.
  DWORD parent_id() const;
  // True when the parent is no longer listed (a process without a known parent included), or is
  // listed but neither its creation time nor this process's can be read.
  bool orphaned() const;
  // The file name of the main executable without its folder; "" when it cannot be read.
  CString main_module_base_name() const;
  // The full path of the main executable, or else the process's image file name; "" when neither
  // can be read.
  CString main_module_file_name() const;
  // Stops every thread of the process. Nothing happens when it cannot be opened; nothing resumes
  // it here.
  void suspend() const;
  // Writes a minidump of the process with the contents `dump_type` asks for, as its debugger,
  // next to its executable: <executable path without extension><time stamp>.dmp (in the
  // temporary folder, named killed<time stamp>.dmp, when the executable's path is unknown). The
  // dump's path; "" when none was written, with the thread's last error telling why:
  // ERROR_ACCESS_DENIED when the process may not be opened or debugged (on Linux also where the
  // Yama ptrace scope allows only descendants, or another debugger holds it) or the file may not
  // be created, the file's own error when it cannot be created or written, ...
  CString create_minidump(MINIDUMP_TYPE dump_type) const;
  // create_minidump, written to the file `path` (replaced when it exists) instead.
  CString create_minidump_at(MINIDUMP_TYPE dump_type, const char* path) const;

  // The first process, in process-list order, whose executable file name is `name` followed by
  // at most two more characters and the platform's executable suffix, ignoring case ("tool"
  // finds tool, Tool64 and tool_d, not toolbox; on Windows tool.exe, Tool64.exe and tool_d.exe).
  // The invalid process when none matches.
  static vtuProcess find_process(const char* name);
  // Calls `filler` with each process that matches `name` as find_process does, in process-list
  // order, or with the first one only when `all` is false. The calling process is not left out.
  static void find_processes(const char* name, bool all, coiFiller<vtuProcess> filler);
  // Ends the process and every process it started, children before parents: the target is
  // suspended, its children (never the calling process, nor a process older than the target) are
  // killed the same way, then it is terminated and waited for, up to `timeout` milliseconds per
  // wait (negative: no limit for the handle wait); a second attempt follows a failed first. True
  // when the process is gone or `process` is invalid; false when it cannot be terminated or
  // survives, and for the calling process itself, which is never a target. Each step is traced in
  // the lifetime log while the user's switch is on.
  static bool kill(const vtuProcess& process, int timeout);
  // kill, with a minidump written first (see create_minidump) by each attempt; `dump_path`
  // receives the last dump's path, or "".
  static bool kill_with_dump(const vtuProcess& process, int timeout, MINIDUMP_TYPE dump_type,
                             CString& dump_path);

  // Appends the current local time with milliseconds, "2031.05.07 09-15-02.042". Throws the
  // framework's COleException with E_INVALIDARG when the clock cannot be read as local time.
  static void append_time_string(CString& s);

 private:
  friend class vtuProcessPeer;  // the tests' access to the private steps

  // The invalid process.
  vtuProcess();

  // The order of the two processes' creation: negative when `a` started first, 0 when at the same
  // time, positive when later. A process that cannot be opened counts as created at time 0.
  static long compare_process_time(DWORD a, DWORD b);

  // The two attempts of kill, one attempt, and the wait in 200 ms steps until the process is no
  // longer listed (at least one step; true when it is gone).
  static bool kill_internal(const vtuProcess& process, int timeout, bool with_dump,
                            MINIDUMP_TYPE dump_type, CString* dump_path);
  static bool try_to_kill(const vtuProcess& process, int timeout, bool with_dump,
                          MINIDUMP_TYPE dump_type, CString* dump_path);
  static bool wait_for_process_exit(const vtuProcess& process, int timeout);

  DWORD id_;
};

extern template class VTUTILS_API coiAbsFiller<vtuProcess>;
extern template class VTUTILS_API coiFillerImpl<vtuProcess>;
extern template class VTUTILS_API coiFiller<vtuProcess>;
