// Tests of the process list, process handles, creation times and the process snapshot, against
// real processes of the helper program.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "testing/descriptors.h"
#include "testing/helper_process.h"
#include "testing/temp_dir.h"
#include "testing/unprivileged.h"
#include "vtplatform/win32/error.h"
#include "vtplatform/win32/handle.h"
#include "vtplatform/win32/process.h"
#include "vtplatform/win32/synch.h"

namespace {

using vtutils::testing::open_descriptors;

using namespace std::chrono_literals;
using vtutils::testing::HelperProcess;

std::vector<DWORD> process_list() {
  std::vector<DWORD> ids(4096);
  DWORD bytes = 0;
  EXPECT_TRUE(K32EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes));
  ids.resize(bytes / sizeof(DWORD));
  return ids;
}

bool listed(DWORD id) {
  const auto ids = process_list();
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

FILETIME creation_time(DWORD id) {
  FILETIME creation{}, exit{}, kernel{}, user{};
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, id);
  EXPECT_NE(process, nullptr);
  EXPECT_TRUE(GetProcessTimes(process, &creation, &exit, &kernel, &user));
  CloseHandle(process);
  return creation;
}

std::vector<PROCESSENTRY32> snapshot_entries() {
  std::vector<PROCESSENTRY32> entries;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  EXPECT_NE(snapshot, INVALID_HANDLE_VALUE);
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    entries.push_back(entry);
  }
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  EXPECT_TRUE(CloseHandle(snapshot));
  return entries;
}

const PROCESSENTRY32* find_entry(const std::vector<PROCESSENTRY32>& entries, DWORD id) {
  const auto is_id = [id](const PROCESSENTRY32& entry) { return entry.th32ProcessID == id; };
  const auto found = std::find_if(entries.begin(), entries.end(), is_id);
  return found == entries.end() ? nullptr : &*found;
}

TEST(ProcessList, StartsWithIdleThenHoldsLiveProcesses) {
  HelperProcess chain({"chain", "1"});
  const DWORD child = chain.read_pid();
  const DWORD grandchild = chain.read_pid();
  ASSERT_EQ(child, chain.id());
  ASSERT_NE(grandchild, 0u);

  const auto ids = process_list();
  ASSERT_FALSE(ids.empty());
  EXPECT_EQ(ids[0], 0u);
  EXPECT_EQ(std::count(ids.begin(), ids.end(), 0u), 1);
  EXPECT_TRUE(std::is_sorted(ids.begin() + 1, ids.end()));
  for (const DWORD id : {GetCurrentProcessId(), child, grandchild}) {
    EXPECT_NE(std::find(ids.begin(), ids.end(), id), ids.end()) << id;
  }
}

