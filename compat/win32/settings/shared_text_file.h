// SharedTextFile: a small text file that several processes read and change, such as the registry
// store and the INI profiles. Reads take a shared lock and changes an exclusive one on
// "<file>.lock" beside the file (flock), and a change writes the whole new text beside the file
// and renames it over the old one, so a reader sees the file before or after a change, never a
// part of it. Reading creates nothing.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>

#include "vtplatform/win32/types.h"

namespace vtplatform {

class SharedTextFile {
 public:
  enum class Folder { kExisting, kCreate };

  // The file at `path`. With Folder::kCreate a change first creates the file's folder and those
  // above it; with kExisting a missing folder fails the change. A file that a change creates, and
  // the lock file, get `new_rights`; a replaced file keeps its own.
  SharedTextFile(std::string path, Folder folder, mode_t new_rights);

  const std::string& path() const { return path_; }

  // The whole text into `text`, "" when the file does not exist. Without a lock file (no folder
  // yet, or one this user cannot write) the file is read all the same: it is only ever replaced
  // by a rename. ERROR_SUCCESS or the Win32 error that reading met.
  LONG read(std::string& text) const;

  // Under the exclusive lock, reads the text and hands it to `change`. When `change` returns
  // ERROR_SUCCESS and sets its flag, the changed text replaces the file before the lock is
  // released. Waits for the lock as long as another change holds it, or, with a `wait_ms` of 0
  // or more, that many milliseconds at most and then gives ERROR_SHARING_VIOLATION. The error of
  // `change`, of the lock, of reading or of writing.
  LONG update(const std::function<LONG(std::string& text, bool& changed)>& change,
              int wait_ms = -1) const;

 private:
  std::string path_;
  std::string lock_path_;
  Folder folder_;
  mode_t new_rights_;
};

}  // namespace vtplatform
