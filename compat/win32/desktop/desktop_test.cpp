// Tests of the version check and the input desktop against a mock logind on a private bus, with
// no system bus at all, and with a bus that never answers.
#include <sys/socket.h>
#include <sys/un.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <iterator>

#include "testing/descriptors.h"
#include "testing/mock_logind.h"
#include "testing/temp_dir.h"
#include "vtplatform/win32/desktop.h"
#include "vtplatform/win32/error.h"
#include "vtplatform/win32/handle.h"
#include "vtplatform/win32/process.h"
#include "vtplatform/win32/version.h"
#include "win32/core/unique_fd.h"

namespace {

using vtutils::testing::open_descriptors;

using vtutils::testing::MockLogind;
using vtutils::testing::NoSystemBus;
using vtutils::testing::ScopedEnv;

struct Version {
  DWORD major;
  DWORD minor;
  WORD service_pack;
};

// Whether the system meets `wanted` in the fields of `type_mask`, all under `condition`.
BOOL verify(Version wanted, DWORD type_mask, BYTE condition) {
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof info;
  info.dwMajorVersion = wanted.major;
  info.dwMinorVersion = wanted.minor;
  info.wServicePackMajor = wanted.service_pack;
  ULONGLONG conditions = 0;
  for (DWORD field = 1; field <= VER_PRODUCT_TYPE; field <<= 1) {
    if (type_mask & field) conditions = VerSetConditionMask(conditions, field, condition);
  }
  return VerifyVersionInfoW(&info, type_mask, conditions);
}

// The check that comes before asking for the input desktop: 6.2 with no service pack or later.
BOOL at_least_6_2() {
  return verify({6, 2, 0}, VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR,
                VER_GREATER_EQUAL);
}

// Opens the input desktop expecting it refused with `error`.
void expect_refused(DWORD error) {
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(OpenInputDesktop(0, FALSE, 0), nullptr);
  EXPECT_EQ(GetLastError(), error);
}

void expect_opens() {
  const HDESK desktop = OpenInputDesktop(0, FALSE, 0);
  ASSERT_NE(desktop, nullptr);
  EXPECT_TRUE(CloseDesktop(desktop));
}

TEST(VerSetConditionMask, KeepsThreeBitsPerFieldInFieldOrder) {
  EXPECT_EQ(VerSetConditionMask(0, VER_MINORVERSION, VER_EQUAL), 0x1u);
  EXPECT_EQ(VerSetConditionMask(0, VER_SERVICEPACKMAJOR, VER_LESS), ULONGLONG{4} << 15);
  EXPECT_EQ(VerSetConditionMask(0, VER_PRODUCT_TYPE, VER_OR), ULONGLONG{7} << 21);
  ULONGLONG mask = VerSetConditionMask(0, VER_MAJORVERSION, VER_GREATER_EQUAL);
  mask = VerSetConditionMask(mask, VER_MINORVERSION, VER_GREATER_EQUAL);
  EXPECT_EQ(mask, 0x1Bu);
  // Of several field bits the highest takes the condition; without a field or a condition
  // nothing changes.
  EXPECT_EQ(VerSetConditionMask(0, VER_MAJORVERSION | VER_MINORVERSION, VER_EQUAL), 0x8u);
  EXPECT_EQ(VerSetConditionMask(mask, 0, VER_EQUAL), mask);
  EXPECT_EQ(VerSetConditionMask(mask, VER_BUILDNUMBER, 0), mask);
}

// Without a login session the system is 6.1 build 7601 with Service Pack 1.
TEST(VerifyVersionInfoW, ComparesMajorMinorAndServicePackAsOneVersion) {
  NoSystemBus no_bus;
  const DWORD version = VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR;
  EXPECT_TRUE(verify({6, 1, 1}, version, VER_EQUAL));
  EXPECT_TRUE(verify({6, 1, 1}, version, VER_LESS_EQUAL));
  EXPECT_FALSE(verify({6, 1, 1}, version, VER_LESS));
  EXPECT_EQ(GetLastError(), ERROR_OLD_WIN_VERSION);
  // A lower field decides only where the higher ones are equal.
  EXPECT_TRUE(verify({6, 0, 2}, version, VER_GREATER));
  EXPECT_TRUE(verify({5, 2, 0}, VER_MAJORVERSION | VER_MINORVERSION, VER_GREATER_EQUAL));
  EXPECT_TRUE(verify({7, 0, 0}, version, VER_LESS));
  EXPECT_FALSE(verify({6, 1, 2}, version, VER_GREATER_EQUAL));
  EXPECT_TRUE(verify({0, 1, 0}, VER_MINORVERSION | VER_SERVICEPACKMAJOR, VER_GREATER));
  EXPECT_FALSE(at_least_6_2());
  EXPECT_EQ(GetLastError(), ERROR_OLD_WIN_VERSION);
}

TEST(VerifyVersionInfoW, RefusesMalformedRequests) {
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof info;
  const ULONGLONG major_ge = VerSetConditionMask(0, VER_MAJORVERSION, VER_GREATER_EQUAL);
  const auto expect_invalid = [](BOOL result) {
    EXPECT_FALSE(result);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  };
  expect_invalid(VerifyVersionInfoW(&info, 0, major_ge));
  expect_invalid(VerifyVersionInfoW(&info, 0x100, major_ge));
  expect_invalid(VerifyVersionInfoW(&info, VER_MAJORVERSION | VER_MINORVERSION, major_ge));
  expect_invalid(VerifyVersionInfoW(&info, VER_MAJORVERSION,
                                    VerSetConditionMask(0, VER_MAJORVERSION, VER_AND)));
  expect_invalid(VerifyVersionInfoW(&info, VER_SUITENAME,
                                    VerSetConditionMask(0, VER_SUITENAME, VER_EQUAL)));
  expect_invalid(VerifyVersionInfoW(nullptr, VER_MAJORVERSION, major_ge));
  info.dwOSVersionInfoSize = sizeof info - 4;
  expect_invalid(VerifyVersionInfoW(&info, VER_MAJORVERSION, major_ge));
}

TEST(InputDesktop, FollowsTheLockStateOfTheProcessSession) {
  MockLogind logind;
  logind.add_session("process1");
  const auto fds = open_descriptors();
  EXPECT_TRUE(at_least_6_2());
  const HDESK desktop = OpenInputDesktop(0, FALSE, 0);
  ASSERT_NE(desktop, nullptr);
  EXPECT_TRUE(CloseDesktop(desktop));
  EXPECT_FALSE(CloseDesktop(desktop));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

  logind.set_locked(true);
  EXPECT_TRUE(at_least_6_2());
  expect_refused(ERROR_ACCESS_DENIED);
  logind.set_locked(false);
  expect_opens();
  EXPECT_EQ(open_descriptors(), fds);
}

TEST(InputDesktop, CloseDesktopLeavesOtherHandlesAlone) {
  const HANDLE process =
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, GetCurrentProcessId());
  ASSERT_NE(process, nullptr);
  EXPECT_FALSE(CloseDesktop(static_cast<HDESK>(process)));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_TRUE(CloseHandle(process));
  EXPECT_FALSE(CloseDesktop(nullptr));
}

