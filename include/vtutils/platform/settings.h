// Where settings persist: the per-user registry and INI files.
#pragma once

#if defined(_WIN32)
#include <afxwin.h>
#else
#include "vtplatform/win32/private_profile.h"
#include "vtplatform/win32/registry.h"
#endif
