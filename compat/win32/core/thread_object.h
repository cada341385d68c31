// A thread: the kernel object behind the thread handle that CreateProcessA returns for a new
// process's main thread. It only names the thread; nothing waits on it or acts on it yet.
#pragma once

#include <sys/types.h>

#include "win32/core/kernel_object.h"

namespace vtplatform {

class ThreadObject : public KernelObject {
 public:
  explicit ThreadObject(pid_t tid) : tid_(tid) {}
  pid_t tid() const { return tid_; }

 private:
  const pid_t tid_;
};

}  // namespace vtplatform
