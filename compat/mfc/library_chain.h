// The chain of extension libraries as the string look-up needs it. Internal to libvtplatform.so.
#pragma once

#include <vector>

#include "vtplatform/win32/types.h"

namespace vtplatform {

// The resource handles of the extension libraries in the chain, in the order they joined.
std::vector<HINSTANCE> extension_resource_handles();

}  // namespace vtplatform
