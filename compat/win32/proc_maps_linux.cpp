// Parsing of /proc/PID/maps into the files that hold code, and reading of /proc/PID/exe.
#include "win32/proc_maps_linux.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>

#include "win32/unique_fd.h"

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

// Reads a /proc file of any size; nothing, with errno set, on failure.
std::optional<std::string> read_proc_file(const std::string& path) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) return std::nullopt;
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t count = ::read(fd.get(), buffer, sizeof buffer);
    if (count < 0) return std::nullopt;
    if (count == 0) return text;
    text.append(buffer, static_cast<std::size_t>(count));
  }
}

}  // namespace

std::string_view without_deleted_mark(std::string_view path) {
  constexpr std::string_view kDeleted = " (deleted)";
  if (path.ends_with(kDeleted)) path.remove_suffix(kDeleted.size());
  return path;
}

std::vector<MappedModule> parse_mapped_modules(std::string_view maps) {
  struct Candidate {
    std::string file_id;  // device and inode
    MappedModule module;
    bool executable = false;
  };
  std::vector<Candidate> candidates;
  while (!maps.empty()) {
    const auto end = std::min(maps.find('\n'), maps.size());
    std::string_view line = maps.substr(0, end);
    maps.remove_prefix(std::min(end + 1, maps.size()));

    // start-end perms offset major:minor inode [path]; the path runs to the end of the line
    // after the padding and may hold spaces.
    const std::string_view range = take_field(line);
    const std::string_view perms = take_field(line);
    take_field(line);  // offset
    const std::string_view device = take_field(line);
    const std::string_view inode = take_field(line);
    const auto path_start = line.find_first_not_of(' ');
    if (inode == "0" || path_start == std::string_view::npos || line[path_start] != '/') continue;
    const std::string_view path = line.substr(path_start);

    std::uintptr_t start = 0;
    const auto [range_end, error] = std::from_chars(range.data(), range.data() + range.size(),
                                                    start, 16);
    if (error != std::errc() || range_end == range.data() || perms.size() < 3) continue;

    std::string file_id = std::string(device) + ' ' + std::string(inode);
    auto found = std::find_if(candidates.begin(), candidates.end(),
                              [&](const Candidate& c) { return c.file_id == file_id; });
    if (found == candidates.end()) {
      candidates.push_back(
          {std::move(file_id), {start, std::string(without_deleted_mark(path))}, false});
      found = candidates.end() - 1;
    }
    found->executable = found->executable || perms[2] == 'x';
  }
  std::vector<MappedModule> modules;
  for (auto& candidate : candidates) {
    if (candidate.executable) modules.push_back(std::move(candidate.module));
  }
  return modules;
}

std::optional<std::vector<MappedModule>> read_mapped_modules(pid_t pid) {
  const auto text = read_proc_file("/proc/" + std::to_string(pid) + "/maps");
  if (!text) return std::nullopt;
  return parse_mapped_modules(*text);
}

std::optional<std::string> read_executable_path(pid_t pid) {
  const std::string link = "/proc/" + std::to_string(pid) + "/exe";
  char target[PATH_MAX];
  const ssize_t length = ::readlink(link.c_str(), target, sizeof target);
  if (length < 0) return std::nullopt;
  if (static_cast<std::size_t>(length) == sizeof target) {
    errno = ENAMETOOLONG;
    return std::nullopt;
  }
  return std::string(without_deleted_mark({target, static_cast<std::size_t>(length)}));
}

}  // namespace vtplatform
