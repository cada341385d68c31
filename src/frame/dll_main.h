// The library's two entry functions, as a loader calls them with its reason codes. The load
// sequence in library_load.cpp wires them to the ELF loader.
#pragma once

#include "vtutils/platform/win32_types.h"

// Runs before any static object of the library is constructed (on attach) and after the last
// is destroyed (on detach).
BOOL WINAPI RawDllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

// Runs after the static objects are constructed (on attach) and before they are destroyed
// (on detach).
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);
