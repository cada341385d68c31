// SiblingFile: a new file written beside a target and then renamed over it, so that the target is
// replaced whole or not at all. The file is removed again unless the rename happened.
#pragma once

#include <string>
#include <string_view>

#include "win32/unique_fd.h"

namespace vtplatform {

class SiblingFile {
 public:
  // Creates "<folder of target>/<prefix>XXXXXX" with rights 0600; valid() tells whether it could.
  SiblingFile(std::string_view target, std::string_view prefix);
  ~SiblingFile();
  SiblingFile(const SiblingFile&) = delete;
  SiblingFile& operator=(const SiblingFile&) = delete;

  const std::string& path() const { return path_; }
  int fd() const { return fd_.get(); }
  bool valid() const { return fd_.valid(); }
  // Renames the file to `target`, replacing what is there unless `keep_existing` is set. 0, or
  // the errno of the failure (EEXIST when `keep_existing` finds a file).
  int rename_to(const char* target, bool keep_existing = false);

 private:
  std::string path_;
  UniqueFd fd_;
  bool renamed_ = false;
};

}  // namespace vtplatform
