// K32EnumProcesses: the idle pseudo-process followed by the live processes under /proc.
#include <algorithm>
#include <cstddef>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/process.h"
#include "win32/process/process_table_linux.h"

BOOL K32EnumProcesses(DWORD* process_ids, DWORD bytes, DWORD* bytes_returned) {
  if (bytes_returned == nullptr || (process_ids == nullptr && bytes != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const auto table = vtplatform::process_table();
  const auto& processes = table->processes();
  const std::size_t room = bytes / sizeof(DWORD);
  std::size_t written = 0;
  if (written < room) process_ids[written++] = 0;
  for (auto process = processes.begin(); process != processes.end() && written < room; ++process) {
    process_ids[written++] = static_cast<DWORD>(process->pid);
  }
  *bytes_returned = static_cast<DWORD>(written * sizeof(DWORD));
  return TRUE;
}
