// Tests of vtu_is_desktop_locked against a mock logind on a private bus, and without any bus.
#include "vtutils/desktop_state.h"

#include <gtest/gtest.h>

#include "testing/mock_logind.h"

namespace {

using vtutils::testing::MockLogind;

TEST(DesktopState, FollowsTheSessionsLockedHint) {
  MockLogind logind;
  logind.add_session("desk1");
  EXPECT_EQ(vtu_is_desktop_locked(), vtuDesktopStateUnlocked);
  logind.set_locked(true);
  EXPECT_EQ(vtu_is_desktop_locked(), vtuDesktopStateLocked);
  logind.set_locked(false);
  EXPECT_EQ(vtu_is_desktop_locked(), vtuDesktopStateUnlocked);
}

TEST(DesktopState, UndeterminedWithoutALoginSession) {
  {
    vtutils::testing::NoSystemBus no_bus;
    EXPECT_EQ(vtu_is_desktop_locked(), vtuDesktopStateUndetermined);
  }
  MockLogind logind;  // logind runs, but has no session of ours
  logind.add_session("other1", MockLogind::Attach::kNone);
  EXPECT_EQ(vtu_is_desktop_locked(), vtuDesktopStateUndetermined);
}

}  // namespace
