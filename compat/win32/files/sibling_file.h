// SiblingFile: a new file written beside a target and then renamed over it, so that the target is
// replaced whole or not at all, even by a crash or a power loss. The file is removed again unless
// the rename happened.
//
// A sibling is named ".<target's name>.vt-XXXXXX" and is locked for as long as its writer holds
// it open. A writer that dies before its rename leaves its sibling behind, unlocked; the next
// rename of a sibling over the same target removes it, and never one that a live writer holds.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>
#include <system_error>

#include "win32/core/error_or.h"
#include "win32/core/unique_fd.h"

namespace vtplatform {

class SiblingFile {
 public:
  // Creates the sibling of `target` with rights 0600, or gives the errno of the failure.
  static ErrorOr<SiblingFile> create(std::string_view target);
  ~SiblingFile();
  SiblingFile(SiblingFile&&) = default;
  SiblingFile& operator=(SiblingFile&&) = delete;

  const std::string& path() const { return path_; }
  int fd() const { return fd_.get(); }
  // Syncs the file, renames it to the target, replacing what is there unless `keep_existing` is
  // set, and syncs the folder, so that the new file outlasts a power loss. Then removes the
  // target's siblings that dead writers left behind. The errno of the failure (EEXIST when
  // `keep_existing` finds a file), or no error.
  [[nodiscard]] std::error_code rename_to_target(bool keep_existing = false);

 private:
  explicit SiblingFile(std::string_view target);

  std::string target_;
  std::string folder_;
  std::string prefix_;
  std::string path_;
  UniqueFd fd_;
  bool renamed_ = false;
};

// The rights that open(2) gives a new file created with 0666: those without the process's umask.
mode_t new_file_rights();

// Replaces the file `target` whole with `text`: written beside it as a SiblingFile, synced and
// renamed over it, so that readers see the old text or the new one. The new file keeps the rights
// of the file it replaces, or gets `new_rights` where there was none. A symbolic link at
// `target` stays: the file it leads to is replaced. 0, or the errno of the failure.
int replace_file(const std::string& target, std::string_view text, mode_t new_rights);

}  // namespace vtplatform
