// Retrying a system call that a signal interrupted.
#pragma once

#include <cerrno>
#include <utility>

namespace vtplatform {

// Calls `call` until it returns anything but -1 with errno EINTR, and returns that. `call` is a
// POSIX call that reports failure as -1 and sets errno (read, write, waitpid, fcntl, ...). Each
// try is one call: a partial read or write is the caller's to continue.
template <class Call>
[[nodiscard]] auto retry_on_eintr(Call&& call) -> decltype(call()) {
  for (;;) {
    auto result = call();
    if (result != -1 || errno != EINTR) return result;
  }
}

}  // namespace vtplatform
