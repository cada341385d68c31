// vtTmpFilename: the shape of the generated name, a new one for each object.
#include "vtutils/tmp_filename.h"

#include <stdlib.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "testing/temp_dir.h"

namespace {

TEST(TmpFilenameTest, NameLiesInTmpAndEndsInTxt) {
  vtutils::testing::TempDir tmp;
  setenv("TMP", tmp.str().c_str(), 1);
  const vtTmpFilename name("abc");
  const vtTmpFilename other("abc");
  unsetenv("TMP");
  const std::string text = static_cast<const CString&>(name).GetString();
  EXPECT_TRUE(text.starts_with(tmp.str() + "/abc")) << text;
  EXPECT_TRUE(text.ends_with(".txt")) << text;
  // The second generator's name less its leading separator sits in the middle: no new folder.
  EXPECT_EQ(std::filesystem::path(text).parent_path(), tmp.path());
  EXPECT_FALSE(std::filesystem::exists(text));
  EXPECT_TRUE(std::filesystem::is_empty(tmp.path()));
  EXPECT_NE(static_cast<const CString&>(other).Compare(text.c_str()), 0) << "a new name each time";
}

}  // namespace
