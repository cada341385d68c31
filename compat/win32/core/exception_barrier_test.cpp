// Tests of without_exceptions: an exception under an exported function becomes its failure
// result and the last error.
#include "win32/core/exception_barrier.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>

namespace vtplatform {
namespace {

TEST(WithoutExceptions, TurnsAnExceptionIntoTheFailureAndTheLastError) {
  struct Case {
    std::function<int()> body;
    int result;
    DWORD last_error;
  };
  for (const Case& c : {
           Case{[] { return 7; }, 7, ERROR_SUCCESS},
           Case{[]() -> int { throw std::bad_alloc(); }, -1, ERROR_NOT_ENOUGH_MEMORY},
           Case{[]() -> int { throw std::runtime_error("no converter"); }, -1,
                ERROR_INVALID_PARAMETER},
       }) {
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(without_exceptions(-1, ERROR_INVALID_PARAMETER, c.body), c.result);
    EXPECT_EQ(GetLastError(), c.last_error);
  }
}

}  // namespace
}  // namespace vtplatform
