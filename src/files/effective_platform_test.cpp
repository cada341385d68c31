// vtuEffectivePlatform: exact texts switch the platform, everything else leaves it.
#include "vtutils/effective_platform.h"

#include <initializer_list>

#include <gtest/gtest.h>

namespace {

TEST(EffectivePlatformTest, ExactTextsOnly) {
  vtuEffectivePlatform platform;
  EXPECT_STREQ(platform.to_string(), "64-bit");
  platform.set_from_string("32-bit");
  EXPECT_EQ(platform.platform(), VTU_PLATFORM_32BIT);
  EXPECT_STREQ(platform.to_string(), "32-bit");
  for (const char* other : std::initializer_list<const char*>{"64-Bit", "64-bit ", "", "64", nullptr}) {
    platform.set_from_string(other);
    EXPECT_EQ(platform.platform(), VTU_PLATFORM_32BIT) << (other ? other : "null");
  }
  platform.set_from_string("64-bit");
  EXPECT_EQ(platform.platform(), VTU_PLATFORM_64BIT);
}

}  // namespace
