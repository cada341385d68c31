// vtuProcess: the id, whether it is listed, its parent, its creation order and suspension.
#include "vtutils/process.h"

#include <optional>

#include "process/process_list.h"
#include "process/scoped_handle.h"
#include "vtutils/process_iterator.h"

template class coiAbsFiller<vtuProcess>;
template class coiFillerImpl<vtuProcess>;
template class coiFiller<vtuProcess>;

namespace {

using vtutils::ScopedHandle;

using NtSuspendProcessFunction = NTSTATUS(NTAPI*)(HANDLE process);

// The creation time of the process, or nothing when it cannot be opened or its times read.
std::optional<FILETIME> creation_time(DWORD id) {
  const ScopedHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, id));
  if (!process) return std::nullopt;
  FILETIME creation{}, exit{}, kernel{}, user{};
  if (!GetProcessTimes(process.get(), &creation, &exit, &kernel, &user)) return std::nullopt;
  return creation;
}

}  // namespace

bool vtutils::is_listed(DWORD id) {
  vtuProcessIterator processes;
  for (DWORD process = processes.first(); process != 0; process = processes.next()) {
    if (process == id) return true;
  }
  return false;
}

vtuProcess::vtuProcess() : id_(kInvalidId) {}

vtuProcess::vtuProcess(DWORD id) : id_(id) {}

DWORD vtuProcess::process_id() const { return id_; }

bool vtuProcess::valid() const { return id_ != kInvalidId; }

bool vtuProcess::exists() const { return vtutils::is_listed(id_); }

DWORD vtuProcess::parent_id() const {
  const ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, id_));
  if (!snapshot) return 0;
  DWORD parent = 0;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.get(), &entry); more && parent == 0;
       more = Process32Next(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == id_) parent = entry.th32ParentProcessID;
    entry.dwSize = sizeof entry;
  }
  return parent;
}

bool vtuProcess::orphaned() const {
  const DWORD parent = parent_id();
  if (!vtutils::is_listed(parent)) return true;
  // The parent's id is listed. Whether it still names the parent is not decided here: the
  // termination protocol compares creation times itself.
  return !creation_time(parent) && !creation_time(id_);
}

long vtuProcess::compare_process_time(DWORD a, DWORD b) {
  const FILETIME time_a = creation_time(a).value_or(FILETIME{});
  const FILETIME time_b = creation_time(b).value_or(FILETIME{});
  return CompareFileTime(&time_a, &time_b);
}

void vtuProcess::suspend() const {
  const ScopedHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, id_));
  if (!process) return;
  const auto suspend_process = reinterpret_cast<NtSuspendProcessFunction>(
      GetProcAddress(GetModuleHandleA("ntdll"), "NtSuspendProcess"));
  if (suspend_process != nullptr) suspend_process(process.get());
}
