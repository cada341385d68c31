// Files and folders on POSIX calls: attributes, folder creation, copying, deletion, the current
// directory and full path names.
#include <fcntl.h>
#include <stdio.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/file.h"
#include "win32/core/eintr.h"
#include "win32/core/error_or.h"
#include "win32/core/errno_error.h"
#include "win32/core/exception_barrier.h"
#include "win32/core/unique_fd.h"
#include "win32/files/file_info.h"
#include "win32/files/file_name.h"
#include "win32/files/sibling_file.h"

using vtplatform::retry_on_eintr;
using vtplatform::set_last_error_for_path;
using vtplatform::UniqueFd;

namespace {

bool is_empty(LPCSTR path) { return path == nullptr || *path == '\0'; }

std::string_view last_component(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  return path.substr(path.rfind('/') + 1);
}

// Copies the whole content of `from` to `to`; the errno of the failure, or no error.
[[nodiscard]] std::error_code copy_content(int from, int to) {
  for (;;) {
    const ssize_t copied = retry_on_eintr(
        [&] { return ::copy_file_range(from, nullptr, to, nullptr, 1 << 30, 0); });
    if (copied == 0) return {};
    if (copied > 0) continue;
    if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) {
      return vtplatform::errno_code();
    }
    break;  // the kernel cannot copy between these two files; copy through a buffer
  }
  std::vector<char> buffer(1 << 16);
  for (;;) {
    const ssize_t got = retry_on_eintr([&] { return ::read(from, buffer.data(), buffer.size()); });
    if (got == 0) return {};
    if (got < 0) return vtplatform::errno_code();
    for (ssize_t written = 0; written < got;) {
      const ssize_t put = retry_on_eintr([&] {
        return ::write(to, buffer.data() + written, static_cast<size_t>(got - written));
      });
      if (put < 0) return vtplatform::errno_code();
      written += put;
    }
  }
}

}  // namespace

DWORD GetFileAttributesA(LPCSTR file_name) {
  struct stat link_status {};
  if (is_empty(file_name) || ::lstat(file_name, &link_status) != 0) {
    set_last_error_for_path(is_empty(file_name) ? ENOENT : errno, file_name);
    return INVALID_FILE_ATTRIBUTES;
  }
  const bool is_link = S_ISLNK(link_status.st_mode);
  struct stat status = link_status;
  if (is_link && ::stat(file_name, &status) != 0) status = link_status;  // a dangling link
  return vtplatform::file_attributes(status, is_link, last_component(file_name));
}

BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES) {
  if (is_empty(path)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  if (::mkdir(path, 0777) != 0) {
    set_last_error_for_path(errno, path);
    return FALSE;
  }
  return TRUE;
}

BOOL CopyFileA(LPCSTR existing_file, LPCSTR new_file, BOOL fail_if_exists) {
  if (is_empty(existing_file) || is_empty(new_file)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  UniqueFd source(::open(existing_file, O_RDONLY | O_CLOEXEC));
  struct stat status {};
  if (!source.valid() || ::fstat(source.get(), &status) != 0) {
    set_last_error_for_path(errno, existing_file);
    return FALSE;
  }
  struct stat target_status {};
  const bool target_exists = ::stat(new_file, &target_status) == 0;
  if (S_ISDIR(status.st_mode) || (target_exists && S_ISDIR(target_status.st_mode)) ||
      (target_exists && !fail_if_exists && ::access(new_file, W_OK) != 0)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (target_exists && fail_if_exists) {
    SetLastError(ERROR_FILE_EXISTS);
    return FALSE;
  }

  auto copy = vtplatform::SiblingFile::create(new_file);
  if (!copy) {
    set_last_error_for_path(copy.error().value(), new_file);
    return FALSE;
  }
  std::error_code error = copy_content(source.get(), copy->fd());
  const timespec times[2] = {status.st_atim, status.st_mtim};
  if (!error && (::fchmod(copy->fd(), status.st_mode & 07777) != 0 ||
                 ::futimens(copy->fd(), times) != 0)) {
    error = vtplatform::errno_code();
  }
  if (!error) error = copy->rename_to_target(fail_if_exists != FALSE);
  if (error) {
    SetLastError(error == std::errc::file_exists
                     ? ERROR_FILE_EXISTS
                     : vtplatform::win32_error_for_path(error.value(), new_file));
    return FALSE;
  }
  return TRUE;
}

BOOL DeleteFileA(LPCSTR file_name) {
  if (is_empty(file_name) || ::unlink(file_name) != 0) {
    set_last_error_for_path(is_empty(file_name) ? ENOENT : errno, file_name);
    return FALSE;
  }
  return TRUE;
}

DWORD GetCurrentDirectoryA(DWORD buffer_length, LPSTR buffer) {
  std::string folder(PATH_MAX, '\0');
  while (::getcwd(folder.data(), folder.size()) == nullptr) {
    if (errno != ERANGE) {
      SetLastError(vtplatform::win32_error_from_errno(errno));
      return 0;
    }
    folder.resize(folder.size() * 2);
  }
  folder.resize(folder.find('\0'));
  return vtplatform::copy_out<char>(folder, buffer, buffer_length);
}

BOOL SetCurrentDirectoryA(LPCSTR path) {
  if (is_empty(path) || ::chdir(path) != 0) {
    const int error = is_empty(path) ? ENOENT : errno;
    SetLastError(error == ENOTDIR && ::access(path, F_OK) == 0
                     ? ERROR_DIRECTORY
                     : vtplatform::win32_error_for_path(error, path));
    return FALSE;
  }
  return TRUE;
}

// The name goes through the code-page engine; its failure is the name's.
DWORD GetFullPathNameW(LPCWSTR file_name, DWORD buffer_length, LPWSTR buffer,
                       LPWSTR* file_part) {
  return vtplatform::without_exceptions(DWORD{0}, ERROR_INVALID_NAME, [&]() -> DWORD {
    if (file_name == nullptr || *file_name == L'\0') {
      SetLastError(ERROR_INVALID_NAME);
      return 0;
    }
    std::wstring_view name(file_name);
    std::wstring full;
    if (!name.starts_with(L'/')) {
      char folder[PATH_MAX];
      if (GetCurrentDirectoryA(sizeof folder, folder) == 0) return 0;
      full = vtplatform::wide_file_name(folder);
    }
    full.push_back(L'/');
    full.append(name);

    // Resolve the text: empty and "." elements go, ".." takes the element before it with it.
    std::vector<std::wstring_view> elements;
    std::wstring_view rest = full;
    while (!rest.empty()) {
      const auto slash = rest.find(L'/');
      const std::wstring_view element = rest.substr(0, slash);
      rest = slash == std::wstring_view::npos ? std::wstring_view() : rest.substr(slash + 1);
      if (element.empty() || element == L".") continue;
      if (element == L"..") {
        if (!elements.empty()) elements.pop_back();
      } else {
        elements.push_back(element);
      }
    }
    std::wstring result;
    for (std::wstring_view element : elements) result.append(L"/").append(element);
    const bool trailing_separator = name.ends_with(L'/') && !elements.empty();
    if (result.empty() || trailing_separator) result.push_back(L'/');

    const DWORD length = vtplatform::copy_out<wchar_t>(result, buffer, buffer_length);
    if (file_part != nullptr && length == result.size()) {
      *file_part =
          trailing_separator || elements.empty() ? nullptr : buffer + result.rfind(L'/') + 1;
    }
    return length;
  });
}
