// Mapping errno values to Win32 error codes.
#include "win32/core/errno_error.h"

#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "vtplatform/win32/error.h"

namespace vtplatform {

DWORD win32_error_from_errno(int error) {
  switch (error) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR: return ERROR_ACCESS_DENIED;  // what Windows answers for a folder opened as a file
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EXDEV: return ERROR_NOT_SAME_DEVICE;
    case EROFS: return ERROR_WRITE_PROTECT;
    case ETXTBSY: return ERROR_SHARING_VIOLATION;
    case ENOTSUP: return ERROR_NOT_SUPPORTED;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case EBUSY: return ERROR_BUSY;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case ELOOP: return ERROR_CANT_RESOLVE_FILENAME;
    case ENOEXEC: return ERROR_BAD_EXE_FORMAT;
    default: return ERROR_GEN_FAILURE;
  }
}

DWORD win32_error_from(std::error_code error) {
  const bool is_errno =
      error.category() == std::generic_category() || error.category() == std::system_category();
  return is_errno ? win32_error_from_errno(error.value()) : ERROR_GEN_FAILURE;
}

DWORD win32_error_for_path(int error, const char* path) {
  if (error != ENOENT || path == nullptr) return win32_error_from_errno(error);
  std::string folder(path);
  while (!folder.empty() && folder.back() == '/') folder.pop_back();
  const auto slash = folder.rfind('/');
  if (slash == std::string::npos) return ERROR_FILE_NOT_FOUND;  // relative to an existing folder
  folder.resize(slash == 0 ? 1 : slash);
  struct stat status {};
  const bool folder_exists = ::stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
  return folder_exists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

void set_last_error_for_path(int error, const char* path) {
  SetLastError(win32_error_for_path(error, path));
}

}  // namespace vtplatform
