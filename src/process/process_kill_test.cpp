// Tests of the termination protocol and the lifetime log against real process trees of the
// helper program, with the log switched on in a registry and a state folder of the test's own.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "process/lifetime_log.h"
#include "testing/helper_process.h"
#include "testing/proc_stat.h"
#include "testing/scoped_env.h"
#include "testing/temp_dir.h"
#include "testing/unprivileged.h"
#include "vtutils/platform/settings.h"
#include "vtutils/platform/win32_types.h"
#include "vtutils/process.h"
#include "vtutils/process_kill_watch.h"

namespace {

using namespace std::chrono_literals;
using vtutils::lifetime_log_write;
using vtutils::testing::HelperProcess;
using vtutils::testing::ScopedEnv;
using vtutils::testing::TempDir;

// A registry and a state folder of the test's own, both open to every user so that a child
// that dropped root can log too; the log switch starts off.
class LifetimeLogTest : public ::testing::Test {
 protected:
  LifetimeLogTest() { std::filesystem::permissions(folder_.path(), std::filesystem::perms::all); }

  // Sets the switch value "Enabled" with `type` and `data`.
  void set_switch(DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Brennic\\VTLifeTimeManagerLog", 0,
                              nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, "Enabled", 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(key);
    // Readable by an unprivileged child as well.
    const auto store = folder_.path() / "config" / "vtutils";
    for (const auto& path : {store.parent_path(), store}) {
      std::filesystem::permissions(path, std::filesystem::perms::all);
    }
    std::filesystem::permissions(store / "registry.reg", std::filesystem::perms::owner_read |
                                                             std::filesystem::perms::owner_write |
                                                             std::filesystem::perms::others_read);
  }
  void switch_on() {
    const DWORD on = 1;
    set_switch(REG_DWORD, &on, sizeof on);
  }

  std::filesystem::path log_path() const {
    return folder_.path() / "state" / "vt_lifetime_manager_log.txt";
  }
  // The records of the log without their time stamps.
  std::vector<std::string> messages() const {
    std::vector<std::string> lines;
    std::istringstream text(vtutils::testing::read_file(log_path()));
    std::string line;
    const std::regex stamp(R"(\d{4}\.\d\d\.\d\d \d\d-\d\d-\d\d\.\d{3} (.*)\r)");
    while (std::getline(text, line)) {
      std::smatch match;
      EXPECT_TRUE(std::regex_match(line, match, stamp)) << line;
      lines.push_back(match[1]);
    }
    return lines;
  }

  TempDir folder_;
  ScopedEnv config_{"XDG_CONFIG_HOME", folder_.file("config")};
  ScopedEnv state_{"XDG_STATE_HOME", folder_.file("state")};
};

TEST_F(LifetimeLogTest, SwitchedOffUnlessANonZeroDword) {
  lifetime_log_write("no key\r\n");
  const DWORD zero = 0;
  set_switch(REG_DWORD, &zero, sizeof zero);
  lifetime_log_write("zero\r\n");
  set_switch(REG_SZ, "1", 2);
  lifetime_log_write("a string\r\n");
  EXPECT_FALSE(std::filesystem::exists(log_path()));

  switch_on();
  lifetime_log_write("first\r\n");
  lifetime_log_write("  second\r\n");
  EXPECT_EQ(messages(), (std::vector<std::string>{"first", "  second"}));
  // Switched off again, at once.
  set_switch(REG_DWORD, &zero, sizeof zero);
  lifetime_log_write("third\r\n");
  EXPECT_EQ(messages().size(), 2u);
}

TEST_F(LifetimeLogTest, ConcurrentProcessesNeitherLoseNorSplitRecords) {
  switch_on();
  std::vector<pid_t> writers;
  for (int writer = 0; writer < 8; ++writer) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      for (int record = 0; record < 1000; ++record) {
        lifetime_log_write(("writer " + std::to_string(writer) + " record " +
                            std::to_string(record) + "\r\n").c_str());
      }
      ::_exit(0);
    }
    writers.push_back(pid);
  }
  for (const pid_t pid : writers) ::waitpid(pid, nullptr, 0);
  const auto lines = messages();
  EXPECT_EQ(lines.size(), 8000u);
  for (const auto& line : lines) EXPECT_TRUE(line.starts_with("writer ")) << line;
}

TEST_F(LifetimeLogTest, ALinkInTheLogsPlaceIsNotFollowed) {
  switch_on();
  std::filesystem::create_directories(log_path().parent_path());
  const auto target = folder_.path() / "elsewhere";
  vtutils::testing::write_file(target, "kept");
  std::filesystem::create_symlink(target, log_path());
  lifetime_log_write("not here\r\n");
  EXPECT_EQ(vtutils::testing::read_file(target), "kept");
}

// The id of each process of a helper tree: the root, then its descendants as they print.
std::vector<DWORD> tree_ids(HelperProcess& tree, int count) {
  std::vector<DWORD> ids;
  for (int i = 0; i < count; ++i) ids.push_back(tree.read_pid());
  return ids;
}

bool gone(DWORD id) { return !vtuProcess(id).exists(); }

