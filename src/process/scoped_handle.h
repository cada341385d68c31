// ScopedHandle: owns one kernel object handle and closes it with CloseHandle when it goes.
#pragma once

#include <utility>

#include "vtutils/platform/win32_types.h"

namespace vtutils {

class ScopedHandle {
 public:
  ScopedHandle() = default;
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ~ScopedHandle() {
    if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }

  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  // Where a call that hands out a handle stores it; the object must be empty.
  HANDLE* receive() { return &handle_; }
  // Gives the handle up to the caller, who closes it.
  HANDLE release() { return std::exchange(handle_, nullptr); }

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace vtutils
