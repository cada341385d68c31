// Running the save helper program (save_helper.cpp) with one of its system calls made to fail by
// the fault shim (fault_shim.cpp), or killing it while it saves, for the save fault tests.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace vtutils::testing {

// The programs that the build made.
inline constexpr const char* kSaveHelper = VTUTILS_SAVE_HELPER;
inline constexpr const char* kFaultShim = VTUTILS_FAULT_SHIM;

// The save helper's exit code for a save that reported failure.
inline constexpr int kSaveFailed = 3;

// The call to fail: the `nth` call of the family `calls` ("write", "sync", "rename" or "open")
// on `folder` or a file in it, failed with `error`. With `nth` 0 none fails and calls are only
// counted.
struct Fault {
  std::string calls;
  long nth = 0;
  int error = 0;
  std::filesystem::path folder;
};

struct FaultRun {
  int status = -1;                 // as waitpid gives it
  long counted = 0;                // the calls of the family on the folder
  std::filesystem::path failed_on;  // the file or folder of the failed call; empty if none failed
};

// Runs the save helper with `args` under `fault` and waits for it to end.
FaultRun run_save_helper(const std::vector<std::string>& args, const Fault& fault = {});

// Starts the save helper with `args` in its repeat mode, lets it save for `run_for` after it has
// started, then kills it with SIGKILL and reaps it.
void kill_save_helper(const std::vector<std::string>& args, std::chrono::microseconds run_for);

}  // namespace vtutils::testing
