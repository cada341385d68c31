// Tests of CreatePipe, CreateProcessA and WaitForSingleObject against real processes: what the
// child receives (standard handles, arguments, folder, environment, session, signals), how
// launches fail, and that the caller is left with neither zombies nor descriptors.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <future>
#include <map>
#include <sstream>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "testing/descriptors.h"
#include "testing/helper_process.h"
#include "testing/temp_dir.h"
#include "vtplatform/win32/error.h"
#include "vtplatform/win32/file.h"
#include "vtplatform/win32/handle.h"
#include "vtplatform/win32/pipe.h"
#include "vtplatform/win32/process.h"
#include "vtplatform/win32/process_launch.h"
#include "vtplatform/win32/synch.h"
#include "win32/launch/pipe_object.h"

namespace {

using vtutils::testing::open_descriptors;

using namespace std::chrono_literals;
using vtutils::testing::kProcessHelper;
using vtutils::testing::TempDir;

// The helper's path quoted for a command line.
std::string quoted(const std::string& path) { return "'" + path + "'"; }

// A launch as the library makes it: standard input from one pipe, standard output and error to
// another; the test keeps the read end of the output and closes the rest.
struct Launch {
  BOOL started = FALSE;
  DWORD error = 0;
  PROCESS_INFORMATION info{};
  HANDLE output = nullptr;

  explicit Launch(std::string command_line, const char* directory = nullptr,
                  const char* environment = nullptr, const char* application = nullptr) {
    HANDLE input_read, input_write, output_write;
    EXPECT_TRUE(CreatePipe(&input_read, &input_write, nullptr, 0));
    EXPECT_TRUE(CreatePipe(&output, &output_write, nullptr, 0));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    startup.hStdInput = input_read;
    startup.hStdOutput = output_write;
    startup.hStdError = output_write;
    started = CreateProcessA(application, command_line.data(), nullptr, nullptr, TRUE,
                             DETACHED_PROCESS, const_cast<char*>(environment), directory,
                             &startup, &info);
    error = GetLastError();
    for (HANDLE end : {input_read, input_write, output_write}) EXPECT_TRUE(CloseHandle(end));
  }
  ~Launch() {
    CloseHandle(output);
    if (started) {
      EXPECT_TRUE(CloseHandle(info.hThread));
      EXPECT_TRUE(CloseHandle(info.hProcess));
    }
  }

  // Everything the child writes, up to its end.
  std::string read_output() const {
    std::string text;
    char buffer[512];
    ssize_t got;
    while ((got = ::read(vtplatform::pipe_descriptor(output), buffer, sizeof buffer)) > 0) {
      text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
  }
};

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
       start = end + 1) {
    result.push_back(text.substr(start, end - start));
  }
  return result;
}

// The "name=value" fields of the helper's description line.
std::map<std::string, std::string> fields(const std::string& line) {
  std::map<std::string, std::string> result;
  std::istringstream words(line);
  for (std::string word; words >> word;) {
    const auto equals = word.find('=');
    result[word.substr(0, equals)] = word.substr(equals + 1);
  }
  return result;
}

