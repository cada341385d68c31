// Text files shared between processes: flock on a lock file beside them, atomic replacement.
#include "win32/shared_text_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "vtplatform/win32/error.h"
#include "win32/errno_error.h"
#include "win32/sibling_file.h"
#include "win32/unique_fd.h"

namespace vtplatform {
namespace {

// Holds a flock on the lock file until it goes; closing the descriptor releases it.
UniqueFd lock_file(const std::string& lock_path, int operation) {
  UniqueFd lock(::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (!lock.valid()) return lock;
  while (::flock(lock.get(), operation) != 0) {
    if (errno != EINTR) return UniqueFd();
  }
  return lock;
}

LONG read_text(const std::string& path, std::string& text) {
  text.clear();
  const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) return errno == ENOENT ? ERROR_SUCCESS : win32_error_from_errno(errno);
  char buffer[16384];
  for (;;) {
    const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
    if (got == 0) return ERROR_SUCCESS;
    if (got < 0) {
      if (errno == EINTR) continue;
      return win32_error_from_errno(errno);
    }
    text.append(buffer, static_cast<std::size_t>(got));
  }
}

// Writes `text` beside the file, as ".<name>.XXXXXX", and renames it over the file.
LONG replace_text(const std::string& path, const std::string& text) {
  const std::string name = std::filesystem::path(path).filename().string();
  SiblingFile sibling(path, "." + name + ".");
  if (!sibling.valid()) return win32_error_from_errno(errno);
  for (std::size_t written = 0; written < text.size();) {
    const ssize_t put = ::write(sibling.fd(), text.data() + written, text.size() - written);
    if (put < 0) {
      if (errno == EINTR) continue;
      return win32_error_from_errno(errno);
    }
    written += static_cast<std::size_t>(put);
  }
  if (::fsync(sibling.fd()) != 0) return win32_error_from_errno(errno);
  const int error = sibling.rename_to(path.c_str());
  return error == 0 ? ERROR_SUCCESS : win32_error_from_errno(error);
}

}  // namespace

SharedTextFile::SharedTextFile(std::string path, Folder folder)
    : path_(std::move(path)), lock_path_(path_ + ".lock"), folder_(folder) {}

LONG SharedTextFile::read(std::string& text) const {
  const UniqueFd lock = lock_file(lock_path_, LOCK_SH);
  return read_text(path_, text);
}

LONG SharedTextFile::update(
    const std::function<LONG(std::string& text, bool& changed)>& change) const {
  if (folder_ == Folder::kCreate) {
    std::error_code ignored;  // a folder that cannot be made shows as the lock file's error
    std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), ignored);
  }
  const UniqueFd lock = lock_file(lock_path_, LOCK_EX);
  if (!lock.valid()) return win32_error_for_path(errno, lock_path_.c_str());
  std::string text;
  if (const LONG error = read_text(path_, text)) return error;
  bool changed = false;
  if (const LONG error = change(text, changed); error != ERROR_SUCCESS || !changed) return error;
  return replace_text(path_, text);
}

}  // namespace vtplatform