TEST(InputDesktop, FindsTheUsersDisplaySession) {
  MockLogind logind;
  logind.add_session("display1", MockLogind::Attach::kDisplay);
  expect_opens();
  logind.set_locked(true);
  expect_refused(ERROR_ACCESS_DENIED);
}

TEST(InputDesktop, FindsTheSessionThatTheEnvironmentNames) {
  MockLogind logind;
  logind.add_session("named1", MockLogind::Attach::kNone);
  // A session that nothing ties to the process is not its own.
  EXPECT_FALSE(at_least_6_2());
  expect_refused(ERROR_NO_SUCH_LOGON_SESSION);
  ScopedEnv session_id("XDG_SESSION_ID", "named1");
  EXPECT_TRUE(at_least_6_2());
  logind.set_locked(true);
  expect_refused(ERROR_ACCESS_DENIED);
}

TEST(InputDesktop, WithoutASystemBusTheStateIsUndetermined) {
  NoSystemBus no_bus;
  const auto fds = open_descriptors();
  EXPECT_FALSE(at_least_6_2());
  EXPECT_EQ(GetLastError(), ERROR_OLD_WIN_VERSION);
  expect_refused(ERROR_NO_SUCH_LOGON_SESSION);
  EXPECT_EQ(open_descriptors(), fds);
}

// A socket that takes connections into its backlog and never reads from them.
TEST(InputDesktop, GivesUpOnABusThatNeverAnswers) {
  vtutils::testing::TempDir dir;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string path = dir.file("silent");
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  const vtplatform::UniqueFd silent(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  ASSERT_EQ(::bind(silent.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(silent.get(), 8), 0);
  ScopedEnv bus_address("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + path);

  const auto fds = open_descriptors();
  const auto start = std::chrono::steady_clock::now();
  expect_refused(ERROR_NO_SUCH_LOGON_SESSION);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_EQ(open_descriptors(), fds);
}

}  // namespace
