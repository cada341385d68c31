// Tests of the exception barriers: an exception under an exported function becomes its failure
// result and the last error, or its HRESULT.
#include "win32/core/exception_barrier.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>

namespace vtplatform {
namespace {

TEST(WithoutExceptions, TurnsAnExceptionIntoTheFailureAndItsReport) {
  struct Case {
    std::function<void()> body;
    DWORD last_error;  // of without_exceptions
    HRESULT hresult;   // of com_without_exceptions
  };
  for (const Case& c : {
           Case{[] {}, ERROR_SUCCESS, S_FALSE},
           Case{[] { throw std::bad_alloc(); }, ERROR_NOT_ENOUGH_MEMORY, E_OUTOFMEMORY},
           Case{[] { throw std::runtime_error("no converter"); }, ERROR_INVALID_PARAMETER,
                E_INVALIDARG},
       }) {
    SetLastError(ERROR_SUCCESS);
    const bool threw = c.last_error != ERROR_SUCCESS;
    EXPECT_EQ(without_exceptions(-1, ERROR_INVALID_PARAMETER, [&] { return c.body(), 7; }),
              threw ? -1 : 7);
    EXPECT_EQ(GetLastError(), c.last_error);
    EXPECT_EQ(com_without_exceptions(E_INVALIDARG, [&] { return c.body(), S_FALSE; }), c.hresult);
  }
}

}  // namespace
}  // namespace vtplatform
