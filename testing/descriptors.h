// The number of descriptors the test process has open, which tests compare before and after the
// code under test to find descriptors it leaked.
#pragma once

#include <cstddef>

namespace vtutils::testing {

// The entries of /proc/self/fd, the one that reading the folder opens included.
std::size_t open_descriptors();

}  // namespace vtutils::testing
