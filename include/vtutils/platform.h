// The platform interfaces VTUtils is written against: the Win32 subset, the application
// framework's strings and frame, and the base and platform string libraries. On Windows they are
// the system's and the framework's own headers; everywhere else the replacement layer
// libvtplatform.so provides them under the same names.
#pragma once

#if defined(_WIN32)
#include <afxwin.h>
#include <afxdlgs.h>

#include <string>
namespace vtplatform {
// The suffix of executable file names.
inline constexpr const char* kExecutableSuffix = ".exe";
// The folder for diagnostic logs: the root of the system drive.
inline std::string log_folder() { return "C:\\"; }
// Process lists and snapshots are cheap on Windows; the Linux layer shares one reading of /proc
// between those taken while an object of this class lives.
class ProcessTableScope {};
}  // namespace vtplatform
#else
#include "vtplatform/apstring/ap_path_name.h"
#include "vtplatform/apstring/ap_string.h"
#include "vtplatform/apstring/encoding.h"
#include "vtplatform/base/singleton.h"
#include "vtplatform/base/ut_service.h"
#include "vtplatform/base/ut_string.h"
#include "vtplatform/brenxml/document_factory.h"
#include "vtplatform/brenxml/xml_document.h"
#include "vtplatform/brenxml/xml_node.h"
#include "vtplatform/mfc/cstring.h"
#include "vtplatform/mfc/exceptions.h"
#include "vtplatform/mfc/file_dialog.h"
#include "vtplatform/mfc/file_dialog_presenter.h"
#include "vtplatform/mfc/module_state.h"
#include "vtplatform/mfc/string_table.h"
#include "vtplatform/mfc/win_app.h"
#include "vtplatform/mfc/window.h"
#include "vtplatform/win32/access_rights.h"
#include "vtplatform/win32/code_page.h"
#include "vtplatform/win32/com.h"
#include "vtplatform/win32/commdlg.h"
#include "vtplatform/win32/crt_time.h"
#include "vtplatform/win32/debug.h"
#include "vtplatform/win32/desktop.h"
#include "vtplatform/win32/error.h"
#include "vtplatform/win32/file.h"
#include "vtplatform/win32/handle.h"
#include "vtplatform/win32/minidump.h"
#include "vtplatform/win32/module.h"
#include "vtplatform/win32/native.h"
#include "vtplatform/win32/pipe.h"
#include "vtplatform/win32/process.h"
#include "vtplatform/win32/process_launch.h"
#include "vtplatform/win32/private_profile.h"
#include "vtplatform/win32/registry.h"
#include "vtplatform/win32/security.h"
#include "vtplatform/win32/shell_folder.h"
#include "vtplatform/win32/shell_item.h"
#include "vtplatform/win32/shell_path.h"
#include "vtplatform/win32/storage.h"
#include "vtplatform/win32/string_compare.h"
#include "vtplatform/win32/synch.h"
#include "vtplatform/win32/temp_file.h"
#include "vtplatform/win32/types.h"
#include "vtplatform/win32/version.h"
#endif
