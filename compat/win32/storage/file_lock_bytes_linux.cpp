// ILockBytes on a file: the bytes of a compound file on disk, read and written at any offset with
// pread and pwrite on one descriptor.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "win32/core/com_object.h"
#include "win32/core/eintr.h"
#include "win32/core/errno_error.h"
#include "win32/core/unique_fd.h"
#include "win32/files/file_info.h"
#include "win32/storage/compound_file.h"
#include "win32/text/code_pages.h"

namespace vtplatform::cfb {
namespace {

// The storage error for the system error `error`. An I/O error is `io_fault` (STG_E_READFAULT or
// STG_E_WRITEFAULT); errors without a storage code keep their Win32 code.
HRESULT storage_error(int error, HRESULT io_fault) {
  switch (error) {
    case EIO: return io_fault;
    case ENOENT: return STG_E_FILENOTFOUND;
    case ENOTDIR: return STG_E_PATHNOTFOUND;
    case EACCES:
    case EPERM:
    case EISDIR: return STG_E_ACCESSDENIED;
    case EROFS: return STG_E_DISKISWRITEPROTECTED;
    case EMFILE:
    case ENFILE: return STG_E_TOOMANYOPENFILES;
    case ENOMEM: return STG_E_INSUFFICIENTMEMORY;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return STG_E_MEDIUMFULL;
    case EBADF: return STG_E_INVALIDHANDLE;
    case ENAMETOOLONG: return STG_E_INVALIDNAME;
    case ETXTBSY: return STG_E_SHAREVIOLATION;
    default: return HRESULT_FROM_WIN32(win32_error_from_errno(error));
  }
}

constexpr std::uint64_t kMaxOffset = std::numeric_limits<off_t>::max();
// How often an open follows a path whose file commits of other processes keep replacing.
constexpr int kOpenAttempts = 100;

class FileLockBytes final : public ComObject<ILockBytes> {
 public:
  FileLockBytes(UniqueFd fd, std::string path, bool writable)
      : fd_(std::move(fd)), path_(std::move(path)), writable_(writable) {}

  HRESULT QueryInterface(REFIID iid, void** object) override {
    return query(iid, object, {IID_ILockBytes});
  }

  HRESULT ReadAt(ULARGE_INTEGER offset, void* buffer, ULONG count, ULONG* read) override {
    if (read != nullptr) *read = 0;
    if (buffer == nullptr && count != 0) return STG_E_INVALIDPOINTER;
    if (offset.QuadPart >= kMaxOffset) return S_OK;  // past any file's end
    count = static_cast<ULONG>(std::min<std::uint64_t>(count, kMaxOffset - offset.QuadPart));
    ULONG done = 0;
    while (done < count) {
      const ssize_t result = retry_on_eintr([&] {
        return ::pread(fd_.get(), static_cast<char*>(buffer) + done, count - done,
                       static_cast<off_t>(offset.QuadPart + done));
      });
      if (result < 0) return storage_error(errno, STG_E_READFAULT);
      if (result == 0) break;
      done += static_cast<ULONG>(result);
    }
    if (read != nullptr) *read = done;
    return S_OK;
  }

  HRESULT WriteAt(ULARGE_INTEGER offset, const void* buffer, ULONG count, ULONG* written) override {
    if (written != nullptr) *written = 0;
    if (buffer == nullptr && count != 0) return STG_E_INVALIDPOINTER;
    if (!writable_) return STG_E_ACCESSDENIED;
    if (offset.QuadPart > kMaxOffset - count) return STG_E_MEDIUMFULL;
    ULONG done = 0;
    while (done < count) {
      const ssize_t result = retry_on_eintr([&] {
        return ::pwrite(fd_.get(), static_cast<const char*>(buffer) + done, count - done,
                        static_cast<off_t>(offset.QuadPart + done));
      });
      if (result < 0) return storage_error(errno, STG_E_WRITEFAULT);
      done += static_cast<ULONG>(result);
      if (written != nullptr) *written = done;
    }
    return S_OK;
  }

  HRESULT Flush() override {
    if (writable_ && ::fsync(fd_.get()) != 0) return storage_error(errno, STG_E_WRITEFAULT);
    return S_OK;
  }

  HRESULT SetSize(ULARGE_INTEGER size) override {
    if (!writable_) return STG_E_ACCESSDENIED;
    if (size.QuadPart > kMaxOffset) return STG_E_MEDIUMFULL;
    if (::ftruncate(fd_.get(), static_cast<off_t>(size.QuadPart)) != 0) {
      return storage_error(errno, STG_E_WRITEFAULT);
    }
    return S_OK;
  }

  HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }

  HRESULT Stat(STATSTG* stat, DWORD stat_flag) override {
    if (stat == nullptr) return STG_E_INVALIDPOINTER;
    struct stat status {};
    if (::fstat(fd_.get(), &status) != 0) return storage_error(errno, STG_E_READFAULT);
    *stat = STATSTG{};
    if (stat_flag != STATFLAG_NONAME) {
      bool lossy = false;
      const std::wstring name = ansi_code_page().decode_wide(path_, lossy);
      const std::size_t size = (name.size() + 1) * sizeof(wchar_t);
      stat->pwcsName = static_cast<LPOLESTR>(CoTaskMemAlloc(size));
      if (stat->pwcsName == nullptr) return STG_E_INSUFFICIENTMEMORY;
      std::memcpy(stat->pwcsName, name.c_str(), size);
    }
    stat->type = STGTY_LOCKBYTES;
    stat->cbSize.QuadPart = static_cast<std::uint64_t>(status.st_size);
    stat->mtime = filetime_from_timespec(status.st_mtim);
    stat->ctime = filetime_from_timespec(status.st_ctim);
    stat->atime = filetime_from_timespec(status.st_atim);
    stat->grfMode = writable_ ? STGM_READWRITE : STGM_READ;
    return S_OK;
  }

 private:
  UniqueFd fd_;
  std::string path_;
  bool writable_;
};

}  // namespace

HRESULT open_file_bytes(const char* path, bool writable, bool create, const FileSharing& sharing,
                        ComPtr<ILockBytes>& bytes) {
  bytes = ComPtr<ILockBytes>();
  if (path == nullptr) return STG_E_INVALIDPOINTER;
  writable = writable || create;
  int flags = O_CLOEXEC | (writable ? O_RDWR : O_RDONLY);
  if (create) flags |= O_CREAT | O_TRUNC;
  // A commit of another process renames its new file over the path: an open that got the old
  // file just before holds locks on a file that nobody opens any more, and tries again.
  for (int attempt = 0;; ++attempt) {
    UniqueFd fd(::open(path, flags, 0666));
    if (!fd.valid()) {
      const int error = errno;
      if (error == ENOENT && win32_error_for_path(error, path) == ERROR_PATH_NOT_FOUND) {
        return STG_E_PATHNOTFOUND;
      }
      return storage_error(error, STG_E_READFAULT);
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) return storage_error(errno, STG_E_READFAULT);
    if (S_ISDIR(status.st_mode)) return STG_E_ACCESSDENIED;
    if (const HRESULT shared = lock_sharing(fd.get(), sharing); FAILED(shared)) return shared;
    struct stat named {};
    const bool replaced = ::stat(path, &named) != 0 || named.st_dev != status.st_dev ||
                          named.st_ino != status.st_ino;
    if (!replaced) {
      bytes = ComPtr<ILockBytes>::adopt(new FileLockBytes(std::move(fd), path, writable));
      return S_OK;
    }
    if (attempt == kOpenAttempts) return STG_E_SHAREVIOLATION;
  }
}

}  // namespace vtplatform::cfb