TEST(CreateProcessA, ChildGetsPipesANewSessionAndNothingElse) {
  // What the child must not inherit: a descriptor without close-on-exec, a blocked signal.
  const int stray = ::open("/dev/null", O_RDONLY);
  sigset_t usr1, old_mask;
  ::sigemptyset(&usr1);
  ::sigaddset(&usr1, SIGUSR1);
  ::pthread_sigmask(SIG_BLOCK, &usr1, &old_mask);
  struct sigaction child_action_before {}, child_action_after {};
  ::sigaction(SIGCHLD, nullptr, &child_action_before);

  Launch launch(quoted(kProcessHelper) + " stdio");
  ::pthread_sigmask(SIG_SETMASK, &old_mask, nullptr);
  ::close(stray);
  ASSERT_TRUE(launch.started) << launch.error;
  const auto output = lines(launch.read_output());
  ASSERT_FALSE(output.empty());
  auto report = fields(output[0]);
  EXPECT_EQ(report["0"], "pipe");
  EXPECT_EQ(report["1"], "pipe");
  EXPECT_EQ(report["2"], "pipe");
  EXPECT_EQ(report["fds"], "0,1,2");
  EXPECT_EQ(report["sigpipe"], "ignored");
  EXPECT_EQ(report["blocked"], "none");
  EXPECT_EQ(report["pid"], std::to_string(launch.info.dwProcessId));
  // A new session that the child does not lead, so it can never get a controlling terminal.
  EXPECT_EQ(report["tty"], "none");
  EXPECT_NE(report["sid"], std::to_string(::getsid(0)));
  EXPECT_NE(report["sid"], report["pid"]);
  EXPECT_EQ(launch.info.dwThreadId, launch.info.dwProcessId);

  EXPECT_EQ(WaitForSingleObject(launch.info.hProcess, INFINITE), WAIT_OBJECT_0);
  ::sigaction(SIGCHLD, nullptr, &child_action_after);
  EXPECT_EQ(child_action_after.sa_handler, child_action_before.sa_handler);
}

TEST(CreateProcessA, ArgumentsFoldersAndEnvironment) {
  TempDir temp;
  const std::string folder = temp.file("run here");
  std::filesystem::create_directory(folder);
  const std::string program = temp.file("helper copy");
  std::filesystem::copy_file(kProcessHelper, program);
  // Relative to the caller's folder; from the child's working folder it would name nothing.
  const std::string relative =
      std::filesystem::relative(program, std::filesystem::current_path()).string();
  ASSERT_NE(relative.find('/'), std::string::npos);

  Launch launch(quoted(relative) + " stdio \"a  b\" '$HOME' \\* ~ 'it'\\''s' \"\"", folder.c_str());
  ASSERT_TRUE(launch.started) << launch.error;
  const std::vector<std::string> expected{
      std::filesystem::canonical(folder).string(), "a  b", "$HOME", "*", "~", "it's", ""};
  auto output = lines(launch.read_output());
  ASSERT_FALSE(output.empty());
  EXPECT_EQ(std::vector<std::string>(output.begin() + 1, output.end()), expected);

  // A program name given apart: the command line is the whole argument vector, and the name is
  // never searched for on PATH.
  Launch named("any-name stdio x", nullptr, nullptr, program.c_str());
  ASSERT_TRUE(named.started) << named.error;
  output = lines(named.read_output());
  ASSERT_EQ(output.size(), 3u);
  EXPECT_EQ(output[2], "x");
  Launch unsearched("env", nullptr, nullptr, "env");
  EXPECT_FALSE(unsearched.started);
  EXPECT_EQ(unsearched.error, ERROR_FILE_NOT_FOUND);

  // A program found on PATH, with an environment block of its own.
  Launch env("env", nullptr, "A=1\0B=two words\0\0");
  ASSERT_TRUE(env.started) << env.error;
  EXPECT_EQ(env.read_output(), "A=1\nB=two words\n");
}

