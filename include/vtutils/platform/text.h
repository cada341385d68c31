// Code pages, the conversions between narrow and wide text, and locale-aware comparison of wide
// text (CompareStringEx, StrCmpLogicalW).
#pragma once

#if defined(_WIN32)
#include <afxwin.h>
#include <shlwapi.h>
#else
#include "vtplatform/win32/code_page.h"
#include "vtplatform/win32/string_compare.h"
#endif