TEST(ProcessList, FillsNoMoreThanTheBufferHolds) {
  DWORD ids[3] = {7, 7, 7};
  DWORD bytes = 0;
  ASSERT_TRUE(K32EnumProcesses(ids, 2 * sizeof(DWORD) + 3, &bytes));
  EXPECT_EQ(bytes, 2 * sizeof(DWORD));  // full: the caller must ask again with more room
  EXPECT_EQ(ids[0], 0u);
  EXPECT_EQ(ids[2], 7u);
  EXPECT_FALSE(K32EnumProcesses(ids, sizeof ids, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(ProcessList, ZombiesAndReapedProcessesAreGone) {
  HelperProcess ended({"exit"});
  siginfo_t info{};  // waits until it is a zombie, without reaping it
  ASSERT_EQ(::waitid(P_PID, ended.id(), &info, WEXITED | WNOWAIT), 0);
  EXPECT_FALSE(listed(ended.id()));
  EXPECT_EQ(find_entry(snapshot_entries(), ended.id()), nullptr);
  EXPECT_EQ(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, ended.id()), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

  ended.reap();
  EXPECT_FALSE(listed(ended.id()));
  EXPECT_EQ(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, ended.id()), nullptr);
}

TEST(ProcessList, ProcessWhoseMainThreadExitedIsAlive) {
  HelperProcess helper({"main-thread-exit"});
  ASSERT_EQ(helper.read_pid(), helper.id());  // printed once the main thread is a zombie

  EXPECT_TRUE(listed(helper.id()));
  EXPECT_NE(find_entry(snapshot_entries(), helper.id()), nullptr);
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, helper.id());
  EXPECT_NE(process, nullptr);
  CloseHandle(process);
}

TEST(ProcessSnapshot, GivesParentThreadsAndFullExecutableName) {
  // The first name is longer than the kernel's 15-byte command name; the second keeps its ")"
  // in the command name, which the stat line must not be split at.
  for (const std::string name : {"name with (parens) x", "a) (b) c"}) {
    vtutils::testing::TempDir folder;
    const std::string copy = folder.file(name);
    std::filesystem::copy_file(vtutils::testing::kProcessHelper, copy);
    std::filesystem::permissions(copy, std::filesystem::perms::owner_all);
    HelperProcess parent({"chain", "1"}, copy);
    ASSERT_EQ(parent.read_pid(), parent.id());
    const DWORD child = parent.read_pid();
    ASSERT_NE(child, 0u);

    const auto entries = snapshot_entries();
    const PROCESSENTRY32* entry = find_entry(entries, child);
    ASSERT_NE(entry, nullptr) << name;
    EXPECT_EQ(entry->th32ParentProcessID, parent.id());
    EXPECT_STREQ(entry->szExeFile, name.c_str());
    EXPECT_EQ(entry->cntThreads, 1u);
    entry = find_entry(entries, parent.id());
    ASSERT_NE(entry, nullptr) << name;
    EXPECT_EQ(entry->th32ParentProcessID, GetCurrentProcessId());
    EXPECT_EQ(find_entry(entries, 0), nullptr);
  }
}

TEST(ProcessSnapshot, IsFrozenWhenTaken) {
  auto early = std::make_unique<HelperProcess>(std::vector<std::string>{"sleep", "60000"});
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
  const DWORD early_id = early->id();
  early.reset();  // killed and reaped
  HelperProcess late({"sleep", "60000"});

  bool saw_early = false, saw_late = false;
  PROCESSENTRY32 entry{};
  EXPECT_FALSE(Process32First(snapshot, &entry));  // dwSize not set
  EXPECT_EQ(GetLastError(), ERROR_BAD_LENGTH);
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    saw_early |= entry.th32ProcessID == early_id;
    saw_late |= entry.th32ProcessID == late.id();
  }
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  EXPECT_TRUE(saw_early);
  EXPECT_FALSE(saw_late);
  EXPECT_TRUE(Process32First(snapshot, &entry));  // the walk starts again
  EXPECT_TRUE(CloseHandle(snapshot));
  EXPECT_FALSE(Process32First(snapshot, &entry));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(CreateToolhelp32Snapshot(0x8 /* modules */, 0), INVALID_HANDLE_VALUE);
}

// Helpers are started with fork, which the layer does not see: inside a scope they appear only
// once a layer call has renewed the reading.
TEST(ProcessTableScope, ReusesOneReadingUntilTheLayerChangesSomething) {
  auto early = std::make_unique<HelperProcess>(std::vector<std::string>{"sleep", "60000"});
  const vtplatform::ProcessTableScope scope;
  EXPECT_TRUE(listed(early->id()));
  HelperProcess late({"sleep", "60000"});
  EXPECT_FALSE(listed(late.id()));
  EXPECT_EQ(find_entry(snapshot_entries(), late.id()), nullptr);
  std::thread([&] { EXPECT_TRUE(listed(late.id())); }).join();  // other threads read anew

  HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, early->id());
  ASSERT_TRUE(TerminateProcess(process, 1));
  ASSERT_EQ(WaitForSingleObject(process, 5000), WAIT_OBJECT_0);
  CloseHandle(process);
  EXPECT_FALSE(listed(early->id()));
  EXPECT_TRUE(listed(late.id()));
  EXPECT_NE(find_entry(snapshot_entries(), late.id()), nullptr);

  HelperProcess later({"sleep", "60000"});
  EXPECT_FALSE(listed(later.id()));
  Sleep(0);
  EXPECT_TRUE(listed(later.id()));
}

