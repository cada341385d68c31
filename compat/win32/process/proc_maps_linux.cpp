// Parsing of /proc/PID/maps into memory regions and the files that hold code, and reading of
// /proc/PID/exe.
#include "win32/process/proc_maps_linux.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>

#include "win32/core/read_file.h"

namespace vtplatform {
namespace {

// The next field of a maps line, separated by spaces; `line` keeps what follows it.
std::string_view take_field(std::string_view& line) {
  const auto start = line.find_first_not_of(' ');
  if (start == std::string_view::npos) return line = {};
  line.remove_prefix(start);
  const auto end = std::min(line.find(' '), line.size());
  const std::string_view field = line.substr(0, end);
  line.remove_prefix(end);
  return field;
}

template <class T>
bool parse_hex(std::string_view text, T& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

}  // namespace

std::string_view without_deleted_mark(std::string_view path) {
  constexpr std::string_view kDeleted = " (deleted)";
  if (path.ends_with(kDeleted)) path.remove_suffix(kDeleted.size());
  return path;
}

std::vector<MemoryRegion> parse_memory_regions(std::string_view maps) {
  std::vector<MemoryRegion> regions;
  while (!maps.empty()) {
    const auto end = std::min(maps.find('\n'), maps.size());
    std::string_view line = maps.substr(0, end);
    maps.remove_prefix(std::min(end + 1, maps.size()));

    // start-end perms offset major:minor inode [path]; the path runs to the end of the line
    // after the padding and may hold spaces.
    const std::string_view range = take_field(line);
    const std::string_view perms = take_field(line);
    const std::string_view offset = take_field(line);
    const std::string_view device = take_field(line);
    const std::string_view inode = take_field(line);
    const auto dash = range.find('-');
    MemoryRegion region;
    // A range that ends before it starts would give a region of a wrapped-around size.
    if (dash == std::string_view::npos || !parse_hex(range.substr(0, dash), region.start) ||
        !parse_hex(range.substr(dash + 1), region.end) || region.end < region.start ||
        perms.size() < 4 || !parse_hex(offset, region.offset)) {
      continue;
    }
    const auto [inode_end, error] =
        std::from_chars(inode.data(), inode.data() + inode.size(), region.inode);
    if (error != std::errc() || inode_end != inode.data() + inode.size()) continue;
    region.readable = perms[0] == 'r';
    region.writable = perms[1] == 'w';
    region.executable = perms[2] == 'x';
    region.shared = perms[3] == 's';
    region.device = std::string(device);
    const auto path_start = line.find_first_not_of(' ');
    if (path_start != std::string_view::npos) region.path = std::string(line.substr(path_start));
    regions.push_back(std::move(region));
  }
  return regions;
}

std::vector<MappedModule> parse_mapped_modules(std::string_view maps) {
  struct Candidate {
    std::string file_id;  // device and inode
    MappedModule module;
    bool executable = false;
  };
  std::vector<Candidate> candidates;
  for (const MemoryRegion& region : parse_memory_regions(maps)) {
    if (!region.is_file()) continue;
    std::string file_id = region.device + ' ' + std::to_string(region.inode);
    auto found = std::find_if(candidates.begin(), candidates.end(),
                              [&](const Candidate& c) { return c.file_id == file_id; });
    if (found == candidates.end()) {
      candidates.push_back(
          {std::move(file_id),
           {region.start, region.end, std::string(without_deleted_mark(region.path))}});
      found = candidates.end() - 1;
    }
    found->module.end = std::max(found->module.end, region.end);
    found->executable = found->executable || region.executable;
  }
  std::vector<MappedModule> modules;
  for (auto& candidate : candidates) {
    if (candidate.executable) modules.push_back(std::move(candidate.module));
  }
  return modules;
}

ErrorOr<std::vector<MappedModule>> read_mapped_modules(pid_t pid) {
  const auto text = read_file("/proc/" + std::to_string(pid) + "/maps");
  if (!text) return text.error();
  return parse_mapped_modules(*text);
}

ErrorOr<std::string> read_executable_path(pid_t pid) {
  const std::string link = "/proc/" + std::to_string(pid) + "/exe";
  char target[PATH_MAX];
  const ssize_t length = ::readlink(link.c_str(), target, sizeof target);
  if (length < 0) return errno_code();
  if (static_cast<std::size_t>(length) == sizeof target) return errno_code(ENAMETOOLONG);
  return std::string(without_deleted_mark({target, static_cast<std::size_t>(length)}));
}

}  // namespace vtplatform
