// Tests of security descriptors, access lists and SIDs on real files and folders, checked
// against what getfacl and stat report.
#include "vtplatform/win32/security.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "testing/temp_dir.h"
#include "vtplatform/win32/error.h"

namespace {

using vtutils::testing::TempDir;

struct LocalFreeDeleter {
  void operator()(void* memory) const { EXPECT_EQ(LocalFree(memory), nullptr); }
};
using LocalSid = std::unique_ptr<void, LocalFreeDeleter>;
using LocalAcl = std::unique_ptr<ACL, LocalFreeDeleter>;
using LocalDescriptor = std::unique_ptr<void, LocalFreeDeleter>;

// The ACL of `path` as `getfacl -cpnE` prints it: one entry a line, numeric ids.
std::string getfacl(const std::string& path) {
  const std::string command = "getfacl -cpnE '" + path + "' 2>&1";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::string text;
  char buffer[256];
  while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe.get()) != nullptr) {
    text += buffer;
  }
  return text;
}

void setfacl(const std::string& arguments, const std::string& path) {
  ASSERT_EQ(std::system(("setfacl " + arguments + " '" + path + "'").c_str()), 0);
}

LocalSid make_sid(SID_IDENTIFIER_AUTHORITY authority, BYTE count, DWORD rid0, DWORD rid1 = 0) {
  PSID sid = nullptr;
  EXPECT_TRUE(AllocateAndInitializeSid(&authority, count, rid0, rid1, 0, 0, 0, 0, 0, 0, &sid));
  return LocalSid(sid);
}

LocalSid everyone() { return make_sid(SECURITY_WORLD_SID_AUTHORITY, 1, SECURITY_WORLD_RID); }
LocalSid unix_user(DWORD uid) { return make_sid({{0, 0, 0, 0, 0, 22}}, 2, 1, uid); }
LocalSid unix_group(DWORD gid) { return make_sid({{0, 0, 0, 0, 0, 22}}, 2, 2, gid); }

EXPLICIT_ACCESS_A explicit_access(DWORD permissions, ACCESS_MODE mode, DWORD inheritance,
                                  PSID sid) {
  EXPLICIT_ACCESS_A access{};
  access.grfAccessPermissions = permissions;
  access.grfAccessMode = mode;
  access.grfInheritance = inheritance;
  access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
  access.Trustee.ptstrName = static_cast<LPSTR>(sid);
  return access;
}

EXPLICIT_ACCESS_A named_access(DWORD permissions, ACCESS_MODE mode, TRUSTEE_TYPE type,
                               const char* name) {
  EXPLICIT_ACCESS_A access = explicit_access(permissions, mode, NO_INHERITANCE, nullptr);
  access.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
  access.Trustee.TrusteeType = type;
  access.Trustee.ptstrName = const_cast<LPSTR>(name);
  return access;
}

// Reads the access list of `path`, applies `entries` and writes the result back, as callers
// change an object's access; the first error on the way.
DWORD change_acl(const std::string& path, std::vector<EXPLICIT_ACCESS_A> entries) {
  PSECURITY_DESCRIPTOR raw_descriptor = nullptr;
  PACL dacl = nullptr;
  DWORD error = GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                      nullptr, nullptr, &dacl, nullptr, &raw_descriptor);
  const LocalDescriptor descriptor(raw_descriptor);
  if (error != ERROR_SUCCESS) return error;
  PACL raw_acl = nullptr;
  error = SetEntriesInAclA(static_cast<DWORD>(entries.size()), entries.data(), dacl, &raw_acl);
  const LocalAcl acl(raw_acl);
  if (error != ERROR_SUCCESS) return error;
  std::string name = path;
  return SetNamedSecurityInfoA(name.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                               nullptr, acl.get(), nullptr);
}

DWORD grant_everyone(const std::string& path, DWORD permissions, DWORD inheritance) {
  const LocalSid sid = everyone();
  return change_acl(path, {explicit_access(permissions, SET_ACCESS, inheritance, sid.get())});
}