TEST(ProcessTimes, CreationOrderFollowsStartWithinOneSecond) {
  HelperProcess first({"sleep", "60000"});
  std::this_thread::sleep_for(30ms);  // a few clock ticks, well within one second
  HelperProcess second({"sleep", "60000"});
  const FILETIME a = creation_time(first.id());
  const FILETIME b = creation_time(second.id());
  EXPECT_EQ(CompareFileTime(&a, &b), -1);
  EXPECT_EQ(CompareFileTime(&b, &a), 1);
  EXPECT_EQ(CompareFileTime(&a, &a), 0);

  // On the wall clock: within a few seconds of now (FILETIME counts from 1601).
  const auto intervals = std::uint64_t{b.dwHighDateTime} << 32 | b.dwLowDateTime;
  const auto seconds = static_cast<std::int64_t>(intervals / 10'000'000) - 11'644'473'600;
  EXPECT_LT(std::abs(seconds - static_cast<std::int64_t>(std::time(nullptr))), 5);
}

TEST(ProcessTimes, NeedQueryAccessAndTheSameProcess) {
  FILETIME creation{}, exit{}, kernel{}, user{};
  EXPECT_TRUE(GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user));

  HelperProcess helper({"sleep", "60000"});
  HANDLE terminate_only = OpenProcess(PROCESS_TERMINATE, FALSE, helper.id());
  ASSERT_NE(terminate_only, nullptr);
  EXPECT_FALSE(GetProcessTimes(terminate_only, &creation, &exit, &kernel, &user));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  CloseHandle(terminate_only);

  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, helper.id());
  ASSERT_NE(process, nullptr);
  EXPECT_TRUE(GetProcessTimes(process, &creation, &exit, &kernel, &user));
  helper.end();
  EXPECT_FALSE(GetProcessTimes(process, &creation, &exit, &kernel, &user));
  EXPECT_TRUE(CloseHandle(process));
  EXPECT_FALSE(GetProcessTimes(process, &creation, &exit, &kernel, &user));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(ProcessOpen, RefusesIdleAndMissingProcesses) {
  HelperProcess gone({"exit"});
  gone.reap();
  for (const DWORD id : {DWORD{0}, DWORD{0xFFFFFFFF}, gone.id()}) {
    EXPECT_EQ(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, id), nullptr) << id;
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << id;
  }
}

TEST(ProcessOpenAsRoot, AnotherUsersProcessCanBeQueriedButNotTerminatedOrRead) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root: looks at its own process as another user";
  const DWORD root_process = GetCurrentProcessId();
  const auto answer = vtutils::testing::run_unprivileged([root_process] {
    HANDLE query = OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, root_process);
    FILETIME creation{}, exit{}, kernel{}, user{};
    const bool queried =
        query != nullptr && GetProcessTimes(query, &creation, &exit, &kernel, &user);
    if (query) CloseHandle(query);
    const bool terminate_refused = OpenProcess(PROCESS_TERMINATE, FALSE, root_process) == nullptr &&
                                   GetLastError() == ERROR_ACCESS_DENIED;
    const bool read_refused =
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, root_process) == nullptr &&
        GetLastError() == ERROR_ACCESS_DENIED;
    HANDLE own = OpenProcess(PROCESS_ALL_ACCESS, FALSE, GetCurrentProcessId());
    const bool own_granted = own != nullptr;
    if (own) CloseHandle(own);
    return queried && terminate_refused && read_refused && own_granted;
  });
  ASSERT_TRUE(answer.has_value());
  EXPECT_TRUE(*answer);
}

TEST(ProcessOpen, LeaksNoDescriptors) {
  HelperProcess helper({"sleep", "60000"});
  const std::size_t before = open_descriptors();
  HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, helper.id());
  ASSERT_NE(process, nullptr);
  EXPECT_EQ(open_descriptors(), before + 1);  // the pidfd
  EXPECT_TRUE(CloseHandle(process));
  EXPECT_EQ(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, 0), nullptr);
  process_list();
  snapshot_entries();
  creation_time(helper.id());
  EXPECT_EQ(open_descriptors(), before);
}

}  // namespace
