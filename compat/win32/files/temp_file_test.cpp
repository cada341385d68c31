// Temporary folders and names.
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "testing/scoped_env.h"
#include "testing/temp_dir.h"
#include "vtplatform/win32/error.h"
#include "vtplatform/win32/temp_file.h"

namespace {

using vtutils::testing::ScopedEnv;

using vtutils::testing::TempDir;

TEST(TempFileTest, TempPathFollowsTmpdir) {
  char path[MAX_PATH];
  {
    ScopedEnv tmpdir("TMPDIR", "/var/tmp");
    EXPECT_EQ(GetTempPathA(MAX_PATH, path), 9u);
    EXPECT_STREQ(path, "/var/tmp/");
    EXPECT_EQ(GetTempPathA(4, path), 10u);
  }
  ScopedEnv relative("TMPDIR", "relative");
  GetTempPathA(MAX_PATH, path);
  EXPECT_STREQ(path, "/tmp/");
}

TEST(TempFileTest, TempFileNameCreatesAFreshFile) {
  TempDir dir;
  char first[MAX_PATH];
  char second[MAX_PATH];
  const UINT number = GetTempFileNameA(dir.str().c_str(), "report", 0, first);
  ASSERT_NE(number, 0u);
  ASSERT_NE(GetTempFileNameA(dir.str(true).c_str(), "report", 0, second), 0u);
  EXPECT_NE(std::string(first), second);
  for (const char* name : {first, second}) {
    EXPECT_TRUE(std::filesystem::is_regular_file(name));
    EXPECT_EQ(std::filesystem::path(name).parent_path(), dir.path());
    EXPECT_TRUE(std::filesystem::path(name).filename().string().starts_with("rep"));
  }
  EXPECT_EQ(GetTempFileNameA(dir.str().c_str(), "ab", 0x1A2B, first), 0x1A2Bu);
  EXPECT_EQ(std::string(first), dir.str() + "/ab1A2B.tmp");
  EXPECT_FALSE(std::filesystem::exists(first));
}

TEST(TempFileTest, TempFileNameRefusesBadFolders) {
  TempDir dir;
  char name[MAX_PATH];
  EXPECT_EQ(GetTempFileNameA(dir.file("missing").c_str(), "x", 0, name), 0u);
  EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
  const std::string deep = dir.str() + "/" + std::string(240, 'd');
  std::filesystem::create_directory(deep);
  EXPECT_EQ(GetTempFileNameA(deep.c_str(), "xyz", 0, name), 0u);
  EXPECT_EQ(GetLastError(), ERROR_BUFFER_OVERFLOW);
}

TEST(TempFileTest, TempnamPrefersTmpThenTheGivenFolder) {
  TempDir tmp;
  TempDir given;
  const auto name_in = [](const char* dir, const char* prefix) {
    std::unique_ptr<char, decltype(&free)> name(_tempnam(dir, prefix), &free);
    return name ? std::string(name.get()) : std::string();
  };
  {
    ScopedEnv env("TMP", tmp.str().c_str());
    const std::string name = name_in(given.str().c_str(), "abc");
    EXPECT_TRUE(name.starts_with(tmp.str() + "/abc"));
    EXPECT_FALSE(std::filesystem::exists(name));
  }
  ScopedEnv no_tmp("TMP", std::nullopt);
  EXPECT_TRUE(name_in(given.str().c_str(), "abc").starts_with(given.str() + "/abc"));
  ScopedEnv tmpdir("TMPDIR", tmp.str().c_str());
  EXPECT_TRUE(name_in("c:\\", nullptr).starts_with(tmp.str() + "/"));
}

TEST(TempFileTest, TmpnamGivesARootedNameWithTheClassicShape) {
  char name[L_tmpnam_s];
  ASSERT_EQ(tmpnam_s(name, sizeof name), 0);
  EXPECT_EQ(std::strlen(name), 9u);
  EXPECT_EQ(std::string(name, 2), "/s");
  EXPECT_EQ(name[8], '.');
  EXPECT_FALSE(std::filesystem::exists(name));
  char small[4] = "abc";
  EXPECT_EQ(tmpnam_s(small, sizeof small), ERANGE);
  EXPECT_STREQ(small, "");
  EXPECT_EQ(tmpnam_s(nullptr, 20), EINVAL);
}

}  // namespace
