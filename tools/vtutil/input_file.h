// The input of the commands that read a file or standard input as Unix tools do: a FILE argument,
// or "-" for standard input, read in blocks so that memory stays the same whatever the input's
// size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Bytes read at a time: large enough that the calls cost nothing against the work on the bytes,
// small enough to stay in the cache.
inline constexpr std::size_t kInputBlockSize = 64 * 1024;

// A file opened for reading, or standard input for "-"; closes what it opened. A file that cannot
// be opened or read ends the command with "cannot read FILE: reason"; a folder ends it at once
// ("Is a directory").
class InputFile {
 public:
  InputFile(const char* command, const std::string& path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Reads up to `size` bytes into `buffer` and returns how many; 0 at the end of the input.
  std::size_t read(char* buffer, std::size_t size);
  // All of the rest of the input.
  std::string read_all();

  // For files that are read from their end: the size, and up to `size` bytes at `offset`.
  std::uint64_t size() const;
  std::size_t read_at(char* buffer, std::size_t size, std::uint64_t offset);

  // The descriptor, for readers that open the file again by its name in /proc/self/fd.
  int fd() const { return fd_; }

 private:
  [[noreturn]] void fail(int error) const;

  const char* command_;
  std::string path_;
  int fd_;
};
