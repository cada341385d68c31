// Reading /proc/PID/stat and walking /proc for the live processes.
#include "win32/process/process_stat_linux.h"

#include <dirent.h>

#include <algorithm>
#include <charconv>
#include <memory>
#include <system_error>

#include "win32/core/read_file.h"

namespace vtplatform {
namespace {

// Field numbers as proc(5) counts them, from 1 for the pid.
constexpr int kStateField = 3;
constexpr int kParentField = 4;
constexpr int kUserTicksField = 14;
constexpr int kKernelTicksField = 15;
constexpr int kThreadsField = 20;
constexpr int kStartTicksField = 22;

template <class T>
bool parse_number(std::string_view text, T& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

// Nothing when the file cannot be read: the process or thread is gone.
ErrorOr<ProcessStat> read_stat_file(const std::string& path) {
  const auto text = read_file(path);
  if (!text) return text.error();
  auto stat = parse_process_stat(*text);
  if (!stat) return std::make_error_code(std::errc::bad_message);
  return *std::move(stat);
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

}  // namespace

std::optional<ProcessStat> parse_process_stat(std::string_view text) {
  const auto open = text.find('(');
  const auto close = text.rfind(')');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
    return std::nullopt;
  }
  ProcessStat stat;
  std::string_view pid_text = text.substr(0, open);
  while (!pid_text.empty() && pid_text.back() == ' ') pid_text.remove_suffix(1);
  if (!parse_number(pid_text, stat.pid)) return std::nullopt;
  stat.comm = std::string(text.substr(open + 1, close - open - 1));

  // The fields after the name, separated by single blanks, start with field 3.
  std::string_view rest = text.substr(close + 1);
  int field = kStateField - 1;
  while (field < kStartTicksField) {
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    if (rest.empty() || rest.front() == '\n') return std::nullopt;
    const auto end = std::min(rest.find_first_of(" \n"), rest.size());
    const std::string_view value = rest.substr(0, end);
    rest.remove_prefix(end);
    ++field;
    bool ok = true;
    switch (field) {
      case kStateField:
        ok = value.size() == 1;
        stat.state = value.front();
        break;
      case kParentField: ok = parse_number(value, stat.parent); break;
      case kUserTicksField: ok = parse_number(value, stat.user_ticks); break;
      case kKernelTicksField: ok = parse_number(value, stat.kernel_ticks); break;
      case kThreadsField: ok = parse_number(value, stat.threads); break;
      case kStartTicksField: ok = parse_number(value, stat.start_ticks); break;
      default: break;
    }
    if (!ok) return std::nullopt;
  }
  return stat;
}

ErrorOr<ProcessStat> read_process_stat(pid_t pid) {
  return read_stat_file("/proc/" + std::to_string(pid) + "/stat");
}

bool is_live(const ProcessStat& stat) {
  if (stat.state == 'Z' || stat.state == 'X') return stat.threads > 1;
  return true;
}

std::optional<std::uint64_t> boot_time() {
  static const std::optional<std::uint64_t> seconds = [] () -> std::optional<std::uint64_t> {
    const auto text = read_file("/proc/stat");
    if (!text) return std::nullopt;
    constexpr std::string_view kKey = "\nbtime ";
    const auto key = text->find(kKey);
    if (key == std::string::npos) return std::nullopt;
    const auto start = key + kKey.size();
    const auto end = std::min(text->find('\n', start), text->size());
    std::uint64_t value = 0;
    if (!parse_number(std::string_view(*text).substr(start, end - start), value)) {
      return std::nullopt;
    }
    return value;
  }();
  return seconds;
}

std::vector<ProcessStat> live_processes() {
  std::vector<ProcessStat> processes;
  std::unique_ptr<DIR, DirCloser> proc(::opendir("/proc"));
  if (!proc) return processes;
  while (const dirent* entry = ::readdir(proc.get())) {
    pid_t pid = 0;
    if (!parse_number(std::string_view(entry->d_name), pid) || pid <= 0) continue;
    // A process that ended since the folder was read has no stat any more and is left out.
    if (auto stat = read_process_stat(pid); stat && is_live(*stat)) {
      processes.push_back(std::move(*stat));
    }
  }
  std::sort(processes.begin(), processes.end(),
            [](const ProcessStat& a, const ProcessStat& b) { return a.pid < b.pid; });
  return processes;
}

std::optional<std::vector<ProcessStat>> read_thread_stats(pid_t pid) {
  const std::string folder = "/proc/" + std::to_string(pid) + "/task";
  std::unique_ptr<DIR, DirCloser> tasks(::opendir(folder.c_str()));
  if (!tasks) return std::nullopt;
  std::vector<ProcessStat> threads;
  while (const dirent* entry = ::readdir(tasks.get())) {
    pid_t tid = 0;
    if (!parse_number(std::string_view(entry->d_name), tid) || tid <= 0) continue;
    // A thread that ended since the folder was read is left out.
    const std::string path = folder + "/" + entry->d_name + "/stat";
    if (auto stat = read_stat_file(path)) {
      threads.push_back(std::move(*stat));
    }
  }
  return threads;
}

}  // namespace vtplatform
