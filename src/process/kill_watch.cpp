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

vtuKillWatchScope::vtuKillWatchScope(vtuKillWatch& watch) : previous_(current_watch) {
  current_watch = &watch;
}

vtuKillWatchScope::~vtuKillWatchScope() { current_watch = previous_; }

namespace vtutils {

bool kill_stop_requested() { return current_watch != nullptr && current_watch->stop_requested(); }

void tell_suspended(DWORD id) {
  if (current_watch != nullptr) current_watch->suspended(id);
}

void tell_terminating(DWORD id) {
  if (current_watch != nullptr) current_watch->terminating(id);
}

}  // namespace vtutils
