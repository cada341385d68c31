// Tests of NtSuspendProcess's refusals; stopping every thread is tested through vtuProcess.
#include <gtest/gtest.h>

#include "testing/helper_process.h"
#include "vtplatform/win32/handle.h"
#include "vtplatform/win32/native.h"
#include "vtplatform/win32/process.h"

namespace {

using vtutils::testing::HelperProcess;

TEST(NtSuspendProcess, RefusesWithoutTheRightAndAfterTheExit) {
  EXPECT_EQ(NtSuspendProcess(nullptr), STATUS_INVALID_HANDLE);

  HelperProcess helper({"sleep", "60000"});
  HANDLE query = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, helper.id());
  HANDLE suspend = OpenProcess(PROCESS_SUSPEND_RESUME, FALSE, helper.id());
  ASSERT_NE(query, nullptr);
  ASSERT_NE(suspend, nullptr);
  EXPECT_EQ(NtSuspendProcess(query), STATUS_ACCESS_DENIED);

  helper.end();
  EXPECT_EQ(NtSuspendProcess(suspend), STATUS_PROCESS_IS_TERMINATING);
  CloseHandle(query);
  CloseHandle(suspend);
}

}  // namespace
