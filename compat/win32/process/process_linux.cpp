// The calling process: its pseudo handle and its id.
#include <unistd.h>

#include <cstdint>

#include "vtplatform/win32/process.h"

HANDLE GetCurrentProcess() { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1)); }

DWORD GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }
