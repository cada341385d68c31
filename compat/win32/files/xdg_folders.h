// The user's base folders as the XDG base directory rules name them: the home folder, and the
// folders for configuration and for state kept between runs; and how folders below them are made.
#pragma once

#include <optional>
#include <string>
#include <system_error>

namespace vtplatform {

// $HOME when it is an absolute path, else the home folder of the user database; nothing when
// neither is known.
std::optional<std::string> home_folder();

// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
std::optional<std::string> config_home();

// $XDG_STATE_HOME when it is an absolute path, else ~/.local/state.
std::optional<std::string> state_home();

// Makes `folder` (absolute) and each of its missing parents with mode 0700, as the rules ask of
// the folders an application creates; folders that exist keep their mode. The errno of the
// failure when one cannot be made or is no folder.
[[nodiscard]] std::error_code make_private_folders(const std::string& folder);

}  // namespace vtplatform
