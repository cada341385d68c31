// Tests of access tokens and AccessCheck on real files and folders. Checks for an ordinary user
// run in a child process that root has turned into uid and gid 65534.
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testing/temp_dir.h"
#include "testing/unprivileged.h"
#include "vtplatform/win32/error.h"
#include "vtplatform/win32/handle.h"
#include "vtplatform/win32/process.h"
#include "vtplatform/win32/security.h"

namespace {

using vtutils::testing::TempDir;

constexpr uid_t kNobody = 65534;
GENERIC_MAPPING file_mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                             FILE_ALL_ACCESS};

// Closes a token handle at the end of a test.
struct Token {
  HANDLE handle = nullptr;
  ~Token() {
    if (handle != nullptr) CloseHandle(handle);
  }
};

// An impersonation token of the calling process.
void open_impersonation_token(Token& token) {
  Token primary;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), 0x2000E, &primary.handle));
  ASSERT_TRUE(DuplicateToken(primary.handle, SecurityImpersonation, &token.handle));
}

// The descriptor of `path` with owner, group and access list.
std::vector<unsigned char> descriptor_of(const std::string& path) {
  DWORD needed = 0;
  if (GetFileSecurityA(path.c_str(), 7, nullptr, 0, &needed)) return {};
  std::vector<unsigned char> descriptor(needed);
  if (!GetFileSecurityA(path.c_str(), 7, descriptor.data(), needed, &needed)) return {};
  return descriptor;
}

// The rights `token` is granted on `path` for `desired` (generic rights allowed); 0 when denied.
DWORD granted_rights(HANDLE token, const std::string& path, DWORD desired) {
  std::vector<unsigned char> descriptor = descriptor_of(path);
  if (descriptor.empty()) return 0;
  MapGenericMask(&desired, &file_mapping);
  PRIVILEGE_SET privileges{};
  DWORD privileges_length = sizeof privileges;
  DWORD granted = 0;
  BOOL status = FALSE;
  if (!AccessCheck(descriptor.data(), token, desired, &file_mapping, &privileges,
                   &privileges_length, &granted, &status) ||
      !status) {
    return 0;
  }
  return granted;
}

// Whether the calling process may access `path` as `desired` asks.
bool can_access(const std::string& path, DWORD desired) {
  Token token;
  open_impersonation_token(token);
  return granted_rights(token.handle, path, desired) != 0;
}

// Runs `check` in a child process that has become uid and gid 65534 without supplementary
// groups, and returns its answer.
bool as_nobody(const std::function<bool()>& check) {
  const std::optional<bool> answer = vtutils::testing::run_unprivileged(check);
  EXPECT_TRUE(answer.has_value()) << "the child did not become nobody";
  return answer.value_or(false);
}

class AccessCheckAsRoot : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "needs root: acts as another user";
    // Let other users reach what the tests make inside.
    ASSERT_EQ(chmod(dir_.str().c_str(), 0755), 0);
  }

  std::string make_file(const std::string& name, mode_t mode, uid_t owner = 0) {
    const std::string path = dir_.file(name);
    vtutils::testing::write_file(path, "x");
    EXPECT_EQ(chown(path.c_str(), owner, 0), 0);
    EXPECT_EQ(chmod(path.c_str(), mode), 0);
    return path;
  }

  std::string make_folder(const std::string& name, mode_t mode) {
    const std::string path = dir_.file(name);
    EXPECT_EQ(mkdir(path.c_str(), mode), 0);
    EXPECT_EQ(chmod(path.c_str(), mode), 0);
    return path;
  }

  TempDir dir_;
};

