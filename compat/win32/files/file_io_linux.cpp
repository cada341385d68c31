// Writing through file handles: the file position and writes on the handle's descriptor.
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/file.h"
#include "win32/core/eintr.h"
#include "win32/core/errno_error.h"
#include "win32/files/file_object.h"

DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distance_high, DWORD method) {
  const auto object = vtplatform::find_handle_as<vtplatform::FileObject>(file);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return INVALID_SET_FILE_POINTER;
  }
  if (method > FILE_END) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  const int whence = method == FILE_BEGIN ? SEEK_SET : method == FILE_CURRENT ? SEEK_CUR : SEEK_END;
  // Without a high part the distance is a signed 32-bit value; with one, the two halves make a
  // signed 64-bit value.
  const std::int64_t offset =
      distance_high == nullptr
          ? distance
          : static_cast<std::int64_t>((static_cast<std::uint64_t>(
                                           static_cast<std::uint32_t>(*distance_high))
                                       << 32) |
                                      static_cast<std::uint32_t>(distance));
  const off_t position = ::lseek(object->fd(), offset, whence);
  if (position < 0) {
    SetLastError(errno == EINVAL ? ERROR_NEGATIVE_SEEK : vtplatform::win32_error_from_errno(errno));
    return INVALID_SET_FILE_POINTER;
  }
  if (distance_high != nullptr) *distance_high = static_cast<LONG>(position >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(position & 0xFFFFFFFF);
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytes, DWORD* written, LPOVERLAPPED overlapped) {
  if (written != nullptr) *written = 0;
  if (overlapped != nullptr || (buffer == nullptr && bytes != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const auto object = vtplatform::find_handle_as<vtplatform::FileObject>(file);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  const auto* data = static_cast<const char*>(buffer);
  DWORD done = 0;
  while (done < bytes) {
    const ssize_t count = vtplatform::retry_on_eintr(
        [&] { return ::write(object->fd(), data + done, bytes - done); });
    if (count < 0) {
      // EBADF: the descriptor was not opened for writing.
      SetLastError(errno == EBADF ? ERROR_ACCESS_DENIED : vtplatform::win32_error_from_errno(errno));
      return FALSE;
    }
    done += static_cast<DWORD>(count);
    if (written != nullptr) *written = done;
  }
  return TRUE;
}