TEST(CreateProcessA, StandardHandlesFromFilesOrNull) {
  TempDir temp;
  const std::string log = temp.file("log");
  HANDLE file = CreateFileA(log.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  std::string command_line = quoted(kProcessHelper) + " stdio";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = file;
  startup.hStdError = INVALID_HANDLE_VALUE;
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &info));
  EXPECT_TRUE(CloseHandle(file));  // the child keeps its own copy
  EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(vtutils::testing::read_file(log).substr(0, 20), "0=null 1=file 2=null");
  EXPECT_TRUE(CloseHandle(info.hProcess));
  EXPECT_TRUE(CloseHandle(info.hThread));

  // A handle that names no pipe or file is refused rather than replaced.
  startup.hStdOutput = info.hThread;
  EXPECT_FALSE(CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &info));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(CreateProcessA, FailuresLeaveNoProcessAndNoDescriptor) {
  TempDir temp;
  const std::string script = temp.file("no-interpreter");
  vtutils::testing::write_file(script, "not a program\n");
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  const std::string helper = quoted(kProcessHelper) + " stdio";
  const std::size_t descriptors = open_descriptors();
  const struct {
    std::string command_line;
    std::string directory;  // empty: the caller's
    DWORD error;
  } cases[] = {
      {"no-such-program-anywhere", "", ERROR_FILE_NOT_FOUND},
      {"/no/such/folder/program", "", ERROR_PATH_NOT_FOUND},
      {temp.str(), "", ERROR_ACCESS_DENIED},
      {"'open quote", "", ERROR_INVALID_PARAMETER},
      {"  ", "", ERROR_INVALID_PARAMETER},
      {helper, temp.file("missing"), ERROR_DIRECTORY},
      {helper, script, ERROR_DIRECTORY},       // a file, not a folder
      {quoted(script), "", ERROR_BAD_EXE_FORMAT},  // execve fails with ENOEXEC
  };
  for (const auto& failure : cases) {
    Launch launch(failure.command_line, failure.directory.c_str());
    EXPECT_FALSE(launch.started) << failure.command_line;
    EXPECT_EQ(launch.error, failure.error) << failure.command_line;
    EXPECT_EQ(launch.info.hProcess, nullptr);
    EXPECT_EQ(launch.info.hThread, nullptr);
  }
  EXPECT_EQ(open_descriptors(), descriptors);
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST(CreateProcessA, ChildrenAreNeverTheCallersToReap) {
  const std::size_t descriptors = open_descriptors();
  DWORD last_id = 0;
  for (int i = 0; i < 40; ++i) {
    Launch launch(quoted(kProcessHelper) + " exit");
    ASSERT_TRUE(launch.started) << launch.error;
    EXPECT_EQ(WaitForSingleObject(launch.info.hProcess, INFINITE), WAIT_OBJECT_0);
    last_id = launch.info.dwProcessId;
  }
  EXPECT_EQ(open_descriptors(), descriptors);
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
  // Whoever adopted the last child reaps it, unless that is an init that never reaps, as in
  // some containers: then the child stays a zombie, which is the environment's fault, not ours.
  const std::string entry = "/proc/" + std::to_string(last_id);
  for (auto deadline = std::chrono::steady_clock::now() + 20s;
       std::filesystem::exists(entry) && std::chrono::steady_clock::now() < deadline;) {
    std::this_thread::sleep_for(20ms);
  }
  if (!std::filesystem::exists(entry)) return;
  // The fields after the command name: state, then parent.
  const std::string stat = vtutils::testing::read_file(entry + "/stat");
  std::istringstream fields_after_name(stat.substr(stat.rfind(')') + 1));
  char state = '?';
  pid_t parent = 0;
  fields_after_name >> state >> parent;
  EXPECT_NE(parent, ::getpid());
  if (state == 'Z') GTEST_SKIP() << "process " << parent << " adopted a child and never reaps it";
  ADD_FAILURE() << "the child still runs, in state " << state;
}

// Sets SIGCHLD's disposition in the test process, and restores the old one when it goes.
class SigchldDisposition {
 public:
  explicit SigchldDisposition(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    ::sigaction(SIGCHLD, &action, &old_);
  }
  SigchldDisposition(const SigchldDisposition&) = delete;
  SigchldDisposition& operator=(const SigchldDisposition&) = delete;
  ~SigchldDisposition() { ::sigaction(SIGCHLD, &old_, nullptr); }

 private:
  struct sigaction old_ {};
};

TEST(CreateProcessA, AnswersHoldWhenTheCallerIgnoresSigchld) {
  // With SIGCHLD ignored the kernel reaps exited children at once; a launch must still pin a
  // child that exits or fails immediately until it has its answer.
  TempDir temp;
  const std::string script = temp.file("no-interpreter");
  vtutils::testing::write_file(script, "not a program\n");
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  const SigchldDisposition ignored(SIG_IGN);
  for (int i = 0; i < 100; ++i) {
    Launch quick(quoted(kProcessHelper) + " exit");
    ASSERT_TRUE(quick.started) << quick.error;
    EXPECT_EQ(WaitForSingleObject(quick.info.hProcess, INFINITE), WAIT_OBJECT_0);
    Launch unrunnable(quoted(script));
    ASSERT_FALSE(unrunnable.started);
    ASSERT_EQ(unrunnable.error, ERROR_BAD_EXE_FORMAT);
  }
}

// Processes forked from the test that only sleep, holding copies of every descriptor the test
// had open at the time; killed and reaped when this goes.
class Sleepers {
 public:
  Sleepers() = default;
  Sleepers(const Sleepers&) = delete;
  Sleepers& operator=(const Sleepers&) = delete;
  ~Sleepers() {
    for (const pid_t pid : pids_) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
    }
  }

  void fork_one() {
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::sleep(30);
      ::_exit(0);
    }
    if (pid > 0) pids_.push_back(pid);
  }

 private:
  std::vector<pid_t> pids_;
};

