// Memory that the layer hands to callers for them to release with LocalFree: security
// descriptors, access lists and SIDs.
#pragma once

#include <cstddef>

namespace vtplatform {

// A zeroed block of `size` bytes that LocalFree releases, or null when memory is exhausted.
void* local_alloc(std::size_t size);

}  // namespace vtplatform
