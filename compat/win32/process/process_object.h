// An open process: the kernel object behind a handle from OpenProcess.
#pragma once

#include <sys/types.h>

#include <cstdint>

#include "vtplatform/win32/access_rights.h"
#include "win32/core/kernel_object.h"
#include "win32/core/unique_fd.h"

namespace vtplatform {

class ProcessObject : public KernelObject {
 public:
  ProcessObject(pid_t pid, UniqueFd pidfd, std::uint64_t start_ticks, ACCESS_MASK access)
      : pid_(pid), pidfd_(std::move(pidfd)), start_ticks_(start_ticks), access_(access) {}

  pid_t pid() const { return pid_; }
  // The pidfd that keeps naming this process after it has exited and its id was reused.
  int pidfd() const { return pidfd_.get(); }
  // The start of the process in clock ticks since boot; tells it from a later owner of its id.
  std::uint64_t start_ticks() const { return start_ticks_; }
  ACCESS_MASK access() const { return access_; }

 private:
  const pid_t pid_;
  const UniqueFd pidfd_;
  const std::uint64_t start_ticks_;
  const ACCESS_MASK access_;
};

}  // namespace vtplatform
