// vtuKillWatch and vtuKillWatchScope: following the termination protocol of vtuProcess::kill and
// kill_with_dump from the calling thread, stopping it between two of its steps, and choosing where
// its dumps go. With no watch installed the protocol runs as it always does.
#pragma once

#include <optional>

#include "vtutils/export.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/win32_types.h"

class vtuProcess;

// Told of the protocol's steps on the thread that runs it. Each call comes between two steps, so
// a watch may not call kill itself.
class VTUTILS_API vtuKillWatch {
 public:
  vtuKillWatch() = default;
  vtuKillWatch(const vtuKillWatch&) = delete;
  vtuKillWatch& operator=(const vtuKillWatch&) = delete;
  virtual ~vtuKillWatch();

  // The process `id` has been suspended (or could not be: suspension failures are not told).
  virtual void suspended(DWORD id);
  // The children of the process `id` are handled; it is terminated next.
  virtual void terminating(DWORD id);
  // The file that kill_with_dump writes the dump of `process` to: "" (the default) for the place
  // next to its executable that create_minidump chooses, nothing for no dump at all.
  virtual std::optional<CString> dump_file(const vtuProcess& process);
  // The dump of `process` that dump_file asked for has been written to `path`, or, when `path` is
  // "", failed with the last error `error`.
  virtual void dumped(const vtuProcess& process, const CString& path, DWORD error);
  // Asked before each step that suspends, terminates or waits. Once it answers true the protocol
  // goes no further: every attempt under way ends at once with false, logging nothing more, and
  // what it suspended stays suspended for the watch to resume.
  virtual bool stop_requested();
};

// Installs a watch for the kills of the calling thread while the scope lives, and puts back the
// one it replaced. The watch must outlive the scope.
class VTUTILS_API vtuKillWatchScope {
 public:
  explicit vtuKillWatchScope(vtuKillWatch& watch);
  ~vtuKillWatchScope();
  vtuKillWatchScope(const vtuKillWatchScope&) = delete;
  vtuKillWatchScope& operator=(const vtuKillWatchScope&) = delete;

 private:
  vtuKillWatch* previous_;
};
