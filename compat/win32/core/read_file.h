// Reading a whole file into memory.
#pragma once

#include <string>

#include "win32/core/error_or.h"

namespace vtplatform {

// The whole content of the file at `path`, read to its end rather than to the size that stat
// tells, so that it serves /proc files (which report a size of 0) as well as ordinary ones; the
// errno of the open or read that failed otherwise.
ErrorOr<std::string> read_file(const std::string& path);

}  // namespace vtplatform
