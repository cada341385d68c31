// The shared reading of /proc behind the process list and the Toolhelp snapshot, and
// ProcessTableScope, inside which a thread reuses it until something changes.
#include "win32/process/process_table_linux.h"

#include <atomic>
#include <cstdint>
#include <optional>

#include "vtplatform/win32/process.h"
#include "win32/process/proc_maps_linux.h"

namespace vtplatform {
namespace {

// Counts the changes reported by process_table_changed; a kept reading is good only while it
// still equals the count taken before that reading.
std::atomic<std::uint64_t> g_changes{0};

// The calling thread's scopes: how deep they nest and the reading they share.
struct ScopeState {
  int depth = 0;
  std::shared_ptr<const ProcessTable> table;
  std::uint64_t changes = 0;
};
thread_local ScopeState t_scope;

}  // namespace

ProcessTable::ProcessTable(std::vector<ProcessStat> processes)
    : processes_(std::move(processes)) {}

const std::vector<std::string>& ProcessTable::exe_names() const {
  std::call_once(exe_names_read_, [this] {
    exe_names_.reserve(processes_.size());
    for (const ProcessStat& stat : processes_) {
      const auto path = read_executable_path(stat.pid);
      exe_names_.push_back(path ? path->substr(path->rfind('/') + 1) : stat.comm);
    }
  });
  return exe_names_;
}

std::shared_ptr<const ProcessTable> process_table() {
  if (t_scope.depth == 0) return std::make_shared<const ProcessTable>(live_processes());
  // Counted before reading, so that a change made while /proc is read makes the next call
  // read again.
  const std::uint64_t changes = g_changes.load();
  if (!t_scope.table || t_scope.changes != changes) {
    t_scope.table = std::make_shared<const ProcessTable>(live_processes());
    t_scope.changes = changes;
  }
  return t_scope.table;
}

void process_table_changed() { g_changes.fetch_add(1); }

ProcessTableScope::ProcessTableScope() { ++t_scope.depth; }

ProcessTableScope::~ProcessTableScope() {
  if (--t_scope.depth == 0) t_scope.table.reset();
}

}  // namespace vtplatform
