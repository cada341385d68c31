// vtuFileUtils: the shell path wrappers, the flat folder copy, temporary paths, free file names
// and the documents folders.
#include "vtutils/file_utils.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "vtutils/platform/files.h"
#include "vtutils/platform/win32_types.h"

namespace {

// The string's buffer, with room for at least MAX_PATH characters as the shell functions assume.
// The caller measures the text again with ReleaseBuffer.
LPSTR writable_path(CString& path) {
  return path.GetBuffer(std::max(static_cast<int>(MAX_PATH), path.GetLength() + 1));
}

// Runs a shell function that rewrites a path in place on a copy of `path`.
template <class ShellFunction>
CString in_place(const CString& path, ShellFunction shell_function) {
  CString result(path);
  shell_function(writable_path(result));
  result.ReleaseBuffer();
  return result;
}

// An open folder enumeration, ended when the owner goes.
using FindHandle = std::unique_ptr<void, decltype(&FindClose)>;

}  // namespace

vtuFileUtils::~vtuFileUtils() = default;

CString vtuFileUtils::path_add_extension(const CString& path, const CString& extension) {
  return in_place(path, [&](LPSTR buffer) { PathAddExtensionA(buffer, extension); });
}

CString vtuFileUtils::path_append(const CString& path, const CString& more) {
  return in_place(path, [&](LPSTR buffer) { PathAppendA(buffer, more); });
}

CString vtuFileUtils::path_combine(const CString& first, const CString& second) {
  char buffer[MAX_PATH] = {};
  if (PathCombineA(buffer, first, second) == nullptr) return CString();
  return CString(buffer);
}

bool vtuFileUtils::path_file_exists(const CString& path) { return PathFileExistsA(path) != FALSE; }

CString vtuFileUtils::path_find_file_name(const CString& path) {
  return CString(PathFindFileNameA(path));
}

CString vtuFileUtils::path_remove_extension(const CString& path) {
  return in_place(path, [](LPSTR buffer) { PathRemoveExtensionA(buffer); });
}

CString vtuFileUtils::path_remove_file_name(const CString& path) {
  return in_place(path, [](LPSTR buffer) { PathRemoveFileSpecA(buffer); });
}

bool vtuFileUtils::path_rename_extension(CString& path, const CString& extension) {
  const BOOL renamed = PathRenameExtensionA(writable_path(path), extension);
  path.ReleaseBuffer();
  return renamed != FALSE;
}

CString vtuFileUtils::path_strip_path_and_remove_extension(const CString& path) {
  return in_place(path, [](LPSTR buffer) {
    PathStripPathA(buffer);
    PathRemoveExtensionA(buffer);
  });
}

bool vtuFileUtils::copy_folder(const CString& source_folder, const CString& destination_folder) {
  if (!path_file_exists(destination_folder)) CreateDirectoryA(destination_folder, nullptr);

  WIN32_FIND_DATAA entry;
  HANDLE first = FindFirstFileA(source_folder + "*.*", &entry);
  if (first == INVALID_HANDLE_VALUE) return true;  // no source folder, or nothing in it
  const FindHandle find(first, &FindClose);
  do {
    // Folder entries (".", "..", subfolders) fail to copy and are thereby skipped.
    CopyFileA(source_folder + entry.cFileName, destination_folder + entry.cFileName, FALSE);
  } while (FindNextFileA(find.get(), &entry));
  return true;
}

CString vtuFileUtils::create_temp_file_path(const CString& prefix, const CString& preferred_name) {
  char temp_folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp_folder);
  CString result(temp_folder);
  if (!preferred_name.IsEmpty()) result = path_append(result, preferred_name);
  if (!path_file_exists(result)) return result;

  // The name is taken: let the platform make a fresh file, keep its name, and remove it again.
  char temp_file[MAX_PATH] = {};
  GetTempFileNameA(temp_folder, prefix, 0, temp_file);
  result = temp_file;
  DeleteFileA(temp_file);
  return result;
}

CString vtuFileUtils::find_first_available_file_path(const CString& folder,
                                                     const CString& base_name,
                                                     const CString& extension, int first_number) {
  // Counted in 64 bits so that passing INT_MAX goes on with 2147483648 instead of overflowing.
  for (std::int64_t number = first_number;; ++number) {
    CString candidate;
    candidate.Format("%s%lld", base_name.GetString(), static_cast<long long>(number));
    const CString path = path_combine(folder, path_add_extension(candidate, extension));
    if (!path_file_exists(path)) return path;
  }
}

CString vtuFileUtils::find_first_available_file_path_windows_style(const CString& folder,
                                                                   const CString& base_name,
                                                                   const CString& extension) {
  CString path = path_combine(folder, path_add_extension(base_name, extension));
  for (std::int64_t number = 2; path_file_exists(path); ++number) {
    CString candidate;
    candidate.Format("%s (%lld)", base_name.GetString(), static_cast<long long>(number));
    path = path_combine(folder, path_add_extension(candidate, extension));
  }
  return path;
}

CString vtuFileUtils::user_documents_path() { return get_shell_path(CSIDL_PERSONAL); }

CString vtuFileUtils::public_documents_path() { return get_shell_path(CSIDL_COMMON_DOCUMENTS); }

CString vtuFileUtils::get_shell_path(int folder_id) {
  char buffer[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, folder_id, nullptr, SHGFP_TYPE_CURRENT, buffer);
  return CString(buffer);
}
