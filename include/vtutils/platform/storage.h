// Structured storage: compound files with their storages and streams (IStorage, IStream), on the
// COM basics of GUIDs, IUnknown, the task memory allocator and the framework's CComPtr.
#pragma once

#if defined(_WIN32)
#include <afxwin.h>
#include <atlbase.h>
#include <objbase.h>
#else
#include "vtplatform/mfc/ccom_ptr.h"
#include "vtplatform/win32/com.h"
#include "vtplatform/win32/storage.h"
#endif
