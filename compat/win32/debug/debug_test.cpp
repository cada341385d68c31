// Tests of DebugActiveProcess, DebugBreakProcess and DebugActiveProcessStop on real helper
// processes: which threads are held, what reaches the process afterwards, and what is refused.
#include "vtplatform/win32/debug.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <climits>
#include <string>
#include <thread>

#include "testing/helper_process.h"
#include "testing/proc_stat.h"
#include "vtplatform/win32/error.h"
#include "vtplatform/win32/handle.h"
#include "vtplatform/win32/process.h"
#include "vtplatform/win32/synch.h"

namespace {

using vtutils::testing::HelperProcess;
using vtutils::testing::thread_states;

// The thread states with every state of a running thread (waiting, or briefly running just after
// its release) shown as '-', so that only a trace stop stands out.
std::string trace_states(DWORD pid) {
  std::string states = thread_states(static_cast<pid_t>(pid));
  for (char& state : states) state = state == 't' ? 't' : '-';
  return states;
}

TEST(DebugActiveProcess, HoldsEveryThreadUntilReleased) {
  HelperProcess helper({"threads", "4"});
  const DWORD pid = helper.read_pid();
  ASSERT_NE(pid, 0u);
  HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
  ASSERT_NE(process, nullptr);

  ASSERT_TRUE(DebugActiveProcess(pid)) << GetLastError();
  EXPECT_EQ(trace_states(pid), "ttttt");
  EXPECT_TRUE(DebugBreakProcess(process));
  EXPECT_EQ(trace_states(pid), "ttttt");

  ASSERT_TRUE(DebugActiveProcessStop(pid));
  EXPECT_EQ(trace_states(pid), "-----");
  // Released once: a second release and a break-in find nothing to act on.
  EXPECT_FALSE(DebugActiveProcessStop(pid));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(DebugBreakProcess(process));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

  // The process can be debugged again, and is still the same running process.
  ASSERT_TRUE(DebugActiveProcess(pid));
  EXPECT_TRUE(DebugActiveProcessStop(pid));
  EXPECT_EQ(WaitForSingleObject(process, 0), WAIT_TIMEOUT);
  CloseHandle(process);
}

TEST(DebugActiveProcess, DeliversSignalsSentWhileAttachedAfterTheRelease) {
  HelperProcess helper({"threads", "2"});
  const DWORD pid = helper.read_pid();
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  ASSERT_NE(process, nullptr);
  ASSERT_TRUE(DebugActiveProcess(pid));

  ASSERT_EQ(::kill(static_cast<pid_t>(pid), SIGTERM), 0);
  EXPECT_EQ(WaitForSingleObject(process, 200), WAIT_TIMEOUT);
  ASSERT_TRUE(DebugActiveProcessStop(pid));
  EXPECT_EQ(WaitForSingleObject(process, 5000), WAIT_OBJECT_0);
  CloseHandle(process);
}

TEST(DebugActiveProcess, RefusesWhatCannotBeDebugged) {
  EXPECT_FALSE(DebugActiveProcess(0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(DebugActiveProcess(INT_MAX));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(DebugActiveProcess(GetCurrentProcessId()));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(DebugActiveProcessStop(GetCurrentProcessId()));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(DebugBreakProcess(nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

  HelperProcess helper({"threads", "1"});
  const DWORD pid = helper.read_pid();
  ASSERT_TRUE(DebugActiveProcess(pid));
  EXPECT_FALSE(DebugActiveProcess(pid));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(DebugActiveProcessStop(pid));
}

TEST(DebugActiveProcess, BelongsToTheAttachingThread) {
  HelperProcess helper({"threads", "2"});
  const DWORD pid = helper.read_pid();
  bool attached = false;
  bool released_elsewhere = true;
  bool attached_again = false;
  // Another thread attaches and ends without releasing: its attachment goes with it.
  std::thread([&] {
    attached = DebugActiveProcess(pid) != FALSE;
    std::thread([&] { released_elsewhere = DebugActiveProcessStop(pid) != FALSE; }).join();
    std::thread([&] {
      // Already traced by the first thread: refused.
      attached_again = DebugActiveProcess(pid) != FALSE;
    }).join();
  }).join();
  EXPECT_TRUE(attached);
  EXPECT_FALSE(released_elsewhere);
  EXPECT_FALSE(attached_again);
  EXPECT_EQ(trace_states(pid), "---");
  EXPECT_TRUE(DebugActiveProcess(pid));
  EXPECT_TRUE(DebugActiveProcessStop(pid));
}

}  // namespace
