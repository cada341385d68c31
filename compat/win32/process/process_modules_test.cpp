// Tests of the module list and the module and image names of a process, against the test program
// itself and started copies of the helper program.
#include <dlfcn.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "testing/helper_process.h"
#include "testing/temp_dir.h"
#include "vtplatform/win32/error.h"
#include "vtplatform/win32/handle.h"
#include "vtplatform/win32/process.h"

namespace {

using vtutils::testing::HelperProcess;
using vtutils::testing::kProcessHelper;

// A copy of the helper that runs with its libraries loaded: it prints its id once it does.
class RunningHelper : public HelperProcess {
 public:
  explicit RunningHelper(const std::string& program = kProcessHelper)
      : HelperProcess({"chain", "0"}, program) {
    if (read_pid() == 0) ADD_FAILURE() << "the helper did not start";
  }
};

std::vector<HMODULE> modules_of(HANDLE process) {
  DWORD needed = 0;
  EXPECT_TRUE(K32EnumProcessModules(process, nullptr, 0, &needed));
  // Room for more than asked, so that the answer shows whether the list fits.
  std::vector<HMODULE> modules(needed / sizeof(HMODULE) + 16);
  EXPECT_TRUE(K32EnumProcessModules(process, modules.data(),
                                    static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &needed));
  modules.resize(needed / sizeof(HMODULE));
  return modules;
}

std::string base_name(HANDLE process, HMODULE module) {
  char name[256];
  return K32GetModuleBaseNameA(process, module, name, sizeof name) ? name : "";
}

std::string full_path(HANDLE process, HMODULE module) {
  char path[4096];
  return K32GetModuleFileNameExA(process, module, path, sizeof path) ? path : "";
}

std::string own_executable() { return std::filesystem::read_symlink("/proc/self/exe").string(); }

TEST(ProcessModules, OwnProcessStartsWithItsExecutable) {
  HANDLE self = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE,
                            GetCurrentProcessId());
  ASSERT_NE(self, nullptr);
  for (HANDLE process : {GetCurrentProcess(), self}) {
    const auto modules = modules_of(process);
    ASSERT_GE(modules.size(), 2u);
    EXPECT_EQ(full_path(process, modules[0]), own_executable());
    EXPECT_EQ(full_path(process, nullptr), own_executable());
    EXPECT_EQ(base_name(process, nullptr),
              std::filesystem::path(own_executable()).filename().string());
    // The library that holds these functions is a module, with the loader's base as its handle.
    Dl_info info{};
    ASSERT_NE(::dladdr(reinterpret_cast<void*>(&K32EnumProcessModules), &info), 0);
    EXPECT_NE(std::find(modules.begin(), modules.end(), static_cast<HMODULE>(info.dli_fbase)),
              modules.end());
    // Every module is a distinct file with a full path.
    for (HMODULE module : modules) {
      const std::string path = full_path(process, module);
      EXPECT_TRUE(path.starts_with('/')) << path;
      EXPECT_TRUE(path.ends_with("/" + base_name(process, module))) << path;
    }
  }
  EXPECT_TRUE(CloseHandle(self));
}

