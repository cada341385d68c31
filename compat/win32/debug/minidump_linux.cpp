// MiniDumpWriteDump: checks the handles, holds the process stopped through the calling thread's
// ptrace session (or one of its own for the time of the dump) and writes the streams.
#include "vtplatform/win32/minidump.h"

#include <sys/stat.h>
#include <unistd.h>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/process.h"
#include "win32/core/read_file.h"
#include "win32/debug/minidump_streams_linux.h"
#include "win32/debug/ptrace_session_linux.h"
#include "win32/files/file_object.h"
#include "win32/process/process_object.h"

namespace vtplatform {
namespace {

BOOL fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

// Writes every stream of the process that `session` holds stopped into `fd`; the Win32 error of
// the first failure, ERROR_SUCCESS when the dump is complete.
DWORD write_dump(int fd, const ProcessStat& stat, const PtraceSession& session,
                 MINIDUMP_TYPE type) {
  using namespace minidump;
  const pid_t pid = session.pid();
  const auto memory = ProcessMemory::open(pid);
  const auto maps = read_file("/proc/" + std::to_string(pid) + "/maps");
  if (!memory || !maps) return ERROR_ACCESS_DENIED;
  const DumpSource source{pid,  stat, *memory, parse_memory_regions(*maps),
                          parse_mapped_modules(*maps), session.threads(), type};

  DumpFile file(fd, kMaxStreams);
  write_system_info(file);
  write_misc_info(file, source);
  write_module_list(file, source);
  if ((type & MiniDumpWithThreadInfo) != 0) write_thread_info_list(file, source);
  if ((type & MiniDumpWithHandleData) != 0) write_handle_data(file, source);
  if ((type & MiniDumpWithFullMemoryInfo) != 0) write_memory_info_list(file, source);
  write_linux_streams(file, source);
  // Last, so that a full memory list ends the file.
  write_threads_and_memory(file, source);
  file.finish(type);
  return file.error();
}

}  // namespace
}  // namespace vtplatform

BOOL MiniDumpWriteDump(HANDLE process, DWORD process_id, HANDLE file, MINIDUMP_TYPE dump_type,
                       PMINIDUMP_EXCEPTION_INFORMATION exception_param,
                       PMINIDUMP_USER_STREAM_INFORMATION user_stream_param,
                       PMINIDUMP_CALLBACK_INFORMATION /*callback_param*/) {
  using namespace vtplatform;
  if ((dump_type & ~MiniDumpValidTypeFlags) != 0 || exception_param != nullptr ||
      user_stream_param != nullptr) {
    return fail(ERROR_INVALID_PARAMETER);
  }
  // A process cannot trace itself, so its own registers cannot be read this way.
  if (process == GetCurrentProcess()) return fail(ERROR_NOT_SUPPORTED);
  const auto target = find_handle_as<ProcessObject>(process);
  const auto output = find_handle_as<FileObject>(file);
  if (!target || !output) return fail(ERROR_INVALID_HANDLE);
  constexpr ACCESS_MASK kNeeded = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;
  if ((target->access() & kNeeded) != kNeeded) return fail(ERROR_ACCESS_DENIED);
  if (target->pid() == ::getpid()) return fail(ERROR_NOT_SUPPORTED);
  const auto stat = read_process_stat(target->pid());
  // The start time tells the handle's process from a later one that was given its id.
  if (static_cast<DWORD>(target->pid()) != process_id || !stat || !is_live(*stat) ||
      stat->start_ticks != target->start_ticks()) {
    return fail(ERROR_INVALID_PARAMETER);
  }

  std::unique_ptr<PtraceSession> own_session;
  const PtraceSession* session = nullptr;
  const auto& sessions = thread_debug_sessions();
  if (const auto found = sessions.find(target->pid());
      found != sessions.end() && found->second->start_ticks() == target->start_ticks()) {
    session = found->second.get();
  } else {
    DWORD error = ERROR_SUCCESS;
    own_session = PtraceSession::attach(target->pid(), &error);
    if (!own_session) return fail(error);
    session = own_session.get();
  }
  // A dump holds the process's stacks and environment, and with full memory everything: like a
  // kernel core file it is for its owner alone, whatever rights the file was created with. (A
  // file of another user keeps the rights that user gave it.)
  struct stat file_status {};
  if (::fstat(output->fd(), &file_status) == 0 && S_ISREG(file_status.st_mode)) {
    ::fchmod(output->fd(), 0600);
  }
  const DWORD error = write_dump(output->fd(), *stat, *session, dump_type);
  return error == ERROR_SUCCESS ? TRUE : fail(error);
}
