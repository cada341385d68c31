// The shell's narrow path functions: path text in MAX_PATH buffers, and two questions about the
// file system.
//
// Path text is bytes in the ANSI code page and is never decoded; bytes of 0x80 and above are
// ordinary characters. Both '/' and '\' separate components when a path is read; a separator that
// a function inserts is always '/', and the caller's own separators are kept as they are, except
// in PathCombineA's result, which is rewritten with '/' throughout. A path is rooted when it
// starts with a separator. Drive letters mean nothing on Linux: "C:\dir" is a relative path whose
// first component is "C:".
//
// The functions that write into a buffer assume it holds MAX_PATH characters and never write more:
// a result that would need more than MAX_PATH characters with its terminator is a failure, and the
// text given to them must itself be shorter than MAX_PATH. Null pointers are not dereferenced.
#pragma once

#include "vtplatform/export.h"
#include "vtplatform/win32/file.h"
#include "vtplatform/win32/types.h"

// The last component: it starts after the last separator that is followed by something other than
// a separator, so a trailing separator belongs to it ("/opt/app/" gives "app/", "/" gives "/").
// Null for a null path.
VTPLATFORM_API LPSTR PathFindFileNameA(LPCSTR path);

// The extension: the last '.' after the last separator or space, up to the end ("scan.v1" gives
// ".v1", ".profile" gives ".profile"). An extension cannot hold a space, so "file.a b" has none.
// Without an extension, the terminating NUL. Null for a null path.
VTPLATFORM_API LPSTR PathFindExtensionA(LPCSTR path);

// Attaches `extension` unless the path already has one; a null or empty extension means ".exe".
// TRUE if the extension was added; FALSE when the path has one already, when the result would not
// fit, or for a null path, and the buffer is then unchanged.
VTPLATFORM_API BOOL PathAddExtensionA(LPSTR path, LPCSTR extension);

// Replaces the extension with `extension` (which normally starts with '.'), or attaches it when
// there is none. FALSE, with the buffer unchanged, when the result would not fit or for a null
// argument.
VTPLATFORM_API BOOL PathRenameExtensionA(LPSTR path, LPCSTR extension);

// Cuts the extension with its dot off the path, if there is one.
VTPLATFORM_API void PathRemoveExtensionA(LPSTR path);

// Cuts the last component off with the separator before it: "/opt/app" gives "/opt",
// "/opt/app/" gives "/opt/app", "/opt" gives "/" and a bare name gives "". A lone "/" stays.
// TRUE if something was removed.
VTPLATFORM_API BOOL PathRemoveFileSpecA(LPSTR path);

// Keeps only the last component as PathFindFileNameA finds it, moved to the start of the buffer.
VTPLATFORM_API void PathStripPathA(LPSTR path);

// Appends `more` with one separator between the two: a '/' is inserted unless the path is empty
// or already ends with a separator, and the separators that start `more` are skipped (`more` is
// appended even when rooted). An empty path becomes `more` as given. Unlike the Windows function
// this joins text only: "." and ".." elements stay, so relative paths stay relative. FALSE, with
// the buffer unchanged, when the result would not fit or for a null argument.
VTPLATFORM_API BOOL PathAppendA(LPSTR path, LPCSTR more);

// Writes the canonical form of `file` relative to `directory` into `destination`: a rooted `file`
// stands alone, otherwise the two are joined with a separator, and with a null or empty argument
// the other is used alone. Then "." elements and repeated separators are dropped, ".." removes the
// element before it, ".." at the root stays at the root, and separators are written as '/'. A
// trailing separator is kept. Unlike the Windows function, a ".." that climbs above the start of a
// relative path is kept ("../data" stays "../data"), and a relative path that resolves to nothing
// becomes "." rather than the root; two empty arguments give "". `destination` may be `directory`
// or `file`. Returns `destination`; null with `destination` set to "" when the result would need
// more than MAX_PATH characters with its terminator, when an argument is MAX_PATH characters or
// longer, or when both arguments are null.
VTPLATFORM_API LPSTR PathCombineA(LPSTR destination, LPCSTR directory, LPCSTR file);

// Whether the path does not start with a separator. TRUE for a null or empty path.
VTPLATFORM_API BOOL PathIsRelativeA(LPCSTR path);

// TRUE when a file, folder or other object of that path exists (symbolic links followed).
// FALSE for a null, empty or too long path.
VTPLATFORM_API BOOL PathFileExistsA(LPCSTR path);

// FILE_ATTRIBUTE_DIRECTORY when the path names an existing folder (symbolic links followed),
// FALSE otherwise, and for a null, empty or too long path.
VTPLATFORM_API BOOL PathIsDirectoryA(LPCSTR path);