bool has_line(const std::string& text, const std::string& line) {
  return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

TEST(SecurityDescriptor, AsksForTheSizeFirst) {
  TempDir dir;
  const std::string folder = dir.str();
  DWORD needed = 0;
  EXPECT_FALSE(GetFileSecurityA(folder.c_str(), 7, nullptr, 0, &needed));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  ASSERT_GT(needed, 0u);

  std::vector<unsigned char> buffer(needed, 0xAB);
  DWORD needed_again = 0;
  EXPECT_FALSE(GetFileSecurityA(folder.c_str(), 7, buffer.data(), needed - 1, &needed_again));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(needed_again, needed);
  EXPECT_EQ(buffer, std::vector<unsigned char>(needed, 0xAB));

  EXPECT_TRUE(GetFileSecurityA(folder.c_str(), 7, buffer.data(), needed, &needed_again));
  EXPECT_EQ(needed_again, needed);

  // A folder with a named entry and a default ACL makes a larger descriptor.
  setfacl("-m u:65534:r-x -d -m u:65534:r-x", folder);
  DWORD larger = 0;
  EXPECT_FALSE(GetFileSecurityA(folder.c_str(), 7, nullptr, 0, &larger));
  EXPECT_GT(larger, needed);
}

TEST(SecurityDescriptor, NamesOwnerAndGroupAsUnixSids) {
  TempDir dir;
  const std::string file = dir.file("owned");
  vtutils::testing::write_file(file, "x");
  // Root gives the file away so that owner and group ids differ and a mix-up shows.
  if (geteuid() == 0) {
    ASSERT_EQ(chown(file.c_str(), 65534, 100), 0);
  }
  struct stat status {};
  ASSERT_EQ(stat(file.c_str(), &status), 0);

  PSECURITY_DESCRIPTOR raw = nullptr;
  PSID owner = nullptr;
  PSID group = nullptr;
  PACL dacl = reinterpret_cast<PACL>(&raw);  // must be reset: the DACL was not asked for
  ASSERT_EQ(GetNamedSecurityInfoA(file.c_str(), SE_FILE_OBJECT,
                                  OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION, &owner,
                                  &group, &dacl, nullptr, &raw),
            ERROR_SUCCESS);
  const LocalDescriptor descriptor(raw);
  EXPECT_EQ(dacl, nullptr);
  const LocalSid expected_owner = unix_user(status.st_uid);
  const LocalSid expected_group = unix_group(status.st_gid);
  ASSERT_NE(owner, nullptr);
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(std::memcmp(owner, expected_owner.get(), 16), 0);
  EXPECT_EQ(std::memcmp(group, expected_group.get(), 16), 0);
  // The parts lie in the descriptor, which LocalFree does not take apart.
  EXPECT_EQ(LocalFree(owner), owner);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(SecurityDescriptor, ReportsWhatItCannotRead) {
  TempDir dir;
  const std::string missing_file = dir.file("missing");
  const std::string missing_folder = dir.file("missing/file");
  DWORD needed = 0;
  const std::pair<const char*, DWORD> cases[] = {{missing_file.c_str(), ERROR_FILE_NOT_FOUND},
                                                 {missing_folder.c_str(), ERROR_PATH_NOT_FOUND},
                                                 {"", ERROR_PATH_NOT_FOUND},
                                                 {nullptr, ERROR_INVALID_PARAMETER}};
  for (const auto& [name, error] : cases) {
    SCOPED_TRACE(name == nullptr ? "(null)" : name);
    EXPECT_FALSE(GetFileSecurityA(name, 7, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), error);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    EXPECT_EQ(GetNamedSecurityInfoA(name, SE_FILE_OBJECT, 7, nullptr, nullptr, nullptr, nullptr,
                                    &descriptor),
              error);
    EXPECT_EQ(descriptor, nullptr);
  }
  const std::string folder = dir.str();
  EXPECT_FALSE(GetFileSecurityA(folder.c_str(), SACL_SECURITY_INFORMATION, nullptr, 0, &needed));
  EXPECT_EQ(GetLastError(), ERROR_PRIVILEGE_NOT_HELD);
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  EXPECT_EQ(GetNamedSecurityInfoA(folder.c_str(), SE_REGISTRY_KEY, 7, nullptr, nullptr, nullptr,
                                  nullptr, &descriptor),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(GetNamedSecurityInfoA(folder.c_str(), SE_FILE_OBJECT, 7, nullptr, nullptr, nullptr,
                                  nullptr, nullptr),
            ERROR_INVALID_PARAMETER);
}

TEST(GrantEveryone, FolderPassesItOnToNewObjects) {
  TempDir dir;
  const std::string folder = dir.file("shared");
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  ASSERT_EQ(grant_everyone(folder, FILE_GENERIC_READ | FILE_GENERIC_EXECUTE,
                           SUB_CONTAINERS_AND_OBJECTS_INHERIT),
            ERROR_SUCCESS);
  const std::string acl = getfacl(folder);
  EXPECT_TRUE(has_line(acl, "user::rwx")) << acl;
  EXPECT_TRUE(has_line(acl, "other::r-x")) << acl;
  EXPECT_TRUE(has_line(acl, "default:user::rwx")) << acl;
  EXPECT_TRUE(has_line(acl, "default:group::---")) << acl;
  EXPECT_TRUE(has_line(acl, "default:other::r-x")) << acl;

  const std::string child = folder + "/child";
  ASSERT_EQ(mkdir(child.c_str(), 0777), 0);
  EXPECT_TRUE(has_line(getfacl(child), "other::r-x")) << getfacl(child);

  // Setting it again replaces Everyone's entry instead of adding to it.
  ASSERT_EQ(grant_everyone(folder, FILE_GENERIC_READ, SUB_CONTAINERS_AND_OBJECTS_INHERIT),
            ERROR_SUCCESS);
  EXPECT_TRUE(has_line(getfacl(folder), "other::r--")) << getfacl(folder);
  EXPECT_TRUE(has_line(getfacl(folder), "default:other::r--")) << getfacl(folder);
}

TEST(GrantEveryone, SettingReplacesEveryEntryOfEveryone) {
  TempDir dir;
  const std::string plain = dir.file("plain");
  const std::string inheriting = dir.file("inheriting");
  ASSERT_EQ(mkdir(plain.c_str(), 0700), 0);
  ASSERT_EQ(mkdir(inheriting.c_str(), 0700), 0);
  setfacl("-d -m u:65534:rwx", inheriting);

  // Without inheritance on a folder without a default ACL: none is made.
  ASSERT_EQ(grant_everyone(plain, GENERIC_ALL, NO_INHERITANCE), ERROR_SUCCESS);
  EXPECT_TRUE(has_line(getfacl(plain), "other::rwx")) << getfacl(plain);
  EXPECT_EQ(getfacl(plain).find("default:"), std::string::npos) << getfacl(plain);

  // A set without inheritance takes away what an earlier inheritable one gave new files, and
  // leaves the other entries of the default ACL alone.
  ASSERT_EQ(grant_everyone(inheriting, FILE_GENERIC_READ | FILE_GENERIC_EXECUTE,
                           SUB_CONTAINERS_AND_OBJECTS_INHERIT),
            ERROR_SUCCESS);
  EXPECT_TRUE(has_line(getfacl(inheriting), "default:other::r-x")) << getfacl(inheriting);
  ASSERT_EQ(grant_everyone(inheriting, GENERIC_READ, NO_INHERITANCE), ERROR_SUCCESS);
  std::string acl = getfacl(inheriting);
  EXPECT_TRUE(has_line(acl, "other::r--")) << acl;
  EXPECT_TRUE(has_line(acl, "default:other::---")) << acl;
  EXPECT_TRUE(has_line(acl, "default:user:65534:rwx")) << acl;

  // Inherit-only: new files get the rights, and the folder's own entry goes.
  ASSERT_EQ(grant_everyone(plain, FILE_GENERIC_READ,
                           SUB_CONTAINERS_AND_OBJECTS_INHERIT | INHERIT_ONLY_ACE),
            ERROR_SUCCESS);
  acl = getfacl(plain);
  EXPECT_TRUE(has_line(acl, "other::---")) << acl;
  EXPECT_TRUE(has_line(acl, "default:other::r--")) << acl;
}

TEST(SetEntriesInAcl, NamedEntriesKeepTheMaskInStep) {
  TempDir dir;
  const std::string file = dir.file("file");
  vtutils::testing::write_file(file, "x");
  ASSERT_EQ(chmod(file.c_str(), 0640), 0);
  // Debian's daemon user and bin group are never the tester's: their SIDs make named entries.
  const LocalSid daemon = unix_user(1);
  const LocalSid bin = unix_group(2);
  const LocalSid owner = unix_user(getuid());

  ASSERT_EQ(
      change_acl(file, {explicit_access(FILE_GENERIC_READ | FILE_GENERIC_WRITE, SET_ACCESS,
                                        NO_INHERITANCE, daemon.get()),
                        explicit_access(FILE_EXECUTE, GRANT_ACCESS, NO_INHERITANCE, bin.get()),
                        explicit_access(FILE_EXECUTE, GRANT_ACCESS, NO_INHERITANCE, owner.get())}),
      ERROR_SUCCESS);
  std::string acl = getfacl(file);
  EXPECT_TRUE(has_line(acl, "user::rwx")) << acl;  // the owner's SID names the owner entry
  EXPECT_TRUE(has_line(acl, "user:1:rw-")) << acl;
  EXPECT_TRUE(has_line(acl, "group::r--")) << acl;
  EXPECT_TRUE(has_line(acl, "group:2:--x")) << acl;
  EXPECT_TRUE(has_line(acl, "mask::rwx")) << acl;

  // Revoking removes the named entry; the mask shrinks to what the group class still holds.
  ASSERT_EQ(change_acl(file, {explicit_access(0, REVOKE_ACCESS, NO_INHERITANCE, daemon.get())}),
            ERROR_SUCCESS);
  acl = getfacl(file);
  EXPECT_EQ(acl.find("user:1:"), std::string::npos) << acl;
  EXPECT_TRUE(has_line(acl, "mask::r-x")) << acl;

  // Trustees by name: a user name and Everyone.
  ASSERT_EQ(
      change_acl(file,
                 {named_access(FILE_GENERIC_READ, GRANT_ACCESS, TRUSTEE_IS_USER, "daemon"),
                  named_access(FILE_GENERIC_READ, SET_ACCESS, TRUSTEE_IS_UNKNOWN, "Everyone")}),
      ERROR_SUCCESS);
  acl = getfacl(file);
  EXPECT_TRUE(has_line(acl, "user:1:r--")) << acl;
  EXPECT_TRUE(has_line(acl, "other::r--")) << acl;
}

TEST(SetEntriesInAcl, RefusesWhatItCannotExpress) {
  TempDir dir;
  const LocalSid world = everyone();
  const LocalSid administrators = make_sid({{0, 0, 0, 0, 0, 5}}, 2, 32, 544);
  unsigned char malformed[16] = {2, 1};
  unsigned char not_an_acl[64] = {};
  PACL untouched = reinterpret_cast<PACL>(not_an_acl);
  PACL acl = untouched;

  EXPLICIT_ACCESS_A entry = explicit_access(GENERIC_READ, SET_ACCESS, NO_INHERITANCE, world.get());
  EXPECT_EQ(SetEntriesInAclA(1, &entry, untouched, &acl), ERROR_INVALID_ACL);
  EXPECT_EQ(SetEntriesInAclA(1, &entry, nullptr, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(SetEntriesInAclA(1, nullptr, nullptr, &acl), ERROR_INVALID_PARAMETER);
  EXPLICIT_ACCESS_A bad_form = entry;
  bad_form.Trustee.TrusteeForm = TRUSTEE_BAD_FORM;
  struct Case {
    EXPLICIT_ACCESS_A entry;
    DWORD error;
  };
  const Case cases[] = {
      {explicit_access(GENERIC_READ, DENY_ACCESS, NO_INHERITANCE, world.get()),
       ERROR_INVALID_PARAMETER},
      {explicit_access(GENERIC_READ, SET_ACCESS, INHERIT_ONLY_ACE, world.get()),
       ERROR_INVALID_PARAMETER},
      {explicit_access(GENERIC_READ, SET_ACCESS, 0x10, world.get()), ERROR_INVALID_PARAMETER},
      {explicit_access(GENERIC_READ, SET_ACCESS, NO_INHERITANCE, administrators.get()),
       ERROR_NONE_MAPPED},
      {explicit_access(GENERIC_READ, SET_ACCESS, NO_INHERITANCE, malformed), ERROR_INVALID_SID},
      {named_access(GENERIC_READ, SET_ACCESS, TRUSTEE_IS_UNKNOWN, "no such user or group"),
       ERROR_NONE_MAPPED},
      {bad_form, ERROR_INVALID_PARAMETER},
  };
  for (const Case& bad : cases) {
    // A good entry first: the bad one must still leave no new list behind.
    EXPLICIT_ACCESS_A entries[] = {entry, bad.entry};
    EXPECT_EQ(SetEntriesInAclA(2, entries, nullptr, &acl), bad.error);
    EXPECT_EQ(acl, untouched);
  }
}

TEST(SetNamedSecurityInfo, ChecksEverythingBeforeItChangesAnything) {
  TempDir dir;
  std::string file = dir.file("file");
  vtutils::testing::write_file(file, "x");
  PACL raw = nullptr;
  ASSERT_EQ(SetEntriesInAclA(0, nullptr, nullptr, &raw), ERROR_SUCCESS);
  const LocalAcl empty(raw);
  const LocalSid world = everyone();
  unsigned char not_an_acl[64] = {};
  const std::string before = getfacl(file);
  struct stat status_before {};
  ASSERT_EQ(stat(file.c_str(), &status_before), 0);

  struct Case {
    SECURITY_INFORMATION info;
    PSID owner;
    PACL dacl;
    DWORD error;
  };
  const Case cases[] = {
      {DACL_SECURITY_INFORMATION, nullptr, nullptr, ERROR_INVALID_ACL},
      {DACL_SECURITY_INFORMATION, nullptr, reinterpret_cast<PACL>(not_an_acl), ERROR_INVALID_ACL},
      {OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, world.get(), empty.get(),
       ERROR_INVALID_OWNER},
      {GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr, empty.get(),
       ERROR_INVALID_PRIMARY_GROUP},
      {SACL_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr, empty.get(),
       ERROR_PRIVILEGE_NOT_HELD},
  };
  for (const Case& bad : cases) {
    EXPECT_EQ(SetNamedSecurityInfoA(file.data(), SE_FILE_OBJECT, bad.info, bad.owner, nullptr,
                                    bad.dacl, nullptr),
              bad.error);
  }
  std::string missing = dir.file("missing");
  EXPECT_EQ(SetNamedSecurityInfoA(missing.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                  nullptr, nullptr, empty.get(), nullptr),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(getfacl(file), before);
  struct stat status_after {};
  ASSERT_EQ(stat(file.c_str(), &status_after), 0);
  EXPECT_EQ(status_after.st_mode, status_before.st_mode);

  // A list made without an old one holds only its own entries: owner and group get nothing.
  EXPLICIT_ACCESS_A entry = explicit_access(GENERIC_READ, SET_ACCESS, NO_INHERITANCE, world.get());
  ASSERT_EQ(SetEntriesInAclA(1, &entry, nullptr, &raw), ERROR_SUCCESS);
  const LocalAcl readable(raw);
  ASSERT_EQ(SetNamedSecurityInfoA(file.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                  nullptr, readable.get(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(stat(file.c_str(), &status_after), 0);
  EXPECT_EQ(status_after.st_mode & 07777, 0004u);
}

TEST(SetNamedSecurityInfoAsRoot, GivesTheObjectToTheNamedOwnerAndGroup) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root: gives a file to another user";
  TempDir dir;
  std::string file = dir.file("file");
  vtutils::testing::write_file(file, "x");
  const LocalSid owner = unix_user(65534);
  const LocalSid group = unix_group(100);
  ASSERT_EQ(SetNamedSecurityInfoA(file.data(), SE_FILE_OBJECT,
                                  OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION,
                                  owner.get(), group.get(), nullptr, nullptr),
            ERROR_SUCCESS);
  struct stat status {};
  ASSERT_EQ(stat(file.c_str(), &status), 0);
  EXPECT_EQ(status.st_uid, 65534u);
  EXPECT_EQ(status.st_gid, 100u);
}

TEST(Sid, EveryoneHasTheWindowsLayout) {
  const LocalSid sid = everyone();
  const unsigned char expected[] = {1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(sid.get(), expected, sizeof expected), 0);

  SID_IDENTIFIER_AUTHORITY authority = SECURITY_WORLD_SID_AUTHORITY;
  PSID too_long = nullptr;
  EXPECT_FALSE(AllocateAndInitializeSid(&authority, 9, 0, 0, 0, 0, 0, 0, 0, 0, &too_long));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  PSID freed = nullptr;
  ASSERT_TRUE(AllocateAndInitializeSid(&authority, 1, 0, 0, 0, 0, 0, 0, 0, 0, &freed));
  EXPECT_EQ(FreeSid(freed), nullptr);
  EXPECT_EQ(LocalFree(freed), freed);  // a second time: refused, not a double free
  EXPECT_EQ(LocalFree(nullptr), nullptr);
}

}  // namespace
