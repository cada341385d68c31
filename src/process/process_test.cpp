// Tests of the process iterators and vtuProcess against real processes of the helper program,
// started under names of the tests' choosing from copies in temp folders.
#include <signal.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "testing/descriptors.h"
#include "testing/helper_process.h"
#include "testing/proc_stat.h"
#include "testing/temp_dir.h"
#include "vtutils/process.h"
#include "vtutils/process_iterator.h"

// The tests' access to the private creation-time order.
class vtuProcessPeer {
 public:
  static long compare_process_time(DWORD a, DWORD b) { return vtuProcess::compare_process_time(a, b); }
};

namespace {

using vtutils::testing::open_descriptors;
using vtutils::testing::thread_states;

using namespace std::chrono_literals;
using ::testing::UnorderedElementsAre;
using vtutils::testing::HelperProcess;
using vtutils::testing::TempDir;

constexpr DWORD kNoSuchProcess = 0x7FFFFFF0;  // above any pid_max the kernel allows

std::vector<DWORD> walk(vtuProcessIterator& processes) {
  std::vector<DWORD> ids;
  for (DWORD id = processes.first(); id != 0; id = processes.next()) ids.push_back(id);
  return ids;
}

std::string str(const CString& text) { return static_cast<const char*>(text); }

bool contains(const std::vector<DWORD>& ids, DWORD id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

std::vector<DWORD> find_all(const char* name, bool all) {
  std::vector<DWORD> found;
  vtuProcess::find_processes(name, all,
                             [&found](vtuProcess process) { found.push_back(process.process_id()); });
  return found;
}

// Copies of the helper program under other names, started and ended with the fixture.
class NamedHelpers {
 public:
  // Starts a copy named `name` that sleeps for a minute.
  DWORD start(const std::string& name) {
    const std::string copy = folder_.file(name);
    std::filesystem::copy_file(vtutils::testing::kProcessHelper, copy);
    helpers_.push_back(std::make_unique<HelperProcess>(std::vector<std::string>{"sleep", "60000"}, copy));
    return helpers_.back()->id();
  }

 private:
  TempDir folder_;
  std::vector<std::unique_ptr<HelperProcess>> helpers_;
};

TEST(ProcessIterator, WalksOneSnapshotWithoutTheIdleProcess) {
  vtuProcessIterator processes;
  EXPECT_EQ(processes.next(), 0u) << "next before any first";
  EXPECT_EQ(processes.count(), 0u);

  auto early = std::make_unique<HelperProcess>(std::vector<std::string>{"sleep", "60000"});
  const DWORD ended = early->id();
  std::vector<DWORD> ids{processes.first()};
  // The system changes after first(); the walk goes on over the snapshot.
  early.reset();
  HelperProcess late({"sleep", "60000"});
  for (DWORD id = processes.next(); id != 0; id = processes.next()) ids.push_back(id);
  EXPECT_TRUE(contains(ids, ::getpid()));
  EXPECT_TRUE(contains(ids, ended));
  EXPECT_FALSE(contains(ids, late.id()));
  EXPECT_FALSE(contains(ids, 0));
  EXPECT_EQ(processes.count(), ids.size() + 1) << "the idle entry is counted, never returned";
  EXPECT_EQ(processes.next(), 0u) << "the end stays the end";

  // first() again takes a new snapshot.
  const auto again = walk(processes);
  EXPECT_FALSE(contains(again, ended));
  EXPECT_TRUE(contains(again, late.id()));
}

TEST(ProcessModuleIterator, ProcessThatCannotBeOpened) {
  for (const DWORD id : {0u, kNoSuchProcess, vtuProcess::kInvalidId}) {
    vtuProcessModuleIterator modules(id);
    EXPECT_EQ(modules.process_handle(), nullptr) << id;
    EXPECT_EQ(modules.first(), nullptr) << id;
    EXPECT_EQ(modules.next(), nullptr) << id;
    EXPECT_EQ(modules.count(), 0u) << id;
    EXPECT_EQ(modules.get_process_image_file_name(), "") << id;
  }
}

TEST(ProcessModuleIterator, ListsTheMainExecutableFirstAndOwnsItsHandle) {
  HANDLE lent = nullptr;
  {
    vtuProcessModuleIterator modules(::getpid());
    ASSERT_NE(modules.process_handle(), nullptr);
    EXPECT_EQ(modules.next(), nullptr) << "next before any first";
    EXPECT_EQ(modules.first(), GetModuleHandleA(nullptr));
    std::vector<HMODULE> walked{GetModuleHandleA(nullptr)};
    while (const HMODULE module = modules.next()) walked.push_back(module);
    EXPECT_EQ(walked.size(), modules.count());
    EXPECT_THAT(walked, ::testing::Contains(GetModuleHandleA("libc")));
    // A second first() restarts the walk.
    EXPECT_EQ(modules.first(), GetModuleHandleA(nullptr));
    EXPECT_EQ(str(modules.get_process_image_file_name()),
              std::filesystem::read_symlink("/proc/self/exe").string());
    lent = modules.process_handle();
  }
  // The iterator closed its handle; closing it again is refused.
  EXPECT_FALSE(CloseHandle(lent));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(Process, InvalidZeroAndMissingIds) {
  const vtuProcess invalid = vtuProcess::find_process("no process is called like this");
  EXPECT_FALSE(invalid.valid());
  EXPECT_EQ(invalid.process_id(), vtuProcess::kInvalidId);
  for (const DWORD id : {vtuProcess::kInvalidId, 0u, kNoSuchProcess}) {
    const vtuProcess process(id);
    EXPECT_EQ(process.valid(), id != vtuProcess::kInvalidId) << id;
    EXPECT_FALSE(process.exists()) << id;
    EXPECT_EQ(process.parent_id(), 0u) << id;
    EXPECT_TRUE(process.orphaned()) << id;
    EXPECT_EQ(process.main_module_base_name(), "") << id;
    EXPECT_EQ(process.main_module_file_name(), "") << id;
    process.suspend();  // nothing to stop, nothing happens
  }
}

TEST(Process, AnswersForARunningChild) {
  HelperProcess helper({"sleep", "60000"});
  const vtuProcess process(helper.id());
  EXPECT_TRUE(process.exists());
  EXPECT_EQ(process.parent_id(), static_cast<DWORD>(::getpid()));
  EXPECT_FALSE(process.orphaned());
  EXPECT_EQ(str(process.main_module_file_name()),
            std::filesystem::canonical(vtutils::testing::kProcessHelper).string());
  EXPECT_EQ(process.main_module_base_name(), "process_helper");

  helper.end();
  EXPECT_FALSE(process.exists());
  EXPECT_EQ(process.main_module_base_name(), "");
}

TEST(Process, TheFirstProcessHasNoParent) {
  // The first process of a system, and kernel threads, have no parent in our namespace.
  EXPECT_EQ(vtuProcess(1).parent_id(), 0u);
  EXPECT_TRUE(vtuProcess(1).orphaned());
}

// The order itself is the platform's creation times, tested with them.
TEST(Process, CreationOrderCountsAProcessThatCannotBeOpenedAsTheOldest) {
  HelperProcess older({"sleep", "60000"});
  std::this_thread::sleep_for(20ms);  // two clock ticks apart at 100 Hz
  HelperProcess younger({"sleep", "60000"});
  EXPECT_LT(vtuProcessPeer::compare_process_time(older.id(), younger.id()), 0);
  EXPECT_GT(vtuProcessPeer::compare_process_time(older.id(), kNoSuchProcess), 0);
  EXPECT_EQ(vtuProcessPeer::compare_process_time(0, kNoSuchProcess), 0);
}

TEST(Process, FindsExecutablesByNameWithUpToTwoMoreCharacters) {
  NamedHelpers helpers;
  const DWORD plain = helpers.start("vtfindme");
  const DWORD variant = helpers.start("VTFindMe64");
  const DWORD debug = helpers.start("vtfindme_d");
  helpers.start("vtfindmebox");   // three more characters
  helpers.start("vtfindme.com");  // four more
  helpers.start("vtfind");        // shorter than the name

  EXPECT_THAT(find_all("VtFindMe", true), UnorderedElementsAre(plain, variant, debug));
  // Without the find-all flag: the first match in process-list order (ascending ids) only.
  EXPECT_THAT(find_all("vtfindme", false),
              UnorderedElementsAre(std::min({plain, variant, debug})));
  EXPECT_EQ(vtuProcess::find_process("vtfindme").process_id(), std::min({plain, variant, debug}));
  EXPECT_FALSE(vtuProcess::find_process("vtfindmex_").valid());
  EXPECT_TRUE(find_all("findme", true).empty()) << "the name must start the file name";
}

TEST(Process, FillerCopiesShareTheCallable) {
  NamedHelpers helpers;
  helpers.start("vtfiller");
  int calls = 0;
  const coiFiller<vtuProcess> filler([&calls](vtuProcess) { ++calls; });
  vtuProcess::find_processes("vtfiller", true, filler);
  vtuProcess::find_processes("vtfiller", true, filler);
  EXPECT_EQ(calls, 2);
}

TEST(Process, SuspendStopsEveryThread) {
  HelperProcess single({"sleep", "60000"});
  HelperProcess threads({"main-thread-exit"});
  ASSERT_EQ(threads.read_pid(), threads.id());  // its main thread has exited, another runs on
  for (const DWORD id : {single.id(), threads.id()}) {
    vtuProcess(id).suspend();
    const std::string states = thread_states(static_cast<pid_t>(id));
    EXPECT_EQ(states.find_first_not_of("TZ"), std::string::npos) << id << ": " << states;
    ::kill(static_cast<pid_t>(id), SIGCONT);
  }
}

TEST(Process, QueriesLeaveNoDescriptorOpen) {
  HelperProcess helper({"sleep", "60000"});
  const std::size_t before = open_descriptors();
  for (const DWORD id : {helper.id(), static_cast<DWORD>(::getpid()), kNoSuchProcess, 1u}) {
    const vtuProcess process(id);
    process.exists();
    process.parent_id();
    process.orphaned();
    process.main_module_base_name();
    process.main_module_file_name();
  }
  find_all("process_helper", true);
  vtuProcessPeer::compare_process_time(helper.id(), 1);
  EXPECT_EQ(open_descriptors(), before);
}

TEST(Process, TimeStringIsAppendedWithoutSeparator) {
  CString text("abc");
  const std::time_t before = std::time(nullptr);
  vtuProcess::append_time_string(text);
  const std::time_t after = std::time(nullptr);
  const std::string appended = str(text);
  ASSERT_TRUE(std::regex_match(appended,
                               std::regex(R"(abc\d{4}\.\d\d\.\d\d \d\d-\d\d-\d\d\.\d{3})")))
      << appended;
  // The seconds are the local time of the call.
  bool matched = false;
  for (std::time_t t = before; t <= after; ++t) {
    char expected[32];
    std::strftime(expected, sizeof expected, "%Y.%m.%d %H-%M-%S", std::localtime(&t));
    matched = matched || appended.substr(3, 19) == expected;
  }
  EXPECT_TRUE(matched) << appended;
}

}  // namespace
