// Anonymous pipes as CreatePipe makes them: a read end and a write end, each a handle.
#pragma once

#include "vtplatform/export.h"
#include "vtplatform/win32/file.h"
#include "vtplatform/win32/types.h"

// Creates an anonymous pipe (a Linux pipe) and returns a handle to its read end in `*read_pipe`
// and one to its write end in `*write_pipe`; CloseHandle closes each end. A nonzero `size` asks
// for a pipe buffer of at least that many bytes where the kernel allows it (a request above the
// caller's limit keeps the default); 0 takes the default. The ends are never inherited by child
// processes, whatever the security attributes say: the only way for a pipe end to reach a child
// is as one of its standard handles (CreateProcessA with STARTF_USESTDHANDLES). FALSE with
// ERROR_INVALID_PARAMETER for a null output pointer, ERROR_TOO_MANY_OPEN_FILES when the process
// or the system has no descriptors left.
VTPLATFORM_API BOOL CreatePipe(HANDLE* read_pipe, HANDLE* write_pipe,
                               LPSECURITY_ATTRIBUTES security, DWORD size);
