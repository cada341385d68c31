// Tests of vtuCreateProcess with real children, looked at from outside through /proc.
#include "vtutils/create_process.h"

#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "testing/descriptors.h"
#include "testing/helper_process.h"
#include "testing/proc_stat.h"
#include "testing/temp_dir.h"
#include "vtutils/platform/processes.h"

namespace {

using vtutils::testing::open_descriptors;
using vtutils::testing::TempDir;

std::string fd_target(DWORD pid, int fd) {
  return std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/fd/" + std::to_string(fd))
      .string();
}

std::string session_of(DWORD pid) {
  return vtutils::testing::proc_stat_field(static_cast<pid_t>(pid), 6);
}

TEST(CreateProcess, ChildRunsDetachedOnPipesInItsFolder) {
  TempDir folder;
  const std::string program = folder.file("helper copy");
  std::filesystem::copy_file(vtutils::testing::kProcessHelper, program);
  CString command_line(("'" + program + "' sleep 60000").c_str());
  CString working_folder(folder.str().c_str());
  HANDLE process = nullptr;
  ASSERT_TRUE(vtuCreateProcess::create_process(command_line, working_folder, &process));
  ASSERT_NE(process, nullptr);
  const DWORD pid = GetProcessId(process);

  // Input on one pipe, output and error on another.
  const std::string input = fd_target(pid, 0);
  EXPECT_EQ(input.rfind("pipe:", 0), 0u) << input;
  EXPECT_EQ(fd_target(pid, 1).rfind("pipe:", 0), 0u);
  EXPECT_EQ(fd_target(pid, 1), fd_target(pid, 2));
  EXPECT_NE(fd_target(pid, 1), input);
  EXPECT_NE(session_of(pid), session_of(static_cast<DWORD>(::getpid())));
  EXPECT_EQ(std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/cwd"),
            std::filesystem::canonical(folder.path()));

  EXPECT_EQ(WaitForSingleObject(process, 0), WAIT_TIMEOUT);
  ::kill(static_cast<pid_t>(pid), SIGKILL);
  EXPECT_EQ(WaitForSingleObject(process, 5000), WAIT_OBJECT_0);
  EXPECT_TRUE(CloseHandle(process));
}

TEST(CreateProcess, ChildNeverWaitsOnItsStandardHandles) {
  // cat reads to the end of its input and copies it out; both ends are closed, so it ends at once.
  CString command_line("cat");
  CString working_folder;
  HANDLE process = nullptr;
  ASSERT_TRUE(vtuCreateProcess::create_process(command_line, working_folder, &process));
  EXPECT_EQ(WaitForSingleObject(process, 5000), WAIT_OBJECT_0);
  CloseHandle(process);
}

TEST(CreateProcess, ProgramThatDoesNotExist) {
  const std::size_t descriptors = open_descriptors();
  CString command_line("vtutils-no-such-program --flag");
  CString working_folder;
  HANDLE process = reinterpret_cast<HANDLE>(1);
  EXPECT_FALSE(vtuCreateProcess::create_process(command_line, working_folder, &process));
  EXPECT_EQ(process, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(command_line, "vtutils-no-such-program --flag");
  EXPECT_EQ(open_descriptors(), descriptors);
}

}  // namespace
