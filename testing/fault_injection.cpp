// Starting the save helper under the fault shim, and killing it while it saves.
#include "testing/fault_injection.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cerrno>
#include <fstream>
#include <string_view>
#include <thread>

#include "testing/temp_dir.h"

extern char** environ;

namespace vtutils::testing {
namespace {

// The test's environment with `settings` ("NAME=value") in place of the variables they name.
std::vector<std::string> environment_with(const std::vector<std::string>& settings) {
  std::vector<std::string> environment(settings);
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view variable = *entry;
    const bool replaced = std::any_of(settings.begin(), settings.end(), [&](const auto& setting) {
      return variable.substr(0, variable.find('=')) == setting.substr(0, setting.find('='));
    });
    if (!replaced) environment.emplace_back(variable);
  }
  return environment;
}

// Starts the save helper with `args` and `environment`, its standard output on `output` unless
// that is -1; its process id, or -1.
pid_t spawn_helper(const std::vector<std::string>& args,
                   const std::vector<std::string>& environment, int output = -1) {
  const auto pointers = [](const std::vector<std::string>& strings) {
    std::vector<char*> list;
    for (const auto& string : strings) list.push_back(const_cast<char*>(string.c_str()));
    list.push_back(nullptr);
    return list;
  };
  std::vector<std::string> argv{kSaveHelper};
  argv.insert(argv.end(), args.begin(), args.end());
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  if (output >= 0) ::posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
  pid_t pid = -1;
  if (::posix_spawn(&pid, kSaveHelper, &actions, nullptr, pointers(argv).data(),
                    pointers(environment).data()) != 0) {
    pid = -1;
  }
  ::posix_spawn_file_actions_destroy(&actions);
  return pid;
}

int wait_for(pid_t pid) {
  int status = -1;
  if (pid > 0) ::waitpid(pid, &status, 0);
  return status;
}

}  // namespace

FaultRun run_save_helper(const std::vector<std::string>& args, const Fault& fault) {
  const TempDir reports;
  const std::string report = reports.file("report");
  const char* sanitizer_options = ::getenv("ASAN_OPTIONS");
  const std::vector<std::string> settings{
      std::string("LD_PRELOAD=") + kFaultShim,
      // An ASan build wants its runtime first among the libraries; the shim only passes calls
      // on, so it may come before it.
      std::string("ASAN_OPTIONS=") + (sanitizer_options != nullptr ? sanitizer_options : "") +
          ":verify_asan_link_order=0",
      "VT_FAULT_FOLDER=" + fault.folder.string(),
      "VT_FAULT_CALLS=" + fault.calls,
      "VT_FAULT_NTH=" + std::to_string(fault.nth),
      "VT_FAULT_ERRNO=" + std::to_string(fault.error),
      "VT_FAULT_REPORT=" + report,
  };
  FaultRun run;
  run.status = wait_for(spawn_helper(args, environment_with(settings)));
  std::ifstream lines(report);
  std::string counted, failed_on;
  std::getline(lines, counted);
  std::getline(lines, failed_on);
  run.counted = std::atol(counted.c_str());
  run.failed_on = failed_on;
  return run;
}

void kill_save_helper(const std::vector<std::string>& args, std::chrono::microseconds run_for) {
  int pipe_fds[2];
  if (::pipe2(pipe_fds, O_CLOEXEC) != 0) return;
  std::vector<std::string> repeating(args);
  repeating.emplace_back("repeat");
  const pid_t pid = spawn_helper(repeating, environment_with({}), pipe_fds[1]);
  ::close(pipe_fds[1]);
  // The helper writes a line when it starts saving.
  char started = 0;
  while (pid > 0 && ::read(pipe_fds[0], &started, 1) < 0 && errno == EINTR) {
  }
  ::close(pipe_fds[0]);
  std::this_thread::sleep_for(run_for);
  if (pid > 0) ::kill(pid, SIGKILL);
  wait_for(pid);
}

}  // namespace vtutils::testing
