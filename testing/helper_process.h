// HelperProcess: one started copy of the process helper program (testing/process_helper.cpp),
// with its standard output on a pipe, ended and reaped when the object goes. Process tests use it
// to have real processes to list, open and look into.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <string>
#include <vector>

namespace vtutils::testing {

// The helper program that the build made; tests copy it under other names.
inline constexpr const char* kProcessHelper = VTUTILS_PROCESS_HELPER;

class HelperProcess {
 public:
  // Starts `program` with `args` ("sleep MS", "chain DEPTH", "exit", "main-thread-exit",
  // "threads N"; see process_helper.cpp).
  explicit HelperProcess(const std::vector<std::string>& args,
                         const std::string& program = kProcessHelper);
  HelperProcess(const HelperProcess&) = delete;
  HelperProcess& operator=(const HelperProcess&) = delete;
  // Ends the helper and the chain below it.
  ~HelperProcess();

  unsigned id() const { return static_cast<unsigned>(pid_); }

  // The next process id that the helper prints; 0 at the end of its output.
  unsigned read_pid();

  // Kills the helper if it still runs and reaps it.
  void end();
  // Waits for the helper to end by itself.
  void reap();

 private:
  pid_t pid_ = -1;
  FILE* output_ = nullptr;
  std::vector<pid_t> printed_;
  bool reaped_ = false;
};

}  // namespace vtutils::testing
