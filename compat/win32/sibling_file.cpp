// Files written beside their target and renamed over it.
#include "win32/sibling_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>

namespace vtplatform {
namespace {

std::string folder_of(std::string_view path) {
  const auto slash = path.rfind('/');
  if (slash == std::string_view::npos) return ".";
  return std::string(path.substr(0, slash == 0 ? 1 : slash));
}

}  // namespace

SiblingFile::SiblingFile(std::string_view target, std::string_view prefix)
    : path_(folder_of(target) + "/" + std::string(prefix) + "XXXXXX"),
      fd_(::mkostemp(path_.data(), O_CLOEXEC)) {}

SiblingFile::~SiblingFile() {
  if (fd_.valid() && !renamed_) ::unlink(path_.c_str());
}

int SiblingFile::rename_to(const char* target, bool keep_existing) {
  const unsigned flags = keep_existing ? RENAME_NOREPLACE : 0;
  if (::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, target, flags) != 0) return errno;
  renamed_ = true;
  return 0;
}

}  // namespace vtplatform
