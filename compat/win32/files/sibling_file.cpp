// Files written beside their target and renamed over it.
#include "win32/files/sibling_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "win32/core/eintr.h"
#include "win32/core/read_file.h"

namespace vtplatform {
namespace {

constexpr std::string_view kMarker = ".vt-";
constexpr std::size_t kRandomChars = 6;  // the XXXXXX that mkostemp fills in
// How often a sibling is made anew when another writer removed it before it was locked.
constexpr int kCreateAttempts = 8;

std::string folder_of(std::string_view path) {
  const auto slash = path.rfind('/');
  if (slash == std::string_view::npos) return ".";
  return std::string(path.substr(0, slash == 0 ? 1 : slash));
}

// ".<target's name>.vt-", with the name cut where a whole sibling name would pass NAME_MAX.
std::string sibling_prefix(std::string_view target) {
  const std::string_view name = target.substr(target.rfind('/') + 1);
  return "." + std::string(name.substr(0, NAME_MAX - 1 - kMarker.size() - kRandomChars)) +
         std::string(kMarker);
}

// The file a symbolic link at `path` leads to, else `path` itself.
std::string resolved(const std::string& path) {
  struct stat link {};
  if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
  const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr),
                                                         &std::free);
  return real ? std::string(real.get()) : path;
}

// Write-locks the first byte of the file, waiting for the lock with F_OFD_SETLKW and not with
// F_OFD_SETLK. An OFD lock belongs to the open file, so it ends when the last descriptor of it
// closes, also when its writer dies; and it leaves alone the sharing locks that compound files
// take far past their end.
bool lock_sibling(int fd, int command) {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_len = 1;
  return retry_on_eintr([&] { return ::fcntl(fd, command, &lock); }) == 0;
}

// Creates a file from `path`, which ends in XXXXXX, and locks it. Another writer may take the new
// file for a leftover and remove it before the lock is taken: then the file is made anew, and
// EAGAIN ends the tries. Where the file system keeps no locks, the file stays unlocked and no
// writer removes it as a leftover.
ErrorOr<UniqueFd> create_locked(std::string& path) {
  const std::string pattern = path;
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    path = pattern;
    UniqueFd fd(::mkostemp(path.data(), O_CLOEXEC));
    if (!fd.valid()) return errno_code();
    lock_sibling(fd.get(), F_OFD_SETLKW);
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0 || status.st_nlink > 0) return fd;
  }
  return errno_code(EAGAIN);
}

// Syncs `folder`, so that the entries changed in it outlast a power loss. A folder that this user
// may not read cannot be synced, and a file system that cannot sync folders (EINVAL) keeps its
// entries as it does; neither is a failure.
std::error_code sync_folder(const std::string& folder) {
  const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.valid() || ::fsync(fd.get()) == 0 || errno == EINVAL) return {};
  return errno_code();
}

// Removes the files "<prefix>XXXXXX" in `folder` that nobody holds locked: siblings whose writer
// died before renaming them. The lock taken here makes a writer that created such a file but has
// not locked it yet wait, and then make a new one.
void remove_leftovers(const std::string& folder, std::string_view prefix) {
  const auto close = [](DIR* dir) { ::closedir(dir); };
  const std::unique_ptr<DIR, decltype(close)> dir(::opendir(folder.c_str()), close);
  if (!dir) return;
  const int dir_fd = ::dirfd(dir.get());
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name.size() != prefix.size() + kRandomChars || !name.starts_with(prefix)) continue;
    // Only a regular file is opened, and only removed when the name still leads to the file
    // opened and locked.
    struct stat named {}, held {};
    if (::fstatat(dir_fd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(named.st_mode)) {
      continue;
    }
    const UniqueFd fd(
        ::openat(dir_fd, entry->d_name, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (fd.valid() && lock_sibling(fd.get(), F_OFD_SETLK) && ::fstat(fd.get(), &held) == 0 &&
        held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
      ::unlinkat(dir_fd, entry->d_name, 0);
    }
  }
}

}  // namespace

SiblingFile::SiblingFile(std::string_view target)
    : target_(target),
      folder_(folder_of(target)),
      prefix_(sibling_prefix(target)),
      path_(folder_ + "/" + prefix_ + std::string(kRandomChars, 'X')) {}

ErrorOr<SiblingFile> SiblingFile::create(std::string_view target) {
  SiblingFile sibling(target);
  ErrorOr<UniqueFd> fd = create_locked(sibling.path_);
  if (!fd) return fd.error();
  sibling.fd_ = std::move(*fd);
  return sibling;
}

SiblingFile::~SiblingFile() {
  if (fd_.valid() && !renamed_) ::unlink(path_.c_str());
}

std::error_code SiblingFile::rename_to_target(bool keep_existing) {
  if (::fsync(fd_.get()) != 0) return errno_code();
  const unsigned flags = keep_existing ? RENAME_NOREPLACE : 0;
  if (::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, target_.c_str(), flags) != 0) {
    return errno_code();
  }
  renamed_ = true;
  if (const std::error_code error = sync_folder(folder_)) return error;
  remove_leftovers(folder_, prefix_);
  return {};
}

mode_t new_file_rights() {
  // umask(2) cannot read the mask without changing it for every thread for a moment.
  const auto status = read_file("/proc/self/status");
  constexpr std::string_view kField = "\nUmask:";
  const auto at = status ? status->find(kField) : std::string::npos;
  if (at == std::string::npos) return 0644;
  const unsigned long mask = std::strtoul(status->c_str() + at + kField.size(), nullptr, 8);
  return 0666 & ~static_cast<mode_t>(mask);
}

int replace_file(const std::string& target, std::string_view text, mode_t new_rights) {
  const std::string path = resolved(target);
  struct stat existing {};
  const mode_t rights =
      ::stat(path.c_str(), &existing) == 0 ? existing.st_mode & 07777 : new_rights;
  ErrorOr<SiblingFile> sibling = SiblingFile::create(path);
  if (!sibling) return sibling.error().value();
  if (::fchmod(sibling->fd(), rights) != 0) return errno;
  while (!text.empty()) {
    const ssize_t put =
        retry_on_eintr([&] { return ::write(sibling->fd(), text.data(), text.size()); });
    if (put < 0) return errno;
    text.remove_prefix(static_cast<std::size_t>(put));
  }
  return sibling->rename_to_target().value();
}

}  // namespace vtplatform
