// Starting, reading and ending helper processes.
#include "testing/helper_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vtutils::testing {

HelperProcess::HelperProcess(const std::vector<std::string>& args, const std::string& program) {
  int pipe_fds[2];
  if (::pipe2(pipe_fds, O_CLOEXEC) != 0) return;
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  if (::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
    pid_ = -1;
  }
  ::posix_spawn_file_actions_destroy(&actions);
  ::close(pipe_fds[1]);
  output_ = ::fdopen(pipe_fds[0], "r");
}

HelperProcess::~HelperProcess() {
  if (!printed_.empty() && printed_.back() != pid_) {
    // Each level of a chain reaps the one below it and then exits, so ending the deepest ends
    // them all without leaving a zombie behind.
    ::kill(printed_.back(), SIGKILL);
    reap();
  }
  end();
  if (output_ != nullptr) std::fclose(output_);
}

unsigned HelperProcess::read_pid() {
  int value = 0;
  if (output_ == nullptr || std::fscanf(output_, "%d", &value) != 1) return 0;
  printed_.push_back(value);
  return static_cast<unsigned>(value);
}

void HelperProcess::end() {
  if (pid_ <= 0 || reaped_) return;
  ::kill(pid_, SIGKILL);
  reap();
}

void HelperProcess::reap() {
  int status = 0;
  ::waitpid(pid_, &status, 0);
  reaped_ = true;
}

}  // namespace vtutils::testing
