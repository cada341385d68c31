// ProcessMemory: reading another process's memory through /proc/PID/mem, and the GNU build id of
// an ELF file mapped into it.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "win32/core/error_or.h"
#include "win32/core/unique_fd.h"

namespace vtplatform {

class ProcessMemory {
 public:
  // Opens the memory of `pid`, which the kernel allows to a tracer of the process or a caller
  // that could become one; the errno of the open otherwise.
  static ErrorOr<ProcessMemory> open(pid_t pid);

  // Reads up to `size` bytes at `address` and returns how many were read: all of them, or those
  // before the first byte that cannot be read (an unmapped page, a file mapped past its end).
  std::size_t read(std::uint64_t address, void* buffer, std::size_t size) const;

  // Reads `size` bytes at `address`, leaving zeros where a page cannot be read.
  void read_zero_filled(std::uint64_t address, void* buffer, std::size_t size) const;

 private:
  explicit ProcessMemory(UniqueFd fd) : fd_(std::move(fd)) {}

  UniqueFd fd_;
};

// The GNU build id of the ELF file whose first mapping starts at `base`, from the notes of its
// program headers in memory; empty when there is none or the memory does not hold an ELF file.
std::vector<std::uint8_t> read_build_id(const ProcessMemory& memory, std::uint64_t base);

}  // namespace vtplatform
