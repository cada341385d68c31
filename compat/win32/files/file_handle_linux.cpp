// File handles: CreateFileA/W open a file descriptor and put it in the handle table;
// GetFinalPathNameByHandleW asks the kernel for the path of the open file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <memory>
#include <string>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/file.h"
#include "vtplatform/win32/handle.h"
#include "win32/core/errno_error.h"
#include "win32/core/exception_barrier.h"
#include "win32/files/file_name.h"
#include "win32/files/file_object.h"

using vtplatform::UniqueFd;

namespace {

int access_flags(DWORD desired_access) {
  const bool read = (desired_access & (GENERIC_READ | GENERIC_ALL | FILE_READ_DATA)) != 0;
  const bool write = (desired_access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA)) != 0;
  // Appending alone, as Windows gives a handle with FILE_APPEND_DATA only.
  const int append = !write && (desired_access & FILE_APPEND_DATA) != 0 ? O_APPEND : 0;
  if (read && (write || append)) return O_RDWR | append;
  if (write || append) return O_WRONLY | append;
  if (read) return O_RDONLY;
  return O_PATH;  // no data access: the handle only names the file
}

// Opens with the flags of a disposition; OPEN_ALWAYS and CREATE_ALWAYS first try to create, so
// that they can tell the caller whether the file was already there.
int open_for(LPCSTR name, int access, DWORD disposition, bool& existed) {
  constexpr int kCommon = O_CLOEXEC;
  switch (disposition) {
    case CREATE_NEW: return ::open(name, access | kCommon | O_CREAT | O_EXCL, 0666);
    case OPEN_EXISTING: return ::open(name, access | kCommon);
    case TRUNCATE_EXISTING: return ::open(name, access | kCommon | O_TRUNC);
    case OPEN_ALWAYS:
    case CREATE_ALWAYS: {
      const int fd = ::open(name, access | kCommon | O_CREAT | O_EXCL, 0666);
      if (fd >= 0 || errno != EEXIST) return fd;
      existed = true;
      return ::open(name, access | kCommon | (disposition == CREATE_ALWAYS ? O_TRUNC : 0));
    }
    default: errno = EINVAL; return -1;  // refused by the caller already
  }
}

}  // namespace

HANDLE CreateFileA(LPCSTR file_name, DWORD desired_access, DWORD, LPSECURITY_ATTRIBUTES,
                   DWORD creation_disposition, DWORD flags_and_attributes, HANDLE) {
  if (file_name == nullptr || *file_name == '\0') {
    SetLastError(file_name == nullptr ? ERROR_INVALID_PARAMETER : ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  if (creation_disposition < CREATE_NEW || creation_disposition > TRUNCATE_EXISTING) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  int access = access_flags(desired_access);
  // A descriptor without data access can neither create nor truncate; those open for reading.
  if (access == O_PATH && creation_disposition != OPEN_EXISTING) access = O_RDONLY;
  if ((flags_and_attributes & FILE_FLAG_OPEN_REPARSE_POINT) != 0) access |= O_NOFOLLOW;
  bool existed = false;
  UniqueFd fd(open_for(file_name, access, creation_disposition, existed));
  if (!fd.valid()) {
    vtplatform::set_last_error_for_path(errno, file_name);
    return INVALID_HANDLE_VALUE;
  }
  struct stat status {};
  if (::fstat(fd.get(), &status) == 0 && S_ISDIR(status.st_mode) &&
      (flags_and_attributes & FILE_FLAG_BACKUP_SEMANTICS) == 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return vtplatform::open_handle(std::make_shared<vtplatform::FileObject>(std::move(fd)));
}

// The wide functions convert names through the code-page engine; its failure is the name's.
HANDLE CreateFileW(LPCWSTR file_name, DWORD desired_access, DWORD share_mode,
                   LPSECURITY_ATTRIBUTES security, DWORD creation_disposition,
                   DWORD flags_and_attributes, HANDLE template_file) {
  return vtplatform::without_exceptions(INVALID_HANDLE_VALUE, ERROR_INVALID_NAME, [&]() -> HANDLE {
    if (file_name == nullptr) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return INVALID_HANDLE_VALUE;
    }
    const auto name = vtplatform::narrow_file_name(file_name);
    if (!name) {
      SetLastError(ERROR_INVALID_NAME);
      return INVALID_HANDLE_VALUE;
    }
    return CreateFileA(name->c_str(), desired_access, share_mode, security, creation_disposition,
                       flags_and_attributes, template_file);
  });
}

DWORD GetFinalPathNameByHandleW(HANDLE file, LPWSTR buffer, DWORD buffer_length, DWORD) {
  return vtplatform::without_exceptions(DWORD{0}, ERROR_NO_UNICODE_TRANSLATION, [&]() -> DWORD {
    const auto object = vtplatform::find_handle_as<vtplatform::FileObject>(file);
    if (object == nullptr) {
      SetLastError(ERROR_INVALID_HANDLE);
      return 0;
    }
    const std::string link = "/proc/self/fd/" + std::to_string(object->fd());
    char target[PATH_MAX];
    const ssize_t length = ::readlink(link.c_str(), target, sizeof target);
    if (length <= 0 || length == sizeof target) {
      SetLastError(length < 0 ? vtplatform::win32_error_from_errno(errno) : ERROR_PATH_NOT_FOUND);
      return 0;
    }
    const std::wstring path = vtplatform::wide_file_name({target, static_cast<size_t>(length)});
    return vtplatform::copy_out<wchar_t>(path, buffer, buffer_length);
  });
}
