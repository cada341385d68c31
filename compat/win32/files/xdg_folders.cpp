// The XDG base folders from the environment and the user database.
#include "win32/files/xdg_folders.h"

#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "win32/core/error_or.h"

namespace vtplatform {
namespace {

// $`variable` when it holds an absolute path, else `fallback` below the home folder. Relative
// values are to be ignored, as the base directory rules say.
std::optional<std::string> base_folder(const char* variable, const char* fallback) {
  const char* value = ::getenv(variable);
  if (value != nullptr && *value == '/') return std::string(value);
  const auto home = home_folder();
  if (!home) return std::nullopt;
  return *home + "/" + fallback;
}

}  // namespace

std::optional<std::string> home_folder() {
  const char* home = ::getenv("HOME");
  if (home != nullptr && *home == '/') return std::string(home);
  const passwd* user = ::getpwuid(::geteuid());
  if (user != nullptr && user->pw_dir != nullptr && *user->pw_dir == '/') return user->pw_dir;
  return std::nullopt;
}

std::optional<std::string> config_home() { return base_folder("XDG_CONFIG_HOME", ".config"); }

std::optional<std::string> state_home() { return base_folder("XDG_STATE_HOME", ".local/state"); }

std::error_code make_private_folders(const std::string& folder) {
  for (std::size_t end = folder.find('/', 1);; end = folder.find('/', end + 1)) {
    const std::string part = folder.substr(0, end);
    if (!part.empty() && part.back() != '/' && ::mkdir(part.c_str(), 0700) != 0 &&
        errno != EEXIST) {
      return errno_code();
    }
    if (end == std::string::npos) break;
  }
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0) return errno_code();
  if (!S_ISDIR(info.st_mode)) return errno_code(ENOTDIR);
  return {};
}

}  // namespace vtplatform
