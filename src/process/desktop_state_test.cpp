// Tests of vtu_is_desktop_locked's three answers, against a mock logind on a private bus and
// without any bus. Which session counts, and when it is locked, is the platform's and tested there.
#include "vtutils/desktop_state.h"

#include <gtest/gtest.h>

#include "testing/mock_logind.h"

namespace {

using vtutils::testing::MockLogind;

TEST(DesktopState, UndeterminedUnlockedOrLocked) {
  {
    vtutils::testing::NoSystemBus no_bus;
    EXPECT_EQ(vtu_is_desktop_locked(), vtuDesktopStateUndetermined);
  }
  MockLogind logind;
  logind.add_session("desk1");
  EXPECT_EQ(vtu_is_desktop_locked(), vtuDesktopStateUnlocked);
  logind.set_locked(true);
  EXPECT_EQ(vtu_is_desktop_locked(), vtuDesktopStateLocked);
}

}  // namespace
