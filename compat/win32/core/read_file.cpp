// Reading a whole file into memory.
#include "win32/core/read_file.h"

#include <fcntl.h>
#include <unistd.h>

#include "win32/core/eintr.h"
#include "win32/core/unique_fd.h"

namespace vtplatform {

ErrorOr<std::string> read_file(const std::string& path) {
  const UniqueFd fd(retry_on_eintr([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC); }));
  if (!fd.valid()) return errno_code();
  std::string text;
  char buffer[16384];
  for (;;) {
    const ssize_t count = retry_on_eintr([&] { return ::read(fd.get(), buffer, sizeof buffer); });
    if (count < 0) return errno_code();
    if (count == 0) return text;
    text.append(buffer, static_cast<std::size_t>(count));
  }
}

}  // namespace vtplatform
