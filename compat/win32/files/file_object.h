// The kernel object behind a file handle: one open file descriptor.
#pragma once

#include "win32/core/kernel_object.h"
#include "win32/core/unique_fd.h"

namespace vtplatform {

class FileObject : public KernelObject {
 public:
  explicit FileObject(UniqueFd fd) : fd_(std::move(fd)) {}
  int fd() const { return fd_.get(); }

 private:
  UniqueFd fd_;
};

}  // namespace vtplatform
