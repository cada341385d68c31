// The framework's strings, CString (narrow, in the ANSI code page) and CStringW, and the
// exceptions that the framework throws.
#pragma once

#if defined(_WIN32)
#include <afxwin.h>
#else
#include "vtplatform/mfc/cstring.h"
#include "vtplatform/mfc/exceptions.h"
#endif
