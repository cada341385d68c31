// Files and folders: opening, finding and copying them, the current directory, the shell's path
// functions, the user's known folders, temporary folders and names, and the access rights of
// files.
#pragma once

#if defined(_WIN32)
#include <afxwin.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <stdio.h>

#include <string>
namespace vtplatform {
// The folder for diagnostic logs: the root of the system drive.
inline std::string log_folder() { return "C:\\"; }
}  // namespace vtplatform
#else
#include "vtplatform/win32/access_rights.h"
#include "vtplatform/win32/file.h"
#include "vtplatform/win32/shell_folder.h"
#include "vtplatform/win32/shell_path.h"
#include "vtplatform/win32/temp_file.h"
#endif
