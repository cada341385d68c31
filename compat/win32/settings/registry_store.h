// The registry's per-user store: where its file lives, and reading and changing it as a RegFile
// under the file's locks. Shared by the registry functions and the regedit import and export.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "vtplatform/win32/types.h"
#include "win32/settings/reg_file.h"

namespace vtplatform {

// The one root that the store holds; the keys of the file are full paths below it.
inline constexpr std::string_view kUserRoot = "HKEY_CURRENT_USER";

// Appends the components of `sub_key` to the key path `path`, each after a '\', skipping empty
// ones ("a\\b", a trailing '\'). Components are found by whole characters of the ANSI code page.
void append_key_path(std::string& path, std::string_view sub_key);

// $XDG_CONFIG_HOME/vtutils/registry.reg, or nothing when the configuration folder is unknown.
std::optional<std::string> registry_store_file();

// The store as it is now, read under a shared lock. ERROR_PATH_NOT_FOUND when the configuration
// folder is unknown, ERROR_BADDB when the file is not in the store's encoding (see
// RegFile::is_store_text), or the error of reading it.
LONG read_registry_store(RegFile& file);

// Runs `change` on the store under the exclusive lock. When it succeeds and sets its flag, the
// changed store replaces the file before the lock is released. A file that is not in the store's
// encoding fails with ERROR_BADDB before `change` runs, and is left as it is.
LONG update_registry_store(const std::function<LONG(RegFile& file, bool& changed)>& change);

}  // namespace vtplatform
