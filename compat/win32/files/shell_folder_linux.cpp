// Known folders from the XDG user-dirs configuration, and the folders for logs and dumps.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "vtplatform/win32/shell_folder.h"
#include "win32/core/errno_error.h"
#include "win32/files/xdg_folders.h"

namespace {

// The value of `key` in user-dirs.dirs: KEY="$HOME/path" or KEY="/path", with '\' escaping the
// next character. Lines of another form are skipped, as xdg-user-dirs does.
std::optional<std::string> user_dirs_entry(const std::string& home, std::string_view key) {
  const auto config = vtplatform::config_home();
  if (!config) return std::nullopt;
  std::ifstream file(*config + "/user-dirs.dirs");
  std::string line;
  while (std::getline(file, line)) {
    std::string_view text(line);
    text.remove_prefix(std::min(text.find_first_not_of(" \t"), text.size()));
    if (!text.starts_with(key) || !text.substr(key.size()).starts_with("=\"")) continue;
    text.remove_prefix(key.size() + 2);
    std::string value;
    if (text.starts_with("$HOME")) {
      value = home;
      text.remove_prefix(5);
    } else if (!text.starts_with('/')) {
      continue;
    }
    for (std::size_t i = 0; i < text.size() && text[i] != '"'; ++i) {
      if (text[i] == '\\' && i + 1 < text.size()) ++i;
      value.push_back(text[i]);
    }
    while (value.size() > 1 && value.ends_with('/')) value.pop_back();
    return value;
  }
  return std::nullopt;
}

struct KnownFolder {
  std::string_view key;
  std::string_view default_name;
};

std::optional<KnownFolder> known_folder(int folder) {
  switch (folder) {
    case CSIDL_PERSONAL: return KnownFolder{"XDG_DOCUMENTS_DIR", "Documents"};
    case CSIDL_COMMON_DOCUMENTS: return KnownFolder{"XDG_PUBLICSHARE_DIR", "Public"};
    default: return std::nullopt;
  }
}

}  // namespace

HRESULT SHGetFolderPathA(HWND, int folder, HANDLE, DWORD flags, LPSTR path) {
  const auto known = known_folder(folder & ~CSIDL_FLAG_CREATE);
  if (!known || path == nullptr) return E_INVALIDARG;
  const auto home = vtplatform::home_folder();
  if (!home) return E_FAIL;
  std::optional<std::string> location;
  if (flags != SHGFP_TYPE_DEFAULT) location = user_dirs_entry(*home, known->key);
  if (!location) location = *home + "/" + std::string(known->default_name);
  if (location->size() >= MAX_PATH) return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);

  std::error_code error;
  if ((folder & CSIDL_FLAG_CREATE) != 0) std::filesystem::create_directories(*location, error);
  std::strcpy(path, location->c_str());
  return std::filesystem::is_directory(*location, error) ? S_OK : S_FALSE;
}

std::string vtplatform::log_folder() {
  const auto state = state_home();
  if (!state) return "";
  // Only folders made here get the mode; existing ones stay as their owner set them.
  (void)make_private_folders(*state);
  return *state + "/";
}

std::string vtplatform::dump_folder() {
  const auto state = state_home();
  if (!state) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return "";
  }
  const std::string folder = *state + "/vtutils/dumps";
  if (const std::error_code error = make_private_folders(folder)) {
    SetLastError(win32_error_from(error));
    return "";
  }
  return folder + "/";
}
