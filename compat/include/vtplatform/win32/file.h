// Files and folders: creating, finding, copying and deleting them, opening a file as a handle,
// the current directory and full and final path names.
//
// Narrow paths are the bytes the kernel sees, in the ANSI code page; only '/' separates folders,
// because '\' is an ordinary character of a Linux file name. Wide paths are the ANSI code page's
// decoding of the same bytes, so the narrow and the wide name of one file always agree.
#pragma once

#include "vtplatform/export.h"
#include "vtplatform/win32/access_rights.h"
#include "vtplatform/win32/types.h"

// A point in time as 100-nanosecond intervals since 1 January 1601 (UTC).
struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

struct SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
inline constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x2;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x400;
inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// One entry of a folder enumeration. Names are at most 255 bytes on Linux, so cFileName always
// holds the whole name; there are no short names, cAlternateFileName stays empty.
struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[MAX_PATH];
  CHAR cAlternateFileName[14];
};
using LPWIN32_FIND_DATAA = WIN32_FIND_DATAA*;

// The attributes of a file or folder: DIRECTORY, READONLY (nobody may write it), HIDDEN (the
// name starts with '.'), REPARSE_POINT (a symbolic link, whose target gives the rest), or NORMAL.
// INVALID_FILE_ATTRIBUTES with the error when nothing of that name exists.
VTPLATFORM_API DWORD GetFileAttributesA(LPCSTR file_name);

// Creates a folder with the default rights (0777 less the umask); the security attributes are
// not applied. FALSE with ERROR_ALREADY_EXISTS when something of that name exists, and with
// ERROR_PATH_NOT_FOUND when its parent folder does not.
VTPLATFORM_API BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES security);

// Enumerates the folder part of `pattern` for the names that match its last component, in the
// folder's own order, "." and ".." included. '*' matches any run of characters and '?' any one
// character; as on Windows a pattern ending in ".*" also matches names without a dot ("*.*"
// matches every name) and one ending in a single "." matches only names without a dot. Names
// compare case-sensitively, as Linux file systems do. INVALID_HANDLE_VALUE with
// ERROR_FILE_NOT_FOUND when nothing matches and ERROR_PATH_NOT_FOUND when the folder is missing.
VTPLATFORM_API HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data);
// The next match; FALSE with ERROR_NO_MORE_FILES at the end.
VTPLATFORM_API BOOL FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA data);
// Ends an enumeration.
VTPLATFORM_API BOOL FindClose(HANDLE find);

// Copies a file's content, rights and modification time. The copy is written beside the target
// and renamed over it, so a failed copy leaves the old target as it was. FALSE with
// ERROR_FILE_EXISTS when `fail_if_exists` is set and the target exists, and with
// ERROR_ACCESS_DENIED when the source is a folder or the target cannot be written.
VTPLATFORM_API BOOL CopyFileA(LPCSTR existing_file, LPCSTR new_file, BOOL fail_if_exists);

// Deletes a file (a symbolic link itself, not its target). FALSE with ERROR_ACCESS_DENIED for a
// folder.
VTPLATFORM_API BOOL DeleteFileA(LPCSTR file_name);

// The current directory, without a trailing '/' (except the root). Returns its length without
// the terminator, or the buffer size it needs (terminator included) when `buffer_length` is too
// small; 0 on failure.
VTPLATFORM_API DWORD GetCurrentDirectoryA(DWORD buffer_length, LPSTR buffer);
// FALSE with ERROR_DIRECTORY when the path names a file, the mapped error otherwise.
VTPLATFORM_API BOOL SetCurrentDirectoryA(LPCSTR path);

// The absolute form of `file_name`: relative names are taken from the current directory, and
// ".", ".." and repeated separators are resolved in the text alone, without looking at the file
// system (links are not followed). `file_part` (optional) points at the last component. The
// counting rules are those of GetCurrentDirectoryA. FALSE/0 with ERROR_INVALID_NAME for "".
VTPLATFORM_API DWORD GetFullPathNameW(LPCWSTR file_name, DWORD buffer_length, LPWSTR buffer,
                                      LPWSTR* file_part);

