// The handle table: a map from handle value to object, behind one mutex. Handle values count up
// in steps of four, as Windows hands them out, and are never reused.
#include "win32/core/kernel_object.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/handle.h"

namespace vtplatform {
namespace {

struct HandleTable {
  std::mutex mutex;
  std::uintptr_t last_value = 0;
  std::unordered_map<HANDLE, std::shared_ptr<KernelObject>> objects;
};

HandleTable& table() {
  static auto* instance = new HandleTable;  // never destroyed: handles may be closed at exit
  return *instance;
}

}  // namespace

HANDLE open_handle(std::shared_ptr<KernelObject> object) {
  HandleTable& handles = table();
  std::lock_guard lock(handles.mutex);
  handles.last_value += 4;
  auto* handle = reinterpret_cast<HANDLE>(handles.last_value);
  handles.objects.emplace(handle, std::move(object));
  return handle;
}

std::shared_ptr<KernelObject> find_handle(HANDLE handle) {
  HandleTable& handles = table();
  std::lock_guard lock(handles.mutex);
  auto found = handles.objects.find(handle);
  return found == handles.objects.end() ? nullptr : found->second;
}

bool close_handle(HANDLE handle) {
  std::shared_ptr<KernelObject> object;  // released after the lock, outside the table
  HandleTable& handles = table();
  std::lock_guard lock(handles.mutex);
  auto found = handles.objects.find(handle);
  if (found == handles.objects.end()) return false;
  object = std::move(found->second);
  handles.objects.erase(found);
  return true;
}

}  // namespace vtplatform

BOOL CloseHandle(HANDLE object) {
  if (!vtplatform::close_handle(object)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
