// vtuProcessIterator: snapshots of the process list from K32EnumProcesses.
#include "vtutils/process_iterator.h"

#include "process/snapshot_list.h"
#include "vtutils/platform/processes.h"

namespace {

// The system list begins with the idle pseudo-process, id 0, which is the end value of the walk.
constexpr std::uint64_t kFirstProcess = 1;

}  // namespace

vtuProcessIterator::vtuProcessIterator() : position_(vtutils::kPastTheEnd) {}

vtuProcessIterator::~vtuProcessIterator() = default;

DWORD vtuProcessIterator::first() {
  vtutils::take_snapshot(ids_, position_, kFirstProcess, K32EnumProcesses);
  return next();
}

DWORD vtuProcessIterator::next() { return vtutils::next_entry(ids_, position_); }

std::uint64_t vtuProcessIterator::count() const { return ids_.size(); }
