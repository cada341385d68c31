// Folder enumeration with Windows wildcard patterns, on opendir/readdir.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/file.h"
#include "vtplatform/win32/handle.h"
#include "win32/core/errno_error.h"
#include "win32/core/kernel_object.h"
#include "win32/files/file_info.h"
#include "win32/text/ansi_text.h"

namespace vtplatform {
namespace {

// '*' matches any run of characters, '?' exactly one character of the ANSI code page (of one
// byte or more). Characters compare byte for byte.
bool wildcard_match(std::string_view pattern, std::string_view name) {
  const AnsiText pattern_text(pattern);
  const AnsiText name_text(name);
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t star = std::string_view::npos;  // where the last '*' was seen
  std::size_t star_name = 0;                  // the name position that '*' was tried against
  while (n < name.size()) {
    const std::size_t name_end = name_text.next(n);
    const std::string_view wanted = pattern.substr(p, pattern_text.next(p) - p);
    if (wanted == "*") {
      star = p++;
      star_name = n;
    } else if (!wanted.empty() && (wanted == "?" || wanted == name.substr(n, name_end - n))) {
      p += wanted.size();
      n = name_end;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = star_name = name_text.next(star_name);
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

// Windows' rules on top of the plain wildcards: a trailing ".*" may match nothing at all, so
// "*.*" takes every name, and a trailing "." asks for names without an extension.
bool pattern_matches(std::string_view pattern, std::string_view name) {
  if (wildcard_match(pattern, name)) return true;
  if (pattern.ends_with(".*")) return pattern_matches(pattern.substr(0, pattern.size() - 2), name);
  if (pattern.ends_with('.') && pattern.find_first_not_of('.') != std::string_view::npos) {
    return name.find('.') == std::string_view::npos &&
           wildcard_match(pattern.substr(0, pattern.size() - 1), name);
  }
  return false;
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

// An open enumeration: the folder stream and the pattern its names are matched against.
class FindObject : public KernelObject {
 public:
  FindObject(std::unique_ptr<DIR, DirCloser> dir, std::string pattern)
      : dir_(std::move(dir)), pattern_(std::move(pattern)) {}

  // Fills `data` with the next matching entry; false at the end of the folder.
  bool next(WIN32_FIND_DATAA& data) {
    while (const dirent* entry = ::readdir(dir_.get())) {
      const std::string_view name = entry->d_name;
      if (name.size() >= MAX_PATH || !pattern_matches(pattern_, name)) continue;
      describe(entry->d_name, data);
      return true;
    }
    return false;
  }

 private:
  void describe(const char* name, WIN32_FIND_DATAA& data) const {
    data = WIN32_FIND_DATAA{};
    std::strcpy(data.cFileName, name);
    struct stat status {};
    const int folder = ::dirfd(dir_.get());
    if (::fstatat(folder, name, &status, AT_SYMLINK_NOFOLLOW) != 0) return;  // gone meanwhile
    const bool is_link = S_ISLNK(status.st_mode);
    if (is_link) ::fstatat(folder, name, &status, 0);
    data.dwFileAttributes = file_attributes(status, is_link, name);
    // Linux keeps no creation time in stat; the last status change is the nearest.
    data.ftCreationTime = filetime_from_timespec(status.st_ctim);
    data.ftLastAccessTime = filetime_from_timespec(status.st_atim);
    data.ftLastWriteTime = filetime_from_timespec(status.st_mtim);
    if (!S_ISDIR(status.st_mode)) {
      const auto size = static_cast<std::uint64_t>(status.st_size);
      data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
      data.nFileSizeLow = static_cast<DWORD>(size);
    }
  }

  std::unique_ptr<DIR, DirCloser> dir_;
  std::string pattern_;
};

}  // namespace
}  // namespace vtplatform

using vtplatform::FindObject;

HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data) {
  if (pattern == nullptr || data == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const std::string_view text(pattern);
  const auto slash = text.rfind('/');
  const std::string folder = slash == std::string_view::npos ? "."
                             : slash == 0                    ? "/"
                                                             : std::string(text.substr(0, slash));
  const std::string name_pattern(text.substr(slash == std::string_view::npos ? 0 : slash + 1));
  if (name_pattern.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  std::unique_ptr<DIR, vtplatform::DirCloser> dir(::opendir(folder.c_str()));
  if (dir == nullptr) {
    SetLastError(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND
                                                     : vtplatform::win32_error_from_errno(errno));
    return INVALID_HANDLE_VALUE;
  }
  auto find = std::make_shared<FindObject>(std::move(dir), name_pattern);
  if (!find->next(*data)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  return vtplatform::open_handle(std::move(find));
}

BOOL FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA data) {
  const auto object = vtplatform::find_handle_as<FindObject>(find);
  if (object == nullptr || data == nullptr) {
    SetLastError(object == nullptr ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!object->next(*data)) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  return TRUE;
}

BOOL FindClose(HANDLE find) {
  if (vtplatform::find_handle_as<FindObject>(find) == nullptr || !vtplatform::close_handle(find)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
