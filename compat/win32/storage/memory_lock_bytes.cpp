// CreateILockBytesOnHGlobal: bytes in memory that belong to the object and grow as they are
// written. Linux has no global memory handles to hand in or out.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "vtplatform/win32/storage.h"
#include "win32/core/com_object.h"

namespace vtplatform {
namespace {

class MemoryLockBytes final : public ComObject<ILockBytes> {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    return query(iid, object, {IID_ILockBytes});
  }

  HRESULT ReadAt(ULARGE_INTEGER offset, void* buffer, ULONG count, ULONG* read) override {
    if (buffer == nullptr && count != 0) return STG_E_INVALIDPOINTER;
    std::lock_guard lock(mutex_);
    ULONG done = 0;
    if (offset.QuadPart < bytes_.size()) {
      done = static_cast<ULONG>(std::min<std::uint64_t>(count, bytes_.size() - offset.QuadPart));
      std::memcpy(buffer, bytes_.data() + offset.QuadPart, done);
    }
    if (read != nullptr) *read = done;
    return S_OK;
  }

  HRESULT WriteAt(ULARGE_INTEGER offset, const void* buffer, ULONG count, ULONG* written) override {
    if (written != nullptr) *written = 0;
    if (buffer == nullptr && count != 0) return STG_E_INVALIDPOINTER;
    std::lock_guard lock(mutex_);
    const std::uint64_t end = offset.QuadPart + count;
    if (end < offset.QuadPart) return STG_E_MEDIUMFULL;
    if (end > bytes_.size()) {
      const HRESULT result = resize(end);
      if (FAILED(result)) return result;
    }
    if (count != 0) std::memcpy(bytes_.data() + offset.QuadPart, buffer, count);
    if (written != nullptr) *written = count;
    return S_OK;
  }

  HRESULT Flush() override { return S_OK; }

  HRESULT SetSize(ULARGE_INTEGER size) override {
    std::lock_guard lock(mutex_);
    return resize(size.QuadPart);
  }

  HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }

  HRESULT Stat(STATSTG* stat, DWORD) override {
    if (stat == nullptr) return STG_E_INVALIDPOINTER;
    std::lock_guard lock(mutex_);
    *stat = STATSTG{};
    stat->type = STGTY_LOCKBYTES;
    stat->cbSize.QuadPart = bytes_.size();
    return S_OK;
  }

 private:
  HRESULT resize(std::uint64_t size) {
    if (size > bytes_.max_size()) return STG_E_MEDIUMFULL;
    try {
      bytes_.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
      return STG_E_MEDIUMFULL;
    }
    return S_OK;
  }

  std::mutex mutex_;
  std::vector<std::uint8_t> bytes_;
};

}  // namespace
}  // namespace vtplatform

HRESULT CreateILockBytesOnHGlobal(HGLOBAL global, BOOL, ILockBytes** bytes) {
  if (bytes == nullptr) return E_POINTER;
  *bytes = nullptr;
  if (global != nullptr) return E_INVALIDARG;
  *bytes = new vtplatform::MemoryLockBytes();
  return S_OK;
}
