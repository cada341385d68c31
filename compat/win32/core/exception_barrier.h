// Keeping C++ exceptions inside the exported Win32 functions. Their callers know failure only as
// the documented result and the last error; an exception from ICU's wrappers or a failed
// allocation that crossed into them would end the program, or unwind through C frames.
#pragma once

#include <exception>
#include <new>

#include "vtplatform/win32/error.h"

namespace vtplatform {

// Returns what `body` returns. Should it throw, sets the last error (ERROR_NOT_ENOUGH_MEMORY for
// an allocation that failed, `error` for any other exception) and returns `failure`.
template <class Result, class Body>
Result without_exceptions(Result failure, DWORD error, Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  } catch (const std::exception&) {
    SetLastError(error);
  }
  return failure;
}

}  // namespace vtplatform
