// Structured storage: compound files with their storages and streams (IStorage, IStream), on the
// COM basics of GUIDs, IUnknown and the task memory allocator.
#pragma once

#if defined(_WIN32)
#include <afxwin.h>
#include <objbase.h>
#else
#include "vtplatform/win32/com.h"
#include "vtplatform/win32/storage.h"
#endif
