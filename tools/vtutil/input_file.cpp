// Reading a command's input file or standard input in blocks.
#include "input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "command_failure.h"
#include "escaped.h"

InputFile::InputFile(const char* command, const std::string& path)
    : command_(command),
      path_(path),
      fd_(path == "-" ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
  if (fd_ < 0) fail(errno);
  struct stat status {};
  if (fd_ != STDIN_FILENO && ::fstat(fd_, &status) == 0 && S_ISDIR(status.st_mode)) {
    ::close(fd_);
    fail(EISDIR);
  }
}

InputFile::~InputFile() {
  if (fd_ != STDIN_FILENO) ::close(fd_);
}

std::size_t InputFile::read(char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t count = ::read(fd_, buffer, size);
    if (count >= 0) return static_cast<std::size_t>(count);
    if (errno != EINTR) fail(errno);
  }
}

std::string InputFile::read_all() {
  std::string bytes;
  for (std::size_t count = 1; count != 0;) {
    const std::size_t old_size = bytes.size();
    bytes.resize(old_size + kInputBlockSize);
    count = read(bytes.data() + old_size, kInputBlockSize);
    bytes.resize(old_size + count);
  }
  return bytes;
}

std::uint64_t InputFile::size() const {
  struct stat status {};
  if (::fstat(fd_, &status) != 0) fail(errno);
  return static_cast<std::uint64_t>(status.st_size);
}

std::size_t InputFile::read_at(char* buffer, std::size_t size, std::uint64_t offset) {
  for (;;) {
    const ssize_t count = ::pread(fd_, buffer, size, static_cast<off_t>(offset));
    if (count >= 0) return static_cast<std::size_t>(count);
    if (errno != EINTR) fail(errno);
  }
}

void InputFile::fail(int error) const {
  fail_command(command_, "cannot read " +
                             (path_ == "-" ? std::string("standard input") : escaped(path_)) +
                             ": " + std::strerror(error));
}
