// vtuProcessModuleIterator: snapshots of one process's modules from K32EnumProcessModules, through
// a process handle the iterator owns.
#include "vtutils/process_iterator.h"

#include "process/snapshot_list.h"
#include "vtutils/platform/processes.h"

vtuProcessModuleIterator::vtuProcessModuleIterator(DWORD process_id)
    : process_(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process_id)),
      position_(vtutils::kPastTheEnd) {}

vtuProcessModuleIterator::~vtuProcessModuleIterator() {
  if (process_ != nullptr) CloseHandle(process_);
}

HMODULE vtuProcessModuleIterator::first() {
  position_ = vtutils::kPastTheEnd;
  modules_.clear();
  if (process_ == nullptr) return nullptr;
  vtutils::take_snapshot(modules_, position_, 0,
                         [this](HMODULE* modules, DWORD bytes, DWORD* needed) {
                           return K32EnumProcessModules(process_, modules, bytes, needed);
                         });
  return next();
}

HMODULE vtuProcessModuleIterator::next() {
  if (process_ == nullptr) return nullptr;
  return vtutils::next_entry(modules_, position_);
}

std::uint64_t vtuProcessModuleIterator::count() const { return modules_.size(); }

HANDLE vtuProcessModuleIterator::process_handle() const { return process_; }

CString vtuProcessModuleIterator::get_process_image_file_name() const {
  CString name;
  // A failed query leaves the buffer unfilled and returns 0, the length of the empty answer.
  const DWORD length = K32GetProcessImageFileNameA(process_, name.GetBuffer(MAX_PATH), MAX_PATH);
  name.ReleaseBuffer(static_cast<int>(length));
  return name;
}
