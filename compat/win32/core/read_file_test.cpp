// Tests of read_file: files read to their end whatever their size says, and the errno of a file
// that cannot be read.
#include "win32/core/read_file.h"

#include <gtest/gtest.h>

#include <string>

#include "testing/temp_dir.h"

namespace vtplatform {
namespace {

TEST(ReadFile, ReadsToTheEndOrTellsWhyNot) {
  const vtutils::testing::TempDir folder;
  const std::string long_text(40000, 'a');  // longer than one read
  vtutils::testing::write_file(folder.file("long"), long_text);

  const auto long_file = read_file(folder.file("long"));
  ASSERT_TRUE(long_file);
  EXPECT_EQ(*long_file, long_text);

  // stat gives /proc files a size of 0.
  const auto status = read_file("/proc/self/status");
  ASSERT_TRUE(status);
  EXPECT_TRUE(status->starts_with("Name:")) << *status;
  EXPECT_TRUE(status->ends_with("\n")) << *status;

  EXPECT_EQ(read_file(folder.file("missing")).error(), std::errc::no_such_file_or_directory);
  EXPECT_EQ(read_file(folder.str()).error(), std::errc::is_a_directory);  // opens, cannot read
}

}  // namespace
}  // namespace vtplatform
