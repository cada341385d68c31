// The user's base folders as the XDG base directory rules name them: the home folder, and the
// folders for configuration and for state kept between runs.
#pragma once

#include <optional>
#include <string>

namespace vtplatform {

// $HOME when it is an absolute path, else the home folder of the user database; nothing when
// neither is known.
std::optional<std::string> home_folder();

// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
std::optional<std::string> config_home();

// $XDG_STATE_HOME when it is an absolute path, else ~/.local/state.
std::optional<std::string> state_home();

}  // namespace vtplatform