// Records what the protocol tells it, and asks to stop once `stop_after` processes are suspended.
class RecordingWatch : public vtuKillWatch {
 public:
  explicit RecordingWatch(std::size_t stop_after = SIZE_MAX) : stop_after_(stop_after) {}
  void suspended(DWORD id) override { suspended_ids.push_back(id); }
  void terminating(DWORD id) override { terminating_ids.push_back(id); }
  bool stop_requested() override { return suspended_ids.size() >= stop_after_; }

  std::vector<DWORD> suspended_ids;
  std::vector<DWORD> terminating_ids;

 private:
  std::size_t stop_after_;
};

// Reads one attempt of the protocol from `lines` at `at`, with the attempts for the children
// nested in it; the number of attempts read, or -1 when the lines do not have that shape.
int successful_attempts(const std::vector<std::string>& lines, std::size_t& at) {
  const auto next_is = [&](const char* start) {
    return at < lines.size() && lines[at].starts_with(start);
  };
  if (!next_is("Starting terminating process: ")) return -1;
  ++at;
  if (!next_is("  Searching child processes of process ")) return -1;
  ++at;
  int attempts = 1;
  while (next_is("Starting")) {
    const int nested = successful_attempts(lines, at);
    if (nested < 0) return -1;
    attempts += nested;
  }
  if (!next_is("  Killing process ")) return -1;
  ++at;
  if (!next_is("Ending terminating process: ") || !lines[at].ends_with("' res = success")) return -1;
  ++at;
  return attempts;
}

TEST_F(LifetimeLogTest, KillsChildrenDepthFirstThenTheTarget) {
  switch_on();
  // A root with two children, each with two children of its own.
  HelperProcess tree({"tree", "2", "2"});
  const auto ids = tree_ids(tree, 7);
  ASSERT_EQ(ids.front(), tree.id());
  // A watch that never asks to stop is told of every process and changes nothing of the log.
  RecordingWatch watch;
  {
    const vtuKillWatchScope watching(watch);
    EXPECT_TRUE(vtuProcess::kill(vtuProcess(tree.id()), 5000));
  }
  tree.reap();
  for (const DWORD id : ids) EXPECT_TRUE(gone(id)) << id;
  EXPECT_EQ(watch.suspended_ids.size(), 7u);
  EXPECT_EQ(watch.suspended_ids.front(), tree.id()) << "frozen from the top";
  ASSERT_EQ(watch.terminating_ids.size(), 7u);
  EXPECT_EQ(watch.terminating_ids.back(), tree.id()) << "ended from the leaves";

  const auto lines = messages();
  const std::string name = std::filesystem::canonical(vtutils::testing::kProcessHelper).string();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "Starting terminating process: '" + name + "'");
  EXPECT_EQ(lines.back(), "Ending terminating process: '" + name + "' res = success");
  // Seven attempts, each its start, its search, the whole attempts of its children, its kill and
  // its successful end: children are gone before their parent is killed.
  std::size_t at = 0;
  EXPECT_EQ(successful_attempts(lines, at), 7);
  EXPECT_EQ(at, lines.size());
}

TEST_F(LifetimeLogTest, AWatchThatAsksToStopLeavesTheRestAsItIs) {
  switch_on();
  // A root with two children; the stop comes once the root and its first child are suspended.
  HelperProcess tree({"tree", "2", "1"});
  const auto ids = tree_ids(tree, 3);
  RecordingWatch watch(2);
  {
    const vtuKillWatchScope watching(watch);
    EXPECT_FALSE(vtuProcess::kill(vtuProcess(tree.id()), 60000));
  }
  std::vector<std::string> states;
  for (const DWORD id : ids) {
    states.push_back(vtutils::testing::proc_stat_field(static_cast<pid_t>(id), 3));
  }
  // The helper's own end expects a chain, not a tree.
  for (const DWORD id : ids) ::kill(static_cast<pid_t>(id), SIGKILL);
  tree.reap();

  EXPECT_TRUE(watch.terminating_ids.empty()) << "nothing terminated";
  ASSERT_EQ(watch.suspended_ids.size(), 2u);
  EXPECT_EQ(watch.suspended_ids.front(), tree.id());
  for (std::size_t at = 0; at < ids.size(); ++at) {
    const bool told = std::find(watch.suspended_ids.begin(), watch.suspended_ids.end(),
                                ids[at]) != watch.suspended_ids.end();
    EXPECT_EQ(states[at], told ? "T" : "S")
        << ids[at] << ": suspended ones stay so for the watch to resume, the others run";
  }
  // The attempts stop at the step that was asked about: no kill, no end line, no second attempt.
  const auto lines = messages();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_TRUE(lines.back().starts_with("  Searching child processes of process ")) << lines.back();
}

// The target is a process of the test's own that belongs to another user than the caller: only
// root can arrange that.
using LifetimeLogAsRoot = LifetimeLogTest;

