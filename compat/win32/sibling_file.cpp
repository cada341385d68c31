// Files written beside their target and renamed over it.
#include "win32/sibling_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <memory>

namespace vtplatform {
namespace {

std::string folder_of(std::string_view path) {
  const auto slash = path.rfind('/');
  if (slash == std::string_view::npos) return ".";
  return std::string(path.substr(0, slash == 0 ? 1 : slash));
}

// The file a symbolic link at `path` leads to, else `path` itself.
std::string resolved(const std::string& path) {
  struct stat link {};
  if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
  const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr),
                                                         &std::free);
  return real ? std::string(real.get()) : path;
}

// Syncs `folder`, so that the entries changed in it outlast a power loss. A folder that this user
// may not read cannot be synced, and a file system that cannot sync folders (EINVAL) keeps its
// entries as it does; neither is a failure.
int sync_folder(const std::string& folder) {
  const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.valid() || ::fsync(fd.get()) == 0 || errno == EINVAL) return 0;
  return errno;
}

}  // namespace

SiblingFile::SiblingFile(std::string_view target, std::string_view prefix)
    : target_(target),
      folder_(folder_of(target)),
      path_(folder_ + "/" + std::string(prefix) + "XXXXXX"),
      fd_(::mkostemp(path_.data(), O_CLOEXEC)) {}

SiblingFile::~SiblingFile() {
  if (fd_.valid() && !renamed_) ::unlink(path_.c_str());
}

int SiblingFile::rename_to_target(bool keep_existing) {
  if (::fsync(fd_.get()) != 0) return errno;
  const unsigned flags = keep_existing ? RENAME_NOREPLACE : 0;
  if (::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, target_.c_str(), flags) != 0) return errno;
  renamed_ = true;
  return sync_folder(folder_);
}

mode_t new_file_rights() {
  // umask(2) cannot read the mask without changing it for every thread for a moment.
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("Umask:")) {
      return 0666 & ~static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    }
  }
  return 0644;
}

int replace_file(const std::string& target, std::string_view text, mode_t new_rights) {
  const std::string path = resolved(target);
  struct stat existing {};
  const mode_t rights =
      ::stat(path.c_str(), &existing) == 0 ? existing.st_mode & 07777 : new_rights;
  const std::string_view name = std::string_view(path).substr(path.rfind('/') + 1);
  SiblingFile sibling(path, "." + std::string(name) + ".");
  if (!sibling.valid()) return errno;
  if (::fchmod(sibling.fd(), rights) != 0) return errno;
  while (!text.empty()) {
    const ssize_t put = ::write(sibling.fd(), text.data(), text.size());
    if (put < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    text.remove_prefix(static_cast<std::size_t>(put));
  }
  return sibling.rename_to_target();
}

}  // namespace vtplatform
