// The process's handle table. Every object that a HANDLE names derives from KernelObject and is
// owned by the table until CloseHandle; callers that use an object hold a shared reference, so a
// handle closed on another thread never frees an object that is still in use.
#pragma once

#include <memory>

#include "vtplatform/win32/types.h"

namespace vtplatform {

class KernelObject {
 public:
  KernelObject() = default;
  KernelObject(const KernelObject&) = delete;
  KernelObject& operator=(const KernelObject&) = delete;
  virtual ~KernelObject() = default;
};

// Adds the object to the table and returns its new handle.
HANDLE open_handle(std::shared_ptr<KernelObject> object);

// The object that `handle` names, or null when the handle is not open.
std::shared_ptr<KernelObject> find_handle(HANDLE handle);

// The object that `handle` names if it is a T, else null.
template <class T>
std::shared_ptr<T> find_handle_as(HANDLE handle) {
  return std::dynamic_pointer_cast<T>(find_handle(handle));
}

// Removes the handle; false when it was not open.
bool close_handle(HANDLE handle);

}  // namespace vtplatform
