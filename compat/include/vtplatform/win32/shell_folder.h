// The user's known folders, found the way the Linux desktop finds them: the XDG user folders of
// $XDG_CONFIG_HOME/user-dirs.dirs (default ~/.config), with xdg-user-dirs' defaults.
#pragma once

#include <string>

#include "vtplatform/export.h"
#include "vtplatform/win32/error.h"
#include "vtplatform/win32/types.h"

// The user's documents folder: XDG_DOCUMENTS_DIR, default ~/Documents.
inline constexpr int CSIDL_PERSONAL = 0x0005;
// The documents shared with other users: XDG_PUBLICSHARE_DIR, default ~/Public. Linux has no
// documents folder common to all users; the public-share folder is the desktop's place for
// files meant for others.
inline constexpr int CSIDL_COMMON_DOCUMENTS = 0x002E;
// Or-ed into the folder identifier: create the folder (and its parents) when it is missing.
inline constexpr int CSIDL_FLAG_CREATE = 0x8000;

// `flags`: the folder's current location, or its default ignoring user-dirs.dirs.
inline constexpr DWORD SHGFP_TYPE_CURRENT = 0;
inline constexpr DWORD SHGFP_TYPE_DEFAULT = 1;

// Writes the folder's path into `path` (a buffer of MAX_PATH). S_OK when the folder exists,
// S_FALSE with the path written when it does not (and CSIDL_FLAG_CREATE was not given),
// E_INVALIDARG for another folder identifier, E_FAIL when the home folder is unknown, and
// HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE) when the path does not fit. The owner window
// and the user token are not used: the folders are those of the calling user.
VTPLATFORM_API HRESULT SHGetFolderPathA(HWND owner, int folder, HANDLE token, DWORD flags,
                                        LPSTR path);

namespace vtplatform {
// The folder for diagnostic logs, with a trailing '/': the user's state folder ($XDG_STATE_HOME,
// default ~/.local/state), created with mode 0700 when missing as the XDG base directory rules
// ask; "" when the home folder is unknown.
VTPLATFORM_API std::string log_folder();

// The folder for minidumps that cannot be written next to the executable, with a trailing '/':
// $XDG_STATE_HOME/vtutils/dumps (default ~/.local/state/vtutils/dumps), made with mode 0700,
// with any missing parent, when it is missing. "" with the last error set when the home folder
// is unknown (ERROR_PATH_NOT_FOUND) or the folder cannot be made (ERROR_ACCESS_DENIED, ...).
// vtutil dump writes there; a host passes a file in it to vtuProcess::create_minidump_at.
VTPLATFORM_API std::string dump_folder();
}  // namespace vtplatform
