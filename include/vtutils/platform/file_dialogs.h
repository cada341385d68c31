// The framework's open and save dialog (CFileDialog) with its window classes, the common dialog
// settings record and flags, and the shell items of the Vista-style dialog's selection; elsewhere
// also the presenters that show the dialog (the desktop's tools, a script, the host's own).
#pragma once

#if defined(_WIN32)
#include <afxwin.h>
#include <afxdlgs.h>
#include <shobjidl.h>
#else
#include "vtplatform/mfc/file_dialog.h"
#include "vtplatform/mfc/file_dialog_presenter.h"
#include "vtplatform/mfc/window.h"
#include "vtplatform/win32/commdlg.h"
#include "vtplatform/win32/shell_item.h"
#endif
