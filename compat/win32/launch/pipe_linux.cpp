// CreatePipe: pipe2 with both ends close-on-exec, each end put in the handle table.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <memory>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/pipe.h"
#include "win32/core/errno_error.h"
#include "win32/core/exception_barrier.h"
#include "win32/launch/pipe_object.h"

namespace vtplatform {

int pipe_descriptor(HANDLE pipe) {
  const auto object = find_handle_as<PipeObject>(pipe);
  return object ? object->fd() : -1;
}

}  // namespace vtplatform

BOOL CreatePipe(HANDLE* read_pipe, HANDLE* write_pipe, LPSECURITY_ATTRIBUTES, DWORD size) {
  using namespace vtplatform;
  if (read_pipe == nullptr || write_pipe == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    SetLastError(win32_error_from_errno(errno));
    return FALSE;
  }
  UniqueFd read_end(fds[0]);
  UniqueFd write_end(fds[1]);
  // Best effort: the size is a hint on Windows too, and the kernel caps it for unprivileged users.
  if (size > 0) {
    ::fcntl(write_end.get(), F_SETPIPE_SZ, size > INT_MAX ? INT_MAX : static_cast<int>(size));
  }
  // Only the handle table's allocations can throw; the ends close when they do.
  return without_exceptions(FALSE, ERROR_NOT_ENOUGH_MEMORY, [&] {
    *read_pipe = open_handle(std::make_shared<PipeObject>(std::move(read_end)));
    *write_pipe = open_handle(std::make_shared<PipeObject>(std::move(write_end)));
    return TRUE;
  });
}
