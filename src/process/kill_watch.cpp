// vtuKillWatch, the scope that installs one for the calling thread, and the protocol's calls to it.
#include "process/kill_watch.h"

#include "vtutils/process_kill_watch.h"

namespace {

thread_local vtuKillWatch* current_watch = nullptr;

}  // namespace

vtuKillWatch::~vtuKillWatch() = default;
void vtuKillWatch::suspended(DWORD) {}
void vtuKillWatch::terminating(DWORD) {}
bool vtuKillWatch::stop_requested() { return false; }
std::optional<CString> vtuKillWatch::dump_file(const vtuProcess&) { return CString(); }
void vtuKillWatch::dumped(const vtuProcess&, const CString&, DWORD) {}

vtuKillWatchScope::vtuKillWatchScope(vtuKillWatch& watch) : previous_(current_watch) {
  current_watch = &watch;
}

vtuKillWatchScope::~vtuKillWatchScope() { current_watch = previous_; }

namespace vtutils {

bool kill_stop_requested() { return current_watch != nullptr && current_watch->stop_requested(); }

CString dump_as_watched(const vtuProcess& process, MINIDUMP_TYPE dump_type) {
  if (current_watch == nullptr) return process.create_minidump(dump_type);
  const std::optional<CString> file = current_watch->dump_file(process);
  if (!file) return CString();
  const CString path = file->IsEmpty() ? process.create_minidump(dump_type)
                                       : process.create_minidump_at(dump_type, *file);
  current_watch->dumped(process, path, path.IsEmpty() ? GetLastError() : ERROR_SUCCESS);
  return path;
}

void tell_suspended(DWORD id) {
  if (current_watch != nullptr) current_watch->suspended(id);
}

void tell_terminating(DWORD id) {
  if (current_watch != nullptr) current_watch->terminating(id);
}

}  // namespace vtutils
