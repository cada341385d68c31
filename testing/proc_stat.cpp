// Reading fields of /proc stat lines for tests.
#include "testing/proc_stat.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace vtutils::testing {
namespace {

// Field `field` of a stat line; the command name before it may hold blanks and ')'.
std::string stat_line_field(const std::filesystem::path& path, int field) {
  std::ifstream stat(path);
  std::string line;
  std::getline(stat, line);
  const auto close = line.rfind(')');
  if (close == std::string::npos || field < 3) return "";
  std::istringstream rest(line.substr(close + 1));
  std::string value;
  for (int number = 3; number <= field && rest >> value; ++number) {
    if (number == field) return value;
  }
  return "";
}

}  // namespace

std::string proc_stat_field(pid_t pid, int field) {
  return stat_line_field("/proc/" + std::to_string(pid) + "/stat", field);
}

std::string thread_states(pid_t pid) {
  std::string states;
  std::error_code error;
  for (const auto& task :
       std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
    states += stat_line_field(task.path() / "stat", 3);
  }
  return states;
}

}  // namespace vtutils::testing