// CreateFile share modes, dispositions and flags (the access rights are in access_rights.h).
inline constexpr DWORD FILE_SHARE_READ = 0x1;
inline constexpr DWORD FILE_SHARE_WRITE = 0x2;
inline constexpr DWORD FILE_SHARE_DELETE = 0x4;
inline constexpr DWORD CREATE_NEW = 1;
inline constexpr DWORD CREATE_ALWAYS = 2;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD OPEN_ALWAYS = 4;
inline constexpr DWORD TRUNCATE_EXISTING = 5;
inline constexpr DWORD FILE_FLAG_BACKUP_SEMANTICS = 0x02000000;
inline constexpr DWORD FILE_FLAG_OPEN_REPARSE_POINT = 0x00200000;

// Opens or creates a file and returns a handle that CloseHandle closes. With no access rights
// the handle only names the file (it can still be asked for its final path). Access with
// FILE_APPEND_DATA but without FILE_WRITE_DATA (or GENERIC_WRITE) appends every write at the end
// of the file in one step, so that writers in several processes never overwrite each other.
// FILE_FLAG_OPEN_REPARSE_POINT refuses to follow a symbolic link in the last component, with
// ERROR_CANT_RESOLVE_FILENAME. A folder opens only
// with FILE_FLAG_BACKUP_SEMANTICS and without write access, as on Windows. Share modes are not
// enforced: Linux has no mandatory file locks. CREATE_ALWAYS and OPEN_ALWAYS report
// ERROR_ALREADY_EXISTS through GetLastError when the file was there. INVALID_HANDLE_VALUE and
// the mapped error on failure; ERROR_INVALID_PARAMETER for an unknown disposition.
VTPLATFORM_API HANDLE CreateFileA(LPCSTR file_name, DWORD desired_access, DWORD share_mode,
                                  LPSECURITY_ATTRIBUTES security, DWORD creation_disposition,
                                  DWORD flags_and_attributes, HANDLE template_file);
VTPLATFORM_API HANDLE CreateFileW(LPCWSTR file_name, DWORD desired_access, DWORD share_mode,
                                  LPSECURITY_ATTRIBUTES security, DWORD creation_disposition,
                                  DWORD flags_and_attributes, HANDLE template_file);

inline constexpr DWORD FILE_NAME_NORMALIZED = 0x0;
inline constexpr DWORD VOLUME_NAME_DOS = 0x0;

// The canonical absolute path of an open file: every link, "." and ".." resolved, as the kernel
// knows it. Linux has one volume namespace, so all flags give the same text. The counting rules
// are those of GetCurrentDirectoryA.
VTPLATFORM_API DWORD GetFinalPathNameByHandleW(HANDLE file, LPWSTR buffer, DWORD buffer_length,
                                               DWORD flags);

// Origins of SetFilePointer.
inline constexpr DWORD FILE_BEGIN = 0;
inline constexpr DWORD FILE_CURRENT = 1;
inline constexpr DWORD FILE_END = 2;
inline constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFF;

// Moves the file position by `distance` from `method`'s origin; `*distance_high`, when given,
// holds the upper 32 bits of a 64-bit distance and receives those of the new position. Returns
// the lower 32 bits of the new position; INVALID_SET_FILE_POINTER with ERROR_NEGATIVE_SEEK before
// the start, ERROR_INVALID_HANDLE for a handle that is no file. (A new position whose lower half
// is all ones also returns INVALID_SET_FILE_POINTER, with ERROR_SUCCESS.)
VTPLATFORM_API DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distance_high, DWORD method);

// Asynchronous writing is not offered; the overlapped record must be null.
struct OVERLAPPED;
using LPOVERLAPPED = OVERLAPPED*;

// Writes `bytes` bytes at the file position (at the end for an appending handle), retrying until
// all are written; `*written` receives the count. FALSE with the mapped error (ERROR_DISK_FULL,
// ...) when the file refuses them, ERROR_INVALID_HANDLE for a handle that is no file,
// ERROR_ACCESS_DENIED for one opened without write access, ERROR_INVALID_PARAMETER for an
// overlapped record.
VTPLATFORM_API BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytes, DWORD* written,
                              LPOVERLAPPED overlapped);