TEST(ProcessModules, ShortListKeepsTheFullSizeNeeded) {
  const auto modules = modules_of(GetCurrentProcess());
  HMODULE first[2] = {};
  DWORD needed = 0;
  ASSERT_TRUE(K32EnumProcessModules(GetCurrentProcess(), first, sizeof first, &needed));
  EXPECT_EQ(needed, modules.size() * sizeof(HMODULE));
  EXPECT_EQ(first[0], modules[0]);
  EXPECT_EQ(first[1], modules[1]);

  EXPECT_FALSE(K32EnumProcessModules(GetCurrentProcess(), first, sizeof first, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(K32EnumProcessModules(GetCurrentProcess(), nullptr, sizeof first, &needed));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(ProcessModules, HelperListsItsExecutableAndLibc) {
  RunningHelper helper;
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, helper.id());
  ASSERT_NE(process, nullptr);
  const auto modules = modules_of(process);
  ASSERT_FALSE(modules.empty());
  const std::string executable = std::filesystem::canonical(kProcessHelper).string();
  EXPECT_EQ(base_name(process, modules[0]), "process_helper");
  EXPECT_EQ(full_path(process, modules[0]), executable);
  const bool has_libc = std::any_of(modules.begin(), modules.end(), [&](HMODULE module) {
    return base_name(process, module).starts_with("libc.so");
  });
  EXPECT_TRUE(has_libc);
  // A module of the test program that the helper does not load is no module of the helper.
  char name[64];
  EXPECT_EQ(K32GetModuleBaseNameA(process, modules_of(GetCurrentProcess())[0], name, sizeof name),
            0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

  char image[4096];
  ASSERT_EQ(K32GetProcessImageFileNameA(process, image, sizeof image), executable.size());
  EXPECT_EQ(image, executable);
  EXPECT_TRUE(CloseHandle(process));
}

TEST(ProcessModules, NamesAreTruncatedButTheImageNameIsNot) {
  const std::string executable = own_executable();
  char buffer[8];
  std::fill(std::begin(buffer), std::end(buffer), 'x');
  ASSERT_EQ(K32GetModuleBaseNameA(GetCurrentProcess(), nullptr, buffer, 5), 4u);
  EXPECT_EQ(std::string(buffer),
            std::filesystem::path(executable).filename().string().substr(0, 4));
  ASSERT_EQ(K32GetModuleFileNameExA(GetCurrentProcess(), nullptr, buffer, sizeof buffer), 7u);
  EXPECT_EQ(std::string(buffer), executable.substr(0, 7));
  EXPECT_EQ(K32GetModuleBaseNameA(GetCurrentProcess(), nullptr, buffer, 0), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

  std::vector<char> image(executable.size() + 1);
  EXPECT_EQ(K32GetProcessImageFileNameA(GetCurrentProcess(), image.data(),
                                        static_cast<DWORD>(image.size() - 1)),
            0u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(K32GetProcessImageFileNameA(GetCurrentProcess(), image.data(),
                                        static_cast<DWORD>(image.size())),
            executable.size());
  EXPECT_EQ(image.data(), executable);
}

TEST(ProcessModules, DeletedExecutableKeepsItsPath) {
  vtutils::testing::TempDir folder;
  const std::string copy = folder.file("deleted helper");
  std::filesystem::copy_file(kProcessHelper, copy);
  RunningHelper helper(copy);
  std::filesystem::remove(copy);
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, helper.id());
  ASSERT_NE(process, nullptr);
  EXPECT_EQ(full_path(process, nullptr), copy);
  EXPECT_EQ(base_name(process, modules_of(process).at(0)), "deleted helper");
  char image[4096];
  EXPECT_EQ(K32GetProcessImageFileNameA(process, image, sizeof image), copy.size());
  EXPECT_TRUE(CloseHandle(process));
}

TEST(ProcessModules, RefusesHandlesWithoutTheRightsOrAProcess) {
  RunningHelper helper;
  RunningHelper reaped;
  HANDLE limited = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, helper.id());
  HANDLE read_only = OpenProcess(PROCESS_VM_READ, FALSE, helper.id());
  HANDLE closed = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, helper.id());
  HANDLE ended = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, reaped.id());
  ASSERT_TRUE(limited != nullptr && read_only != nullptr && closed != nullptr && ended != nullptr);
  ASSERT_TRUE(CloseHandle(closed));
  reaped.end();
  DWORD needed = 0;
  char name[256];
  const auto error = [](bool succeeded) { return succeeded ? DWORD{0} : GetLastError(); };
  const struct {
    HANDLE process;
    DWORD modules;  // the last error of each call, 0 when it succeeds
    DWORD image;
  } cases[] = {
      {limited, ERROR_ACCESS_DENIED, 0},  // the image name is a query, which the right allows
      {read_only, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED},
      {nullptr, ERROR_INVALID_HANDLE, ERROR_INVALID_HANDLE},
      {closed, ERROR_INVALID_HANDLE, ERROR_INVALID_HANDLE},
      {ended, ERROR_INVALID_PARAMETER, ERROR_INVALID_PARAMETER},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(error(K32EnumProcessModules(c.process, nullptr, 0, &needed)), c.modules);
    EXPECT_EQ(error(K32GetProcessImageFileNameA(c.process, name, sizeof name) != 0), c.image);
  }
  EXPECT_EQ(K32GetModuleBaseNameA(limited, nullptr, name, sizeof name), 0u);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(K32GetModuleFileNameExA(limited, nullptr, name, sizeof name), 0u);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  for (HANDLE handle : {limited, read_only, ended}) EXPECT_TRUE(CloseHandle(handle));
}

}  // namespace
