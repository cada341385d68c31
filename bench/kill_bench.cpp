// Ending a process tree and writing minidumps. BM_KillTree kills a tree of helper processes
// (`tree 4 3`: 85 processes) with vtuProcess::kill and reports the wall time beside the 200 ms
// sleeps that the protocol makes after each process it ends; its argument is a number of idle
// processes started beside the tree, since every child search looks at every process of the
// machine. BM_Minidump writes dumps of a helper
// with three extra threads (`threads 3`), with the stacks only and with all of its memory, and
// reports their size. bench/ratios.py prints the figures.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "vtutils/process.h"

namespace {

constexpr const char* kHelper = VTUTILS_PROCESS_HELPER;
// The sleep after each ended process: wait_for_process_exit polls every 200 ms, at least once.
constexpr double kPollSeconds = 0.2;

// One started helper with its standard output on a pipe; killed and reaped when it goes.
class Helper {
 public:
  explicit Helper(std::vector<std::string> args) {
    int pipe_ends[2];
    if (::pipe2(pipe_ends, O_CLOEXEC) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(pipe_ends[1], STDOUT_FILENO);
      std::vector<char*> argv{const_cast<char*>(kHelper)};
      for (std::string& arg : args) argv.push_back(arg.data());
      argv.push_back(nullptr);
      ::execv(kHelper, argv.data());
      ::_exit(127);
    }
    ::close(pipe_ends[1]);
    output_ = ::fdopen(pipe_ends[0], "r");
  }
  Helper(const Helper&) = delete;
  Helper& operator=(const Helper&) = delete;
  ~Helper() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (output_ != nullptr) std::fclose(output_);
  }

  DWORD id() const { return static_cast<DWORD>(pid_); }

  // Reads the pids the helper's processes print, one a line, until `count` have come; how many
  // came before the output ended.
  int read_pids(int count) {
    int read = 0;
    unsigned pid = 0;
    while (read < count && output_ != nullptr && std::fscanf(output_, "%u", &pid) == 1) ++read;
    return read;
  }

 private:
  pid_t pid_ = -1;
  std::FILE* output_ = nullptr;
};

using Clock = std::chrono::steady_clock;

// Idle child processes that wait for SIGKILL; killed and reaped when the object goes.
class IdleProcesses {
 public:
  explicit IdleProcesses(int count) {
    for (int i = 0; i < count; ++i) {
      const pid_t pid = ::fork();
      if (pid == 0) {
        for (;;) ::pause();
      }
      if (pid > 0) pids_.push_back(pid);
    }
  }
  IdleProcesses(const IdleProcesses&) = delete;
  IdleProcesses& operator=(const IdleProcesses&) = delete;
  ~IdleProcesses() {
    for (const pid_t pid : pids_) ::kill(pid, SIGKILL);
    for (const pid_t pid : pids_) ::waitpid(pid, nullptr, 0);
  }

 private:
  std::vector<pid_t> pids_;
};

// The number of processes under /proc.
int listed_processes() {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    count += name.find_first_not_of("0123456789") == std::string::npos;
  }
  return count;
}

void BM_KillTree(benchmark::State& state) {
  constexpr int kProcesses = 85;  // 1 + 4 + 16 + 64
  const IdleProcesses others(static_cast<int>(state.range(0)));
  bool all_killed = true;
  int listed = 0;
  for (auto _ : state) {
    Helper tree({"tree", "4", "3"});
    if (tree.read_pids(kProcesses) != kProcesses) {
      state.SkipWithError("the helper tree did not start");
      return;
    }
    listed = listed_processes();
    const Clock::time_point start = Clock::now();
    all_killed &= vtuProcess::kill(vtuProcess(tree.id()), 5000);
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
  if (!all_killed) state.SkipWithError("kill left a process of the tree");
  state.counters["processes"] = kProcesses;
  state.counters["listed"] = listed;
  state.counters["sleep_seconds"] = kProcesses * kPollSeconds;
}
BENCHMARK(BM_KillTree)
    ->ArgName("others")
    ->Arg(0)
    ->Arg(200)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);

// Arg: the dump type.
void BM_Minidump(benchmark::State& state) {
  Helper helper({"threads", "3"});
  if (helper.read_pids(1) != 1) {
    state.SkipWithError("the helper did not start");
    return;
  }
  const vtuProcess process(helper.id());
  const auto type = static_cast<MINIDUMP_TYPE>(state.range(0));
  std::uintmax_t size = 0;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    const CString path = process.create_minidump(type);
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    if (path.IsEmpty()) {
      state.SkipWithError("no dump was written");
      return;
    }
    size = std::filesystem::file_size(path.GetString());
    std::filesystem::remove(path.GetString());
  }
  state.counters["bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_Minidump)
    ->ArgName("type")
    ->Arg(MiniDumpNormal)
    ->Arg(MiniDumpWithFullMemory)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

}  // namespace