TEST_F(LifetimeLogAsRoot, AnotherUsersProcessIsGivenUp) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root: kills another user's process";
  switch_on();
  HelperProcess helper({"sleep", "60000"});
  const DWORD id = helper.id();
  std::filesystem::create_directories(log_path().parent_path());
  std::filesystem::permissions(log_path().parent_path(), std::filesystem::perms::all);
  const auto killed = vtutils::testing::run_unprivileged(
      [id] { return vtuProcess::kill(vtuProcess(id), 0); });
  EXPECT_EQ(killed, false);
  EXPECT_TRUE(vtuProcess(id).exists()) << "still there";
  int give_ups = 0;
  for (const auto& line : messages()) {
    give_ups += line ==
                "    The process has been found but we cannot get TERMINATE access to it, give up.";
  }
  EXPECT_EQ(give_ups, 2) << "two attempts";
}

TEST(ProcessKill, DumpsNextToTheExecutableWhereItCan) {
  TempDir folder;
  const std::string program = folder.file("dumped.bin");
  std::filesystem::copy_file(vtutils::testing::kProcessHelper, program);
  HelperProcess helper({"sleep", "60000"}, program);
  CString dump_path;
  EXPECT_TRUE(vtuProcess::kill_with_dump(vtuProcess(helper.id()), 5000, MiniDumpNormal, dump_path));
  helper.reap();
  // <executable without its extension><time stamp>.dmp
  const std::string path = static_cast<const char*>(dump_path);
  EXPECT_TRUE(std::regex_match(path, std::regex(std::filesystem::canonical(folder.path()).string() +
                                                R"(/dumped\d{4}\.\d\d\.\d\d \d\d-\d\d-\d\d\.\d{3}\.dmp)")))
      << path;
  EXPECT_EQ(vtutils::testing::read_file(path).substr(0, 4), "MDMP");

  // An unprivileged user's own process in a folder without write permission: killed, no dump.
  ASSERT_EQ(::chmod(folder.str().c_str(), 0555), 0);
  const auto answer = vtutils::testing::run_unprivileged([&program] {
    HelperProcess own({"sleep", "60000"}, program);
    CString no_dump("unchanged");
    const bool killed =
        vtuProcess::kill_with_dump(vtuProcess(own.id()), 5000, MiniDumpNormal, no_dump);
    own.reap();
    return killed && no_dump.IsEmpty();
  });
  EXPECT_EQ(answer, true);
}

TEST(ProcessKill, AWatchChoosesTheDumpsFileOrNone) {
  struct Chooser : vtuKillWatch {
    std::optional<CString> file;
    std::vector<std::pair<std::string, DWORD>> told;
    std::optional<CString> dump_file(const vtuProcess&) override { return file; }
    void dumped(const vtuProcess&, const CString& path, DWORD error) override {
      told.emplace_back(path.GetString(), error);
    }
  } chooser;
  TempDir folder;
  const std::string chosen = folder.file("chosen.dmp");
  const std::string unwritable = folder.file("missing/chosen.dmp");
  const std::vector<std::pair<std::optional<CString>, std::string>> cases = {
      {CString(chosen.c_str()), chosen}, {CString(unwritable.c_str()), ""}, {std::nullopt, ""}};
  for (const auto& [file, expected] : cases) {
    chooser.file = file;
    HelperProcess helper({"sleep", "60000"});
    CString dump_path("unchanged");
    {
      const vtuKillWatchScope watching(chooser);
      EXPECT_TRUE(
          vtuProcess::kill_with_dump(vtuProcess(helper.id()), 5000, MiniDumpNormal, dump_path));
    }
    helper.reap();
    EXPECT_EQ(std::string(dump_path), expected);
  }
  EXPECT_EQ(vtutils::testing::read_file(chosen).substr(0, 4), "MDMP");
  // Told of the written dump and of the failed one, not of the one it declined.
  ASSERT_EQ(chooser.told.size(), 2U);
  EXPECT_EQ(chooser.told[0], std::make_pair(chosen, DWORD{ERROR_SUCCESS}));
  EXPECT_EQ(chooser.told[1].first, "");
  EXPECT_NE(chooser.told[1].second, DWORD{ERROR_SUCCESS});
}

TEST(ProcessKill, InvalidGoneAndCallingProcess) {
  EXPECT_TRUE(vtuProcess::kill(vtuProcess(vtuProcess::kInvalidId), 0));
  HelperProcess done({"exit"});
  done.reap();
  EXPECT_TRUE(vtuProcess::kill(vtuProcess(done.id()), 0)) << "nothing left to kill";

  // A child of the target that runs the protocol is not killed, and ends its parent.
  const pid_t target = ::fork();
  if (target == 0) {
    const pid_t caller = ::fork();
    if (caller == 0) {
      const bool killed = vtuProcess::kill(vtuProcess(static_cast<DWORD>(::getppid())), 5000);
      ::_exit(killed ? 0 : 1);
    }
    int status = 0;
    ::waitpid(caller, &status, 0);  // never returns: the caller kills this process first
    ::_exit(3);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(target, &status, 0), target);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
  EXPECT_FALSE(vtuProcess::kill(vtuProcess(GetCurrentProcessId()), 0)) << "never itself";
}

}  // namespace
