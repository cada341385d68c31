// Folder access rights on real folders: the access check answered for an unprivileged child
// process, and Everyone's rights granted with vtuSecurityDescriptor and read back with getfacl.
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "testing/temp_dir.h"
#include "testing/unprivileged.h"
#include "vtutils/file_utils.h"
#include "vtutils/platform/security.h"
#include "vtutils/platform/win32_types.h"
#include "vtutils/security_descriptor.h"

namespace {

namespace fs = std::filesystem;
using vtutils::testing::run_unprivileged;
using vtutils::testing::TempDir;

// A folder that only its owner, the user running the test, may enter, inside a test folder that
// everybody may enter.
class FolderAccessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    chmod(temp_.str().c_str(), 0755);
    fs::create_directory(folder_);
    chmod(folder_.c_str(), 0700);
  }

  // Whether the unprivileged child is granted `access` on the folder.
  std::optional<bool> nobody_may(unsigned int access) const {
    const CString folder(folder_.c_str());
    return run_unprivileged([&] { return vtuFileUtils::can_access_folder(folder, access); });
  }

  // Grants Everyone `rights` on the folder.
  unsigned int share(unsigned int inheritance, unsigned int rights) const {
    vtuSecurityDescriptor descriptor(folder_.c_str());
    unsigned int result = descriptor.get_named_security_info(DACL_SECURITY_INFORMATION);
    if (result == ERROR_SUCCESS) result = descriptor.add_everyone_to_dacl(inheritance, rights);
    if (result == ERROR_SUCCESS) result = descriptor.set_named_security_info(DACL_SECURITY_INFORMATION);
    return result;
  }

  std::string getfacl() const {
    const std::string command = "getfacl --omit-header '" + folder_ + "' 2>/dev/null";
    std::unique_ptr<FILE, decltype(&pclose)> output(popen(command.c_str(), "r"), &pclose);
    std::string text;
    char line[256];
    while (output != nullptr && fgets(line, sizeof line, output.get()) != nullptr) text += line;
    return text;
  }

  TempDir temp_;
  std::string folder_ = temp_.file("Messdaten 1");
};

// Tests whose unprivileged child must be another user than the folder's owner, which only a test
// running as root can arrange.
class FolderAccessAsRoot : public FolderAccessTest {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "needs root: asks as another user";
    FolderAccessTest::SetUp();
  }
};

TEST_F(FolderAccessTest, OwnerMayDoEverythingAndMissingFoldersAreRefused) {
  EXPECT_TRUE(vtuFileUtils::can_access_folder(folder_.c_str(), GENERIC_ALL));
  EXPECT_TRUE(vtuFileUtils::can_access_folder(folder_.c_str(), FILE_GENERIC_WRITE));
  EXPECT_FALSE(vtuFileUtils::can_access_folder(temp_.file("missing").c_str(), GENERIC_READ));
  EXPECT_FALSE(vtuFileUtils::can_access_folder("", GENERIC_READ));
}

TEST_F(FolderAccessTest, OnlyAnInheritableGrantReachesNewObjects) {
  ASSERT_EQ(share(NO_INHERITANCE, GENERIC_ALL), 0u);
  std::string acl = getfacl();
  EXPECT_NE(acl.find("\nother::rwx\n"), std::string::npos) << acl;
  EXPECT_EQ(acl.find("default:"), std::string::npos) << acl;

  ASSERT_EQ(share(SUB_CONTAINERS_AND_OBJECTS_INHERIT, GENERIC_READ | GENERIC_EXECUTE), 0u);
  acl = getfacl();
  EXPECT_NE(acl.find("\nother::r-x\n"), std::string::npos) << acl;
  EXPECT_NE(acl.find("default:other::r-x\n"), std::string::npos) << acl;
  // Files created in the folder inherit Everyone's entry.
  vtutils::testing::write_file(fs::path(folder_) / "new.txt", "");
  struct stat status {};
  stat((folder_ + "/new.txt").c_str(), &status);
  EXPECT_EQ(status.st_mode & S_IRWXO, static_cast<mode_t>(S_IROTH)) << std::oct << status.st_mode;
}

TEST_F(FolderAccessAsRoot, EveryoneGetsWhatIsGrantedAndNoMore) {
  EXPECT_EQ(nobody_may(GENERIC_READ), false);
  EXPECT_EQ(nobody_may(FILE_GENERIC_EXECUTE), false);

  ASSERT_EQ(share(SUB_CONTAINERS_AND_OBJECTS_INHERIT, GENERIC_READ | GENERIC_EXECUTE), 0u);
  EXPECT_EQ(nobody_may(GENERIC_READ), true);  // 0x80000000, mapped to 0x120089
  EXPECT_EQ(nobody_may(FILE_GENERIC_READ | FILE_GENERIC_EXECUTE), true);
  EXPECT_EQ(nobody_may(GENERIC_WRITE), false);
  EXPECT_EQ(nobody_may(GENERIC_ALL), false);

  ASSERT_EQ(share(NO_INHERITANCE, GENERIC_ALL), 0u);
  EXPECT_EQ(nobody_may(GENERIC_WRITE | GENERIC_READ | GENERIC_EXECUTE), true);
}

TEST_F(FolderAccessTest, StepsOutOfOrderChangeNothing) {
  const std::string before = getfacl();
  vtuSecurityDescriptor descriptor(folder_.c_str());
  EXPECT_EQ(descriptor.add_everyone_to_dacl(NO_INHERITANCE, GENERIC_ALL), 1336u);
  EXPECT_EQ(descriptor.set_named_security_info(DACL_SECURITY_INFORMATION), 1340u);
  EXPECT_EQ(getfacl(), before);

  const std::string missing = temp_.file("missing");
  vtuSecurityDescriptor nothing(missing.c_str());
  EXPECT_EQ(nothing.get_named_security_info(DACL_SECURITY_INFORMATION), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(nothing.add_everyone_to_dacl(NO_INHERITANCE, GENERIC_ALL), 1336u);
}

}  // namespace
