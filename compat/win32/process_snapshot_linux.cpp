// The Toolhelp process snapshot: the live processes with their parents, thread counts and
// executable names, taken once when the snapshot is created.
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/handle.h"
#include "vtplatform/win32/process.h"
#include "win32/kernel_object.h"
#include "win32/proc_maps_linux.h"
#include "win32/process_stat_linux.h"

namespace vtplatform {
namespace {

struct SnapshotEntry {
  DWORD id;
  DWORD parent;
  DWORD threads;
  std::string exe_name;
};

class ProcessSnapshot : public KernelObject {
 public:
  explicit ProcessSnapshot(std::vector<SnapshotEntry> entries) : entries_(std::move(entries)) {}

  // Copies the entry at `position` (or, without one, the next entry) into `entry`.
  BOOL copy(std::optional<std::size_t> position, PROCESSENTRY32* entry) {
    std::lock_guard lock(mutex_);
    if (position) next_ = *position;
    if (next_ >= entries_.size()) {
      SetLastError(ERROR_NO_MORE_FILES);
      return FALSE;
    }
    const SnapshotEntry& source = entries_[next_++];
    const DWORD size = entry->dwSize;
    *entry = PROCESSENTRY32{};
    entry->dwSize = size;
    entry->th32ProcessID = source.id;
    entry->th32ParentProcessID = source.parent;
    entry->cntThreads = source.threads;
    const std::size_t length = std::min(source.exe_name.size(), sizeof entry->szExeFile - 1);
    std::memcpy(entry->szExeFile, source.exe_name.data(), length);
    return TRUE;
  }

 private:
  std::mutex mutex_;
  const std::vector<SnapshotEntry> entries_;
  std::size_t next_ = 0;
};

// The file name of the process's executable, or its command name when the link cannot be read
// (a kernel thread, or another user's process).
std::string exe_name(const ProcessStat& stat) {
  const std::optional<std::string> path = read_executable_path(stat.pid);
  return path ? path->substr(path->rfind('/') + 1) : stat.comm;
}

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
  std::vector<SnapshotEntry> entries;
  for (const ProcessStat& stat : live_processes()) {
    entries.push_back(SnapshotEntry{static_cast<DWORD>(stat.pid), static_cast<DWORD>(stat.parent),
                                    static_cast<DWORD>(stat.threads), exe_name(stat)});
  }
  return open_handle(std::make_shared<ProcessSnapshot>(std::move(entries)));
}

BOOL Process32First(HANDLE snapshot, PROCESSENTRY32* entry) {
  return vtplatform::copy_entry(snapshot, 0, entry);
}

BOOL Process32Next(HANDLE snapshot, PROCESSENTRY32* entry) {
  return vtplatform::copy_entry(snapshot, std::nullopt, entry);
}
