// Tests of the signals sent through process handles: NtSuspendProcess's refusals (stopping every
// thread is tested through vtuProcess) and TerminateProcess.
#include <gtest/gtest.h>

#include "testing/helper_process.h"
#include "vtplatform/win32/error.h"
#include "vtplatform/win32/handle.h"
#include "vtplatform/win32/native.h"
#include "vtplatform/win32/process.h"
#include "vtplatform/win32/synch.h"

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

TEST(TerminateProcess, KillsOnlyWithTheRightAndWhileTheProcessRuns) {
  HelperProcess helper({"sleep", "60000"});
  HANDLE query = OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, helper.id());
  HANDLE terminate = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, helper.id());
  ASSERT_NE(terminate, nullptr);
  EXPECT_FALSE(TerminateProcess(query, 1));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(WaitForSingleObject(terminate, 0), WAIT_TIMEOUT);

  EXPECT_TRUE(TerminateProcess(terminate, 1));
  EXPECT_EQ(WaitForSingleObject(terminate, 5000), WAIT_OBJECT_0);
  helper.reap();
  EXPECT_FALSE(TerminateProcess(terminate, 1)) << "it has exited";
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(TerminateProcess(nullptr, 1));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  CloseHandle(query);
  CloseHandle(terminate);
}

}  // namespace
