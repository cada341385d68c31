// Writing through file handles: positions, appending handles shared by several processes, and
// the refusal to follow a link.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "testing/temp_dir.h"
#include "vtplatform/win32/error.h"
#include "vtplatform/win32/file.h"
#include "vtplatform/win32/handle.h"

namespace {

using vtutils::testing::read_file;
using vtutils::testing::TempDir;

bool write_text(HANDLE file, const std::string& text) {
  DWORD written = 0;
  return WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

TEST(FileIo, PositionsAndWrites) {
  TempDir dir;
  const std::string path = dir.file("data");
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(write_text(file, "abcdef"));
  EXPECT_EQ(SetFilePointer(file, 2, nullptr, FILE_BEGIN), 2u);
  ASSERT_TRUE(write_text(file, "XY"));
  EXPECT_EQ(SetFilePointer(file, -1, nullptr, FILE_END), 5u);
  EXPECT_EQ(SetFilePointer(file, -1, nullptr, FILE_CURRENT), 4u);
  EXPECT_EQ(SetFilePointer(file, -10, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
  LONG high = 1;  // 4 GiB + 3: a sparse position past 32 bits
  EXPECT_EQ(SetFilePointer(file, 3, &high, FILE_BEGIN), 3u);
  EXPECT_EQ(high, 1);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(read_file(path), "abXYef");

  HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_FALSE(write_text(reader, "no"));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  CloseHandle(reader);
  EXPECT_FALSE(write_text(nullptr, "no"));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

// Four processes append 500 lines each through their own handles: every line arrives whole.
TEST(FileIo, AppendingHandlesNeverOverwriteEachOther) {
  TempDir dir;
  const std::string path = dir.file("log");
  std::vector<pid_t> writers;
  for (int writer = 0; writer < 4; ++writer) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      bool ok = file != INVALID_HANDLE_VALUE;
      for (int line = 0; ok && line < 500; ++line) {
        // Each appending write lands at the end, wherever the position was moved.
        SetFilePointer(file, 0, nullptr, FILE_BEGIN);
        ok = write_text(file, "writer " + std::to_string(writer) + " line " +
                                  std::to_string(line) + " ..........\n");
      }
      ::_exit(ok ? 0 : 1);
    }
    writers.push_back(pid);
  }
  for (const pid_t pid : writers) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  std::istringstream lines(read_file(path));
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) {
    EXPECT_TRUE(line.starts_with("writer ") && line.ends_with(" ..........")) << line;
    ++count;
  }
  EXPECT_EQ(count, 2000);
}

TEST(FileIo, OpenReparsePointRefusesALink) {
  TempDir dir;
  const std::string target = dir.file("target");
  const std::string link = dir.file("link");
  vtutils::testing::write_file(target, "kept");
  std::filesystem::create_symlink(target, link);
  HANDLE file = CreateFileA(link.c_str(), FILE_APPEND_DATA, FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  EXPECT_EQ(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_CANT_RESOLVE_FILENAME);
  EXPECT_EQ(read_file(target), "kept");
}

}  // namespace
