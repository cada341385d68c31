// Keeping C++ exceptions inside the exported Win32 and COM functions. Their callers know failure
// only as the documented result and the last error, or the HRESULT; an exception from ICU's wrappers or a failed
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

// The same for a COM function, whose HRESULT is its whole report: returns what `body` returns,
// or, should it throw, E_OUTOFMEMORY for an allocation that failed and `error` for any other
// exception.
template <class Body>
HRESULT com_without_exceptions(HRESULT error, Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (const std::exception&) {
    return error;
  }
}

}  // namespace vtplatform
