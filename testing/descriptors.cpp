// Counting the test process's open descriptors.
#include "testing/descriptors.h"

#include <filesystem>
#include <iterator>

namespace vtutils::testing {

std::size_t open_descriptors() {
  return static_cast<std::size_t>(std::distance(
      std::filesystem::directory_iterator("/proc/self/fd"), std::filesystem::directory_iterator()));
}

}  // namespace vtutils::testing
