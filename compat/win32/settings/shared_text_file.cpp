// Text files shared between processes: flock on a lock file beside them, atomic replacement.
#include "win32/settings/shared_text_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <system_error>
#include <thread>

#include "vtplatform/win32/error.h"
#include "win32/core/eintr.h"
#include "win32/core/errno_error.h"
#include "win32/core/read_file.h"
#include "win32/core/unique_fd.h"
#include "win32/files/sibling_file.h"

namespace vtplatform {
namespace {

// Holds a flock on the lock file until it goes; closing the descriptor releases it. A shared lock
// needs only a lock file that is there, read-only: reading creates nothing, and a file that
// another user's change created still serves. An exclusive lock creates the lock file with
// `rights`, and flock works as well on a descriptor opened read-only. With a `wait_ms` of 0 or
// more the lock is tried until that time is up, and then it fails with EWOULDBLOCK.
ErrorOr<UniqueFd> lock_file(const std::string& lock_path, int operation, mode_t rights,
                            int wait_ms = -1) {
  UniqueFd lock;
  if (operation == LOCK_EX)
    lock.reset(::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, rights));
  if (!lock.valid()) lock.reset(::open(lock_path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!lock.valid()) return errno_code();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
  const int mode = wait_ms < 0 ? operation : operation | LOCK_NB;
  while (retry_on_eintr([&] { return ::flock(lock.get(), mode); }) != 0) {
    if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) return errno_code();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return lock;
}

// The text of the file at `path`; a file that is not there yet reads as empty.
LONG read_text(const std::string& path, std::string& text) {
  auto content = read_file(path);
  if (!content && content.error() != std::errc::no_such_file_or_directory) {
    text.clear();
    return win32_error_from(content.error());
  }
  text = content ? std::move(*content) : std::string();
  return ERROR_SUCCESS;
}

}  // namespace

SharedTextFile::SharedTextFile(std::string path, Folder folder, mode_t new_rights)
    : path_(std::move(path)),
      lock_path_(path_ + ".lock"),
      folder_(folder),
      new_rights_(new_rights) {}

LONG SharedTextFile::read(std::string& text) const {
  // A shared lock that cannot be had (no lock file yet) does not stop the reading.
  const auto lock = lock_file(lock_path_, LOCK_SH, new_rights_);
  return read_text(path_, text);
}

LONG SharedTextFile::update(const std::function<LONG(std::string& text, bool& changed)>& change,
                            int wait_ms) const {
  if (folder_ == Folder::kCreate) {
    std::error_code ignored;  // a folder that cannot be made shows as the lock file's error
    std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), ignored);
  }
  const auto lock = lock_file(lock_path_, LOCK_EX, new_rights_, wait_ms);
  if (!lock) {
    return lock.error() == std::errc::operation_would_block
               ? ERROR_SHARING_VIOLATION
               : win32_error_for_path(lock.error().value(), lock_path_.c_str());
  }
  std::string text;
  if (const LONG error = read_text(path_, text)) return error;
  bool changed = false;
  if (const LONG error = change(text, changed); error != ERROR_SUCCESS || !changed) return error;
  const int error = replace_file(path_, text, new_rights_);
  return error == 0 ? ERROR_SUCCESS : win32_error_from_errno(error);
}

}  // namespace vtplatform
