// Look-up of string resources along the framework's resource chain: the host application's
// string table first, then the tables of the extension libraries in the order they joined.
// Internal to libvtplatform.so; CString::LoadString is its user.
#pragma once

#include <optional>
#include <string>

#include "vtplatform/win32/types.h"

namespace vtplatform {

// The UTF-8 text of string resource `id`, or nothing when no table on the chain has it.
std::optional<std::string> find_string_resource(UINT id);

}  // namespace vtplatform
