// The Toolhelp process snapshot: the live processes with their parents, thread counts and
// executable names, from the process table reading current when the snapshot is created.
#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/handle.h"
#include "vtplatform/win32/process.h"
#include "win32/core/kernel_object.h"
#include "win32/process/process_table_linux.h"

namespace vtplatform {
namespace {

class ProcessSnapshot : public KernelObject {
 public:
  explicit ProcessSnapshot(std::shared_ptr<const ProcessTable> table) : table_(std::move(table)) {}

  // Copies the entry at `position` (or, without one, the next entry) into `entry`.
  BOOL copy(std::optional<std::size_t> position, PROCESSENTRY32* entry) {
    std::lock_guard lock(mutex_);
    if (position) next_ = *position;
    const auto& processes = table_->processes();
    if (next_ >= processes.size()) {
      SetLastError(ERROR_NO_MORE_FILES);
      return FALSE;
    }
    const ProcessStat& source = processes[next_];
    const std::string& exe_name = table_->exe_names()[next_];
    ++next_;
    const DWORD size = entry->dwSize;
    *entry = PROCESSENTRY32{};
    entry->dwSize = size;
    entry->th32ProcessID = static_cast<DWORD>(source.pid);
    entry->th32ParentProcessID = static_cast<DWORD>(source.parent);
    entry->cntThreads = static_cast<DWORD>(source.threads);
    const std::size_t length = std::min(exe_name.size(), sizeof entry->szExeFile - 1);
    std::memcpy(entry->szExeFile, exe_name.data(), length);
    return TRUE;
  }

 private:
  std::mutex mutex_;
  const std::shared_ptr<const ProcessTable> table_;
  std::size_t next_ = 0;
};

BOOL copy_entry(HANDLE snapshot, std::optional<std::size_t> position, PROCESSENTRY32* entry) {
  const auto object = find_handle_as<ProcessSnapshot>(snapshot);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (entry == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (entry->dwSize < sizeof(PROCESSENTRY32)) {
    SetLastError(ERROR_BAD_LENGTH);
    return FALSE;
  }
  return object->copy(position, entry);
}

}  // namespace
}  // namespace vtplatform

HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD /*process_id*/) {
  using namespace vtplatform;
  if (flags != TH32CS_SNAPPROCESS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  return open_handle(std::make_shared<ProcessSnapshot>(process_table()));
}

BOOL Process32First(HANDLE snapshot, PROCESSENTRY32* entry) {
  return vtplatform::copy_entry(snapshot, 0, entry);
}

BOOL Process32Next(HANDLE snapshot, PROCESSENTRY32* entry) {
  return vtplatform::copy_entry(snapshot, std::nullopt, entry);
}
