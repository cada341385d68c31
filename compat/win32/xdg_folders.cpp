// The XDG base folders from the environment and the user database.
#include "win32/xdg_folders.h"

#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

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

}  // namespace vtplatform