TEST_F(AccessCheckAsRoot, OwnerNamedUserAndOtherEntriesDecide) {
  const std::string own = make_file("own", 0400, kNobody);
  const std::string named = make_file("named", 0600);
  ASSERT_EQ(std::system(("setfacl -m u:65534:rwx,m::r-- " + named).c_str()), 0);
  const std::string grouped = make_file("grouped", 0600);
  ASSERT_EQ(std::system(("setfacl -m g:65534:rw- " + grouped).c_str()), 0);
  const std::string others = make_file("others", 0606);
  const std::string closed = make_file("closed", 0600);
  const std::string private_folder = make_folder("private", 0700);
  // Open to other, with a default ACL whose entries the check must pass over.
  const std::string shared_folder = make_folder("shared", 0705);
  ASSERT_EQ(std::system(("setfacl -d -m o::r-x " + shared_folder).c_str()), 0);
  const struct {
    const std::string& path;
    DWORD desired;
    bool granted;
  } cases[] = {
      {own, GENERIC_READ, true},
      {own, GENERIC_WRITE, false},
      {own, WRITE_DAC | READ_CONTROL, true},  // the owner may always change the permissions
      {named, GENERIC_READ, true},            // a named entry for nobody, limited by the mask
      {named, GENERIC_WRITE, false},
      {named, WRITE_DAC, false},
      // The entry of nobody's group grants what it holds, even where other holds less.
      {grouped, GENERIC_READ | GENERIC_WRITE, true},
      {grouped, GENERIC_EXECUTE, false},
      {others, GENERIC_READ | GENERIC_WRITE, true},
      {others, FILE_EXECUTE, false},
      {closed, READ_CONTROL | SYNCHRONIZE, true},  // anybody may look at attributes and descriptor
      {closed, FILE_READ_DATA, false},
      {private_folder, GENERIC_READ, false},
      {shared_folder, GENERIC_READ | GENERIC_EXECUTE, true},
      {shared_folder, GENERIC_WRITE, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(as_nobody([&] { return can_access(c.path, c.desired); }), c.granted)
        << c.path << " 0x" << std::hex << c.desired;
  }
}

TEST_F(AccessCheckAsRoot, CapabilitiesOpenWhatTheAclKeepsClosed) {
  const std::string folder = make_folder("folder", 0000);
  const std::string data = make_file("data", 0000, kNobody);
  const std::string program = make_file("program", 0100, kNobody);
  EXPECT_TRUE(can_access(folder, GENERIC_ALL));  // the owner's rights and the capability's
  EXPECT_TRUE(can_access(data, GENERIC_READ | GENERIC_WRITE));
  EXPECT_FALSE(can_access(data, GENERIC_EXECUTE));  // no execute bit for anybody
  EXPECT_TRUE(can_access(program, GENERIC_EXECUTE));
  EXPECT_FALSE(can_access(data, WRITE_DAC));  // the owner's right, not the capability's
}

TEST_F(AccessCheckAsRoot, MaximumAllowedGrantsEverythingHeld) {
  const std::string folder = make_folder("folder", 0750);
  Token token;
  open_impersonation_token(token);
  EXPECT_EQ(granted_rights(token.handle, folder, MAXIMUM_ALLOWED), FILE_ALL_ACCESS);
  EXPECT_EQ(granted_rights(token.handle, folder, GENERIC_READ), FILE_GENERIC_READ);
  EXPECT_EQ(granted_rights(token.handle, folder, 0), 0u);

  EXPECT_TRUE(as_nobody([&] {
    Token nobody_token;
    open_impersonation_token(nobody_token);
    return granted_rights(nobody_token.handle, folder, MAXIMUM_ALLOWED) ==
           (READ_CONTROL | SYNCHRONIZE);
  }));
}

TEST_F(AccessCheckAsRoot, TokenKeepsTheIdentityItWasOpenedWith) {
  const std::string folder = make_folder("folder", 0700);
  EXPECT_TRUE(as_nobody([&] { return !can_access(folder, GENERIC_READ); }));
  // Opened as root, checked after the process became nobody.
  const pid_t child = fork();
  if (child == 0) {
    Token token;
    open_impersonation_token(token);
    const bool dropped = setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0;
    _exit(dropped && granted_rights(token.handle, folder, GENERIC_READ) != 0 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(AccessCheck, ReportsProblemsInWindowsOrder) {
  TempDir dir;
  std::vector<unsigned char> descriptor = descriptor_of(dir.str());
  ASSERT_FALSE(descriptor.empty());
  std::vector<unsigned char> garbage(descriptor.size(), 0x5A);
  Token primary;
  Token impersonation;
  Token anonymous;
  ASSERT_TRUE(
      OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &primary.handle));
  ASSERT_TRUE(DuplicateToken(primary.handle, SecurityImpersonation, &impersonation.handle));
  ASSERT_TRUE(DuplicateToken(primary.handle, SecurityAnonymous, &anonymous.handle));

  const auto check = [&](void* sd, HANDLE token, DWORD desired, DWORD length) {
    PRIVILEGE_SET privileges{};
    DWORD granted = 0;
    BOOL status = FALSE;
    const BOOL made =
        AccessCheck(sd, token, desired, &file_mapping, &privileges, &length, &granted, &status);
    return made ? ERROR_SUCCESS : GetLastError();
  };
  EXPECT_EQ(check(garbage.data(), primary.handle, GENERIC_READ, 0), ERROR_NO_IMPERSONATION_TOKEN);
  EXPECT_EQ(check(garbage.data(), anonymous.handle, GENERIC_READ, 0),
            ERROR_BAD_IMPERSONATION_LEVEL);
  EXPECT_EQ(check(garbage.data(), impersonation.handle, GENERIC_READ, 0),
            ERROR_INVALID_SECURITY_DESCR);
  EXPECT_EQ(check(nullptr, impersonation.handle, GENERIC_READ, 0), ERROR_INVALID_SECURITY_DESCR);
  EXPECT_EQ(check(descriptor.data(), impersonation.handle, GENERIC_READ, 0),
            ERROR_GENERIC_NOT_MAPPED);
  EXPECT_EQ(check(descriptor.data(), impersonation.handle, FILE_READ_DATA, 0),
            ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(check(descriptor.data(), impersonation.handle, FILE_READ_DATA, 20), ERROR_SUCCESS);

  // The needed length is reported; a descriptor without owner cannot be checked.
  PRIVILEGE_SET privileges{};
  DWORD length = 4;
  DWORD granted = 0;
  BOOL status = FALSE;
  EXPECT_FALSE(AccessCheck(descriptor.data(), impersonation.handle, FILE_READ_DATA, &file_mapping,
                           &privileges, &length, &granted, &status));
  EXPECT_EQ(length, sizeof(PRIVILEGE_SET));
  DWORD needed = 0;
  GetFileSecurityA(dir.str().c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
  std::vector<unsigned char> without_owner(needed);
  ASSERT_TRUE(GetFileSecurityA(dir.str().c_str(), DACL_SECURITY_INFORMATION, without_owner.data(),
                               needed, &needed));
  EXPECT_EQ(check(without_owner.data(), impersonation.handle, FILE_READ_DATA, 20),
            ERROR_INVALID_SECURITY_DESCR);
}

TEST(AccessToken, RefusesBadHandles) {
  HANDLE token = nullptr;
  EXPECT_FALSE(OpenProcessToken(reinterpret_cast<HANDLE>(0x1234), TOKEN_QUERY, &token));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  HANDLE duplicate = nullptr;
  EXPECT_FALSE(DuplicateToken(token, SecurityImpersonation, &duplicate));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);  // opened without TOKEN_DUPLICATE
  EXPECT_TRUE(CloseHandle(token));
  EXPECT_FALSE(DuplicateToken(token, SecurityImpersonation, &duplicate));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(CloseHandle(token));

  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), MAXIMUM_ALLOWED, &token));
  EXPECT_FALSE(DuplicateToken(token, static_cast<SECURITY_IMPERSONATION_LEVEL>(7), &duplicate));
  EXPECT_EQ(GetLastError(), ERROR_BAD_IMPERSONATION_LEVEL);
  EXPECT_TRUE(CloseHandle(token));

  TempDir dir;
  EXPECT_EQ(granted_rights(token, dir.str(), FILE_READ_DATA), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

}  // namespace
