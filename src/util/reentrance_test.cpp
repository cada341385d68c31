// Tests of vtuReentranceToken and vtuReentranceGuard: nesting, exceptions and unbalanced exits.
#include "vtutils/reentrance.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(Reentrance, NestedGuardsCountDepth) {
  vtuReentranceToken token;
  EXPECT_TRUE(token.is_out());
  EXPECT_FALSE(token.is_in());
  {
    vtuReentranceGuard outer(token);
    {
      vtuReentranceGuard inner(token);
      EXPECT_TRUE(token.is_in());
    }
    // One exit from depth 2 leaves the token still in.
    EXPECT_TRUE(token.is_in());
  }
  EXPECT_TRUE(token.is_out());
}

TEST(Reentrance, ExceptionLeavesTheCountAsItWas) {
  vtuReentranceToken token;
  token.enter();
  EXPECT_THROW(
      {
        vtuReentranceGuard guard(token);
        throw std::runtime_error("handler failed");
      },
      std::runtime_error);
  // Back at depth 1: still in, and a single exit takes it out.
  EXPECT_TRUE(token.is_in());
  token.exit();
  EXPECT_TRUE(token.is_out());
}

TEST(Reentrance, UnbalancedExitGoesBelowZero) {
  vtuReentranceToken token;
  token.exit();
  EXPECT_FALSE(token.is_in());
  EXPECT_TRUE(token.is_out());
  token.enter();  // back to 0: still out
  EXPECT_TRUE(token.is_out());
  token.enter();
  EXPECT_TRUE(token.is_in());
}

}  // namespace