TEST(CreateProcessA, AForkElsewhereDoesNotHoldUpALaunch) {
  // Another thread of the application forks without executing while launches run; its
  // processes copy whatever descriptors the launches have open at that moment.
  std::future<void> launches;  // destroyed last: it waits for the launches to end
  Sleepers sleepers;
  std::jthread forker([&sleepers](std::stop_token stop) {
    for (int i = 0; i < 200 && !stop.stop_requested(); ++i) {
      sleepers.fork_one();
      std::this_thread::sleep_for(1ms);
    }
  });
  launches = std::async(std::launch::async, [] {
    for (int i = 0; i < 20; ++i) {
      Launch launch(quoted(kProcessHelper) + " exit");
      EXPECT_TRUE(launch.started) << launch.error;
    }
  });
  // Generous: this catches a launch waiting for the sleepers, not a slow one.
  EXPECT_EQ(launches.wait_for(10s), std::future_status::ready);
}

TEST(CreateProcessA, ConcurrentLaunchesAllFinish) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < 10; ++i) {
        Launch launch(quoted(kProcessHelper) + " stdio");
        EXPECT_TRUE(launch.started) << launch.error;
        EXPECT_NE(launch.read_output().find(" fds=0,1,2\n"), std::string::npos);
      }
    });
  }
  for (auto& thread : threads) thread.join();
}

TEST(WaitForSingleObject, TimesOutThenSignals) {
  Launch launch(quoted(kProcessHelper) + " sleep 300");
  ASSERT_TRUE(launch.started) << launch.error;
  EXPECT_EQ(WaitForSingleObject(launch.info.hProcess, 0), WAIT_TIMEOUT);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(WaitForSingleObject(launch.info.hProcess, 50), WAIT_TIMEOUT);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);
  EXPECT_EQ(WaitForSingleObject(launch.info.hProcess, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(launch.info.hProcess, 0), WAIT_OBJECT_0);  // and stays so

  // Whoever holds a process handle may wait on it, as whoever holds a pidfd may poll it.
  HANDLE terminate_only = OpenProcess(PROCESS_TERMINATE, FALSE, GetCurrentProcessId());
  ASSERT_NE(terminate_only, nullptr);
  EXPECT_EQ(WaitForSingleObject(terminate_only, 0), WAIT_TIMEOUT);
  EXPECT_TRUE(CloseHandle(terminate_only));
  for (HANDLE unwaitable : {launch.info.hThread, launch.output, terminate_only}) {
    EXPECT_EQ(WaitForSingleObject(unwaitable, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  }
}

}  // namespace
