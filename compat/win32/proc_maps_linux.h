// The file modules mapped into a process, read from /proc/PID/maps, and the path of its
// executable from /proc/PID/exe.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vtplatform {

struct MappedModule {
  std::uintptr_t base = 0;  // the start of the file's lowest mapping
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

// Reads and parses /proc/`pid`/maps; nothing, with errno set, when it cannot be read.
std::optional<std::vector<MappedModule>> read_mapped_modules(pid_t pid);

// The path of the process's executable; nothing, with errno set, when /proc/`pid`/exe cannot be
// read (ENOENT for a kernel thread or an exited process).
std::optional<std::string> read_executable_path(pid_t pid);

}  // namespace vtplatform
