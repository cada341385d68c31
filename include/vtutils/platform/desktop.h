// The input desktop, which a locked workstation refuses to open, and the Windows version test
// that tells whether the answer means anything.
#pragma once

#if defined(_WIN32)
#include <afxwin.h>
#else
#include "vtplatform/win32/desktop.h"
#include "vtplatform/win32/version.h"
#endif
