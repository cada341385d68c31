// A fresh folder for one test under the temporary folder, removed with everything in it when the
// test ends.
#pragma once

#include <filesystem>
#include <string>

namespace vtutils::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The folder's path as text, with a trailing '/' when `with_separator` is set.
  std::string str(bool with_separator = false) const;
  // `name` inside the folder.
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Creates `path` with `text` as its content, replacing a file that is there.
void write_file(const std::filesystem::path& path, const std::string& text);
// The whole content of `path`, or "" when it cannot be read.
std::string read_file(const std::filesystem::path& path);

}  // namespace vtutils::testing
