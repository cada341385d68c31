// The memory map of a process and the file modules in it, read from /proc/PID/maps, and the path
// of its executable from /proc/PID/exe.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "win32/core/error_or.h"

namespace vtplatform {

// One line of /proc/PID/maps: a range of addresses with the same rights and backing.
struct MemoryRegion {
  std::uintptr_t start = 0;
  std::uintptr_t end = 0;  // one past the last byte
  bool readable = false;
  bool writable = false;
  bool executable = false;
  bool shared = false;
  std::uint64_t offset = 0;  // of the first byte in the mapped file
  std::string device;        // major:minor of the file's device
  std::uint64_t inode = 0;   // 0 for memory without a file
  std::string path;  // the file as the kernel shows it, a kernel name ("[stack]"), or empty

  // Whether a file on a disk backs the region (not anonymous memory, [heap], [vdso], ...).
  bool is_file() const { return inode != 0 && !path.empty() && path[0] == '/'; }
};

// Parses the text of /proc/PID/maps; lines that do not parse, or whose range ends before it
// starts, are left out.
std::vector<MemoryRegion> parse_memory_regions(std::string_view maps);

struct MappedModule {
  std::uintptr_t base = 0;  // the start of the file's lowest mapping
  std::uintptr_t end = 0;   // one past the end of its highest mapping
  std::string path;         // without the kernel's " (deleted)" mark
};

// The path with the " (deleted)" mark removed that the kernel appends to a file that was removed
// or replaced after it was mapped.
std::string_view without_deleted_mark(std::string_view path);

// Parses the text of /proc/PID/maps into its modules: every distinct file (by device and inode)
// with at least one executable mapping, in the order of their lowest mappings. Anonymous memory,
// the kernel's special entries ([heap], [stack], [vdso], ...) and files mapped only as data
// (locale archives, caches) are no modules.
std::vector<MappedModule> parse_mapped_modules(std::string_view maps);

// Reads and parses /proc/`pid`/maps.
ErrorOr<std::vector<MappedModule>> read_mapped_modules(pid_t pid);

// The path of the process's executable from /proc/`pid`/exe; ENOENT for a kernel thread or an
// exited process.
ErrorOr<std::string> read_executable_path(pid_t pid);

}  // namespace vtplatform
