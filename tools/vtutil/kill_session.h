// KillSession: how vtutil kill follows the termination protocol. SIGINT and SIGTERM stop it
// between two steps instead of ending vtutil with processes left suspended, a terminal on
// standard error sees each process as it is ended, and dumps go where vtutil dump puts them.
#pragma once

#include <signal.h>

#include <optional>
#include <string>
#include <vector>

#include "vtutils/platform/win32_types.h"
#include "vtutils/process_kill_watch.h"

class KillSession : public vtuKillWatch {
 public:
  // Catches SIGINT and SIGTERM until it goes (unless they are ignored), and puts back what they
  // did before.
  KillSession();
  ~KillSession() override;

  // Counts the processes of the tree of `root` for the progress lines of its kill; only where
  // they are shown.
  void expect_tree(DWORD root);
  // The signal that asked to stop, or 0.
  int interrupting_signal() const;
  // Sends SIGCONT to each process the protocol suspended that is still there; how many.
  int resume_suspended();

  void suspended(DWORD id) override;
  void terminating(DWORD id) override;
  // Where vtutil dump would write without --output: not into system folders.
  std::optional<CString> dump_file(const vtuProcess& process) override;
  // Warns why a dump was not written.
  void dumped(const vtuProcess& process, const CString& path, DWORD error) override;
  bool stop_requested() override;

 private:
  struct sigaction previous_interrupt_ {};
  struct sigaction previous_terminate_ {};
  const bool show_progress_;
  int ended_ = 0;
  int expected_ = 0;
  std::vector<DWORD> suspended_;
  // The destination dump_file chose last.
  std::optional<std::string> dump_destination_;
};
