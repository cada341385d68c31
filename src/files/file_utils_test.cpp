// vtuFileUtils: the shell path wrappers on texts longer than MAX_PATH, the free-name searches, the
// flat folder copy, temporary paths and the documents folders, on real folders.
#include "vtutils/file_utils.h"

#include <stdlib.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "testing/temp_dir.h"

namespace {

using vtutils::testing::read_file;
using vtutils::testing::TempDir;
using vtutils::testing::write_file;

std::string str(const CString& text) { return text.GetString(); }

// A text longer than MAX_PATH gets a buffer of its own length, which the shell functions refuse
// to grow. The wrappers on ordinary names are tested under each code page.
TEST(FileUtilsTest, TextsLongerThanMaxPathAreRefusedWhole) {
  const CString too_long(std::string(400, 'x').c_str());
  EXPECT_EQ(str(vtuFileUtils::path_add_extension(too_long, ".txt")), str(too_long));
  EXPECT_EQ(str(vtuFileUtils::path_combine(too_long, "a")), "");
  EXPECT_FALSE(vtuFileUtils::path_file_exists(too_long));
}

TEST(FileUtilsTest, NumberedFreeNames) {
  TempDir dir;
  const CString folder(dir.str().c_str());
  const auto free_name = [&](const char* base, int first) {
    return str(vtuFileUtils::find_first_available_file_path(folder, base, ".csv", first));
  };
  EXPECT_EQ(free_name("scan", 0), dir.file("scan0.csv"));
  EXPECT_EQ(free_name("scan", -3), dir.file("scan-3.csv"));
  write_file(dir.file("scan1.csv"), "");
  write_file(dir.file("scan2.csv"), "");
  std::filesystem::create_directory(dir.path() / "scan3.csv");  // a folder takes the name too
  EXPECT_EQ(free_name("scan", 1), dir.file("scan4.csv"));
  // The numbered name "scan.v1" already has an extension.
  EXPECT_EQ(free_name("scan.v", 1), dir.file("scan.v1"));
  EXPECT_EQ(free_name(std::string(300, 'b').c_str(), 1), "");
}

TEST(FileUtilsTest, ExplorerStyleFreeNames) {
  TempDir dir;
  const CString folder(dir.str().c_str());
  const auto free_name = [&](const char* base) {
    return str(vtuFileUtils::find_first_available_file_path_windows_style(folder, base, ".txt"));
  };
  write_file(dir.file("a (2).txt"), "");
  EXPECT_EQ(free_name("a"), dir.file("a.txt"));
  write_file(dir.file("a.txt"), "");
  EXPECT_EQ(free_name("a"), dir.file("a (3).txt"));
  EXPECT_EQ(free_name("Prüf bericht"), dir.file("Prüf bericht.txt"));
  EXPECT_EQ(free_name(std::string(300, 'b').c_str()), "");
}

TEST(FileUtilsTest, CopyFolderIsFlat) {
  TempDir dir;
  std::filesystem::create_directories(dir.path() / "from" / "sub");
  std::filesystem::create_directories(dir.path() / "to");
  write_file(dir.path() / "from" / "same.txt", "new");
  write_file(dir.path() / "from" / "only source ä.txt", "source");
  write_file(dir.path() / "from" / "sub" / "deep.txt", "deep");
  write_file(dir.path() / "to" / "same.txt", "old");
  write_file(dir.path() / "to" / "only target.txt", "target");

  EXPECT_TRUE(vtuFileUtils::copy_folder(dir.file("from/").c_str(), dir.file("to/").c_str()));
  EXPECT_EQ(read_file(dir.path() / "to" / "same.txt"), "new");
  EXPECT_EQ(read_file(dir.path() / "to" / "only source ä.txt"), "source");
  EXPECT_EQ(read_file(dir.path() / "to" / "only target.txt"), "target");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "to" / "sub"));
}

TEST(FileUtilsTest, CopyFolderWithoutSourceCreatesTheDestination) {
  TempDir dir;
  EXPECT_TRUE(vtuFileUtils::copy_folder(dir.file("missing/").c_str(), dir.file("new/").c_str()));
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "new"));
  // A destination that is a file stays a file, and nothing is copied into it.
  write_file(dir.file("source/a.txt"), "");
  write_file(dir.file("plain"), "plain");
  EXPECT_TRUE(vtuFileUtils::copy_folder(dir.file("missing/").c_str(), dir.file("plain/").c_str()));
  EXPECT_EQ(read_file(dir.file("plain")), "plain");
}

// Points the temporary folder at a test folder.
class TempPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* old = getenv("TMPDIR")) saved_ = old;
    setenv("TMPDIR", temp_.str().c_str(), 1);
  }
  void TearDown() override {
    saved_.empty() ? unsetenv("TMPDIR") : setenv("TMPDIR", saved_.c_str(), 1);
  }
  TempDir temp_;
  std::string saved_;
};

TEST_F(TempPathTest, PreferredNameWhenFree) {
  EXPECT_EQ(str(vtuFileUtils::create_temp_file_path("vtu", "export 1.csv")),
            temp_.file("export 1.csv"));
  EXPECT_TRUE(std::filesystem::is_empty(temp_.path()));
}

TEST_F(TempPathTest, FreshNameWhenTakenOrNotGiven) {
  write_file(temp_.file("export.csv"), "");
  for (const char* preferred : {"export.csv", ""}) {
    const std::string path = str(vtuFileUtils::create_temp_file_path("vtutils", preferred));
    EXPECT_EQ(std::filesystem::path(path).parent_path(), temp_.path());
    EXPECT_TRUE(std::filesystem::path(path).filename().string().starts_with("vtu")) << path;
    EXPECT_FALSE(std::filesystem::exists(path));
  }
}

TEST(FileUtilsTest, DocumentsFoldersComeFromTheHomeFolder) {
  TempDir home;
  const std::string saved = getenv("HOME") ? getenv("HOME") : "";
  setenv("HOME", home.str().c_str(), 1);
  setenv("XDG_CONFIG_HOME", home.file("config").c_str(), 1);
  EXPECT_EQ(str(vtuFileUtils::user_documents_path()), home.file("Documents"));
  EXPECT_EQ(str(vtuFileUtils::public_documents_path()), home.file("Public"));
  setenv("HOME", saved.c_str(), 1);
  unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
