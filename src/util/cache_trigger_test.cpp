// Tests of vtuCacheTrigger through a derived cache.
#include "vtutils/cache_trigger.h"

#include <gtest/gtest.h>

namespace {

class SquareCache : public vtuCacheTrigger {
 public:
  int square(int source) {
    if (!valid()) {
      square_ = source * source;
      make_valid();
    }
    return square_;
  }

 private:
  int square_ = 0;
};

TEST(CacheTrigger, StartsInvalidAndFollowsItsOwner) {
  SquareCache cache;
  EXPECT_FALSE(cache.valid());
  EXPECT_EQ(cache.square(3), 9);
  EXPECT_EQ(cache.square(4), 9);  // still valid: the stale value stays
  cache.invalidate();
  EXPECT_EQ(cache.square(4), 16);
}

}  // namespace
