// One reading of the live processes under /proc, which the process list and the Toolhelp
// snapshot share, and the rule for when a reading may be used again.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "win32/process/process_stat_linux.h"

namespace vtplatform {

// The live processes in ascending id order, as one pass over /proc saw them.
class ProcessTable {
 public:
  explicit ProcessTable(std::vector<ProcessStat> processes);

  const std::vector<ProcessStat>& processes() const { return processes_; }

  // The file name of each process's executable, in the order of processes(); its command name
  // where /proc/PID/exe cannot be read (a kernel thread, another user's process). Read on first
  // use, since only snapshots need them.
  const std::vector<std::string>& exe_names() const;

 private:
  const std::vector<ProcessStat> processes_;
  mutable std::once_flag exe_names_read_;
  mutable std::vector<std::string> exe_names_;
};

// The table to answer a process list or snapshot with: inside a ProcessTableScope on the calling
// thread, the scope's reading while nothing has changed since it was taken; otherwise a new one.
std::shared_ptr<const ProcessTable> process_table();

// Marks every reading kept by a scope as out of date. Called by the functions after which the
// processes may look different: a process suspended, terminated or started, a wait that ended, a
// sleep.
void process_table_changed();

}  // namespace vtplatform
