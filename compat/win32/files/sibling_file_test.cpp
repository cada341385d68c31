// Tests of the files written beside a target: what a save removes of the siblings that others
// left, and names too long to carry the target's name whole.
#include "win32/files/sibling_file.h"

#include <limits.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>

#include "testing/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using vtplatform::replace_file;
using vtplatform::SiblingFile;
using vtutils::testing::read_file;
using vtutils::testing::TempDir;
using vtutils::testing::write_file;

TEST(SiblingFile, ASaveRemovesTheSiblingsThatNoWriterHolds) {
  TempDir dir;
  const std::string target = dir.file("value.txt");
  write_file(target, "old");
  auto live = SiblingFile::create(target);  // a writer still at work
  ASSERT_TRUE(live);
  const char* const leftover = ".value.txt.vt-a1B2c3";
  write_file(dir.file(leftover), "left by a writer that died");
  // Names that only look like siblings, or are not files.
  const char* const others[] = {"value.txt.lock", ".value.txt.backup", ".value.txt.vt-1234567",
                                ".other.txt.vt-a1B2c3"};
  for (const char* name : others) write_file(dir.file(name), "someone's");
  fs::create_directory(dir.file(".value.txt.vt-folder"));
  fs::create_symlink(target, dir.file(".value.txt.vt-link12"));

  ASSERT_EQ(replace_file(target, "new", 0600), 0);
  EXPECT_EQ(read_file(target), "new");
  EXPECT_FALSE(fs::exists(dir.file(leftover)));
  EXPECT_TRUE(fs::exists(live->path()));
  for (const char* name : others) EXPECT_EQ(read_file(dir.file(name)), "someone's") << name;
  EXPECT_TRUE(fs::is_directory(dir.file(".value.txt.vt-folder")));
  EXPECT_TRUE(fs::is_symlink(dir.file(".value.txt.vt-link12")));

  // The live writer finishes as if nobody had been there.
  ASSERT_EQ(::write(live->fd(), "newer", 5), 5);
  ASSERT_FALSE(live->rename_to_target());
  EXPECT_EQ(read_file(target), "newer");
}

TEST(SiblingFile, ATargetWithTheLongestNameIsReplaced) {
  TempDir dir;
  const std::string target = dir.file(std::string(NAME_MAX, 'n'));
  write_file(target, "old");
  ASSERT_EQ(replace_file(target, "new", 0600), 0);
  EXPECT_EQ(read_file(target), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

}  // namespace
