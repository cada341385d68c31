// KillSession: the signals that stop vtutil kill between two steps, the processes to resume
// then, the progress lines on a terminal, and the place of dumps.
#include "kill_session.h"

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <map>
#include <set>
#include <string>

#include "command_failure.h"
#include "dump_destination.h"
#include "vtutils/platform/processes.h"
#include "vtutils/process.h"
#include "vtutils/process_iterator.h"

namespace {

// The signal that arrived last while a session lived, 0 for none.
volatile std::sig_atomic_t interrupting = 0;

extern "C" void note_signal(int signal) { interrupting = signal; }

// Catches `signal` unless it is ignored, as in a background job of a script without job control,
// where it stays ignored.
void catch_signal(int signal, struct sigaction& previous) {
  ::sigaction(signal, nullptr, &previous);
  if (previous.sa_handler == SIG_IGN) return;
  struct sigaction action {};
  action.sa_handler = note_signal;
  sigemptyset(&action.sa_mask);
  ::sigaction(signal, &action, nullptr);
}

// The number of processes in the tree of `root`, itself included, from one reading of the
// process table.
int count_tree(DWORD root) {
  const vtplatform::ProcessTableScope table;
  std::multimap<DWORD, DWORD> children;
  vtuProcessIterator processes;
  for (DWORD id = processes.first(); id != 0; id = processes.next()) {
    children.emplace(vtuProcess(id).parent_id(), id);
  }
  // An id reused while the table was read could make a process its own ancestor.
  std::set<DWORD> seen{root};
  std::vector<DWORD> pending{root};
  while (!pending.empty()) {
    const DWORD parent = pending.back();
    pending.pop_back();
    const auto [begin, end] = children.equal_range(parent);
    for (auto child = begin; child != end; ++child) {
      if (seen.insert(child->second).second) pending.push_back(child->second);
    }
  }
  return static_cast<int>(seen.size());
}

void warn_no_dump(const vtuProcess& process, const std::string& reason) {
  warn_command("kill", "no dump written of process " + std::to_string(process.process_id()) +
                           ": " + reason);
}

}  // namespace

KillSession::KillSession() : show_progress_(::isatty(STDERR_FILENO) == 1) {
  interrupting = 0;
  catch_signal(SIGINT, previous_interrupt_);
  catch_signal(SIGTERM, previous_terminate_);
}

KillSession::~KillSession() {
  ::sigaction(SIGINT, &previous_interrupt_, nullptr);
  ::sigaction(SIGTERM, &previous_terminate_, nullptr);
}

void KillSession::expect_tree(DWORD root) {
  ended_ = 0;
  expected_ = show_progress_ ? count_tree(root) : 0;
}

int KillSession::interrupting_signal() const { return interrupting; }

int KillSession::resume_suspended() {
  int resumed = 0;
  for (const DWORD id : suspended_) {
    if (vtuProcess(id).exists() && ::kill(static_cast<pid_t>(id), SIGCONT) == 0) ++resumed;
  }
  suspended_.clear();
  return resumed;
}

void KillSession::suspended(DWORD id) {
  if (std::find(suspended_.begin(), suspended_.end(), id) == suspended_.end()) {
    suspended_.push_back(id);
  }
}

void KillSession::terminating(DWORD id) {
  if (!show_progress_) return;
  // The tree can grow while it is ended.
  ++ended_;
  expected_ = std::max(expected_, ended_);
  warn_command("kill", "ending process " + std::to_string(id) + " (" + std::to_string(ended_) +
                           " of " + std::to_string(expected_) + ")");
}

std::optional<CString> KillSession::dump_file(const vtuProcess& process) {
  std::string reason;
  dump_destination_ = dump_destination("kill", process, "", reason);
  if (dump_destination_) return CString(dump_destination_->c_str());
  warn_no_dump(process, reason);
  return std::nullopt;
}

void KillSession::dumped(const vtuProcess& process, const CString& path, DWORD error) {
  if (path.IsEmpty()) warn_no_dump(process, dump_failure(error, process, *dump_destination_));
}

bool KillSession::stop_requested() { return interrupting != 0; }
