// The blocks that LocalFree releases. The layer records every block it hands out, so that
// LocalFree refuses a pointer it never gave (a pointer into a descriptor, one freed twice)
// instead of corrupting the heap.
#include "win32/core/local_memory.h"

#include <cstdlib>
#include <mutex>
#include <new>
#include <unordered_set>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/security.h"

namespace vtplatform {
namespace {

struct LocalBlocks {
  std::mutex mutex;
  std::unordered_set<void*> live;
};

LocalBlocks& blocks() {
  static auto* instance = new LocalBlocks;  // never destroyed: blocks may be freed at exit
  return *instance;
}

}  // namespace

void* local_alloc(std::size_t size) {
  void* memory = std::calloc(1, size == 0 ? 1 : size);
  if (memory == nullptr) return nullptr;
  LocalBlocks& local = blocks();
  try {
    std::lock_guard lock(local.mutex);
    local.live.insert(memory);
  } catch (const std::bad_alloc&) {
    std::free(memory);
    return nullptr;
  }
  return memory;
}

}  // namespace vtplatform

HLOCAL LocalFree(HLOCAL memory) {
  if (memory == nullptr) return nullptr;
  vtplatform::LocalBlocks& local = vtplatform::blocks();
  {
    std::lock_guard lock(local.mutex);
    if (local.live.erase(memory) == 0) {
      SetLastError(ERROR_INVALID_HANDLE);
      return memory;
    }
  }
  std::free(memory);
  return nullptr;
}
