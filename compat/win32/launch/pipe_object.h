// One end of an anonymous pipe: the kernel object behind a handle from CreatePipe.
#pragma once

#include "vtplatform/win32/types.h"
#include "win32/core/kernel_object.h"
#include "win32/core/unique_fd.h"

namespace vtplatform {

class PipeObject : public KernelObject {
 public:
  explicit PipeObject(UniqueFd fd) : fd_(std::move(fd)) {}
  int fd() const { return fd_.get(); }

 private:
  UniqueFd fd_;
};

// The descriptor of the pipe end that `pipe` names, or -1 when it names no pipe end; valid until
// the handle is closed. The tests read what a child writes through it.
int pipe_descriptor(HANDLE pipe);

}  // namespace vtplatform
