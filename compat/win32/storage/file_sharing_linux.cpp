// Sharing modes on OFD byte-range locks.
#include "win32/storage/file_sharing.h"

#include <fcntl.h>

#include <limits>
#include <system_error>

#include "win32/core/error_or.h"

namespace vtplatform::cfb {
namespace {

// The four lock bytes lie at the very end of the range of file offsets, where no compound file
// reaches, so they never cover data that another program locks.
constexpr off_t kFirstByte = std::numeric_limits<off_t>::max() - 4;
enum LockByte : off_t { kReadAccess = 0, kWriteAccess, kDenyRead, kDenyWrite };

struct flock lock_of(short type, LockByte byte) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = kFirstByte + byte;
  lock.l_len = 1;
  return lock;
}

// Sets or releases the shared lock on `byte`; the errno of a failure.
std::error_code set(int fd, LockByte byte, short type) {
  struct flock lock = lock_of(type, byte);
  return ::fcntl(fd, F_OFD_SETLK, &lock) == 0 ? std::error_code() : errno_code();
}

// Whether another open file description holds a lock on `byte`.
bool held_by_another(int fd, LockByte byte) {
  struct flock lock = lock_of(F_WRLCK, byte);
  return ::fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
}

}  // namespace

FileSharing FileSharing::of(DWORD mode) {
  FileSharing sharing;
  sharing.read = (mode & 0x3) != STGM_WRITE;
  sharing.write = (mode & 0x3) != STGM_READ;
  switch (mode & 0x70) {
    case STGM_SHARE_EXCLUSIVE:
      sharing.deny_read = sharing.deny_write = true;
      break;
    case STGM_SHARE_DENY_READ:
      sharing.deny_read = true;
      break;
    case STGM_SHARE_DENY_WRITE:
      sharing.deny_write = true;
      break;
    default:
      break;
  }
  return sharing;
}

HRESULT lock_sharing(int fd, const FileSharing& sharing) {
  // Each byte this open holds, with the byte whose holders it cannot live with.
  const struct {
    bool wanted;
    LockByte own;
    LockByte excluding;
  } bytes[] = {
      {sharing.read, kReadAccess, kDenyRead},
      {sharing.write, kWriteAccess, kDenyWrite},
      {sharing.deny_read, kDenyRead, kReadAccess},
      {sharing.deny_write, kDenyWrite, kWriteAccess},
  };
  for (const auto& byte : bytes) {
    if (!byte.wanted) continue;
    if (const std::error_code error = set(fd, byte.own, F_RDLCK)) {
      if (error == std::errc::invalid_argument || error == std::errc::no_lock_available ||
          error == std::errc::operation_not_supported) {
        return S_OK;
      }
      return STG_E_LOCKVIOLATION;
    }
  }
  for (const auto& byte : bytes) {
    if (byte.wanted && held_by_another(fd, byte.excluding)) {
      for (const auto& own : bytes) set(fd, own.own, F_UNLCK);
      return STG_E_SHAREVIOLATION;
    }
  }
  return S_OK;
}

}  // namespace vtplatform::cfb
