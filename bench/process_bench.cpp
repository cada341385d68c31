// Listing the machine's processes: find_processes with a name that nothing has, which reads the
// main module of every process in the list, and one walk of vtuProcessIterator, which only takes
// the list of ids. Both report their cost per listed process; bench/ratios.py sets the figures
// beside pgrep's.
#include <benchmark/benchmark.h>

#include "vtutils/process.h"
#include "vtutils/process_iterator.h"

namespace {

// An executable name that no process has, so that every process is read and none is reported.
constexpr const char* kNoSuchName = "vtutils_no_such_process";

// The processes one walk of the iterator returns.
int listed_processes() {
  vtuProcessIterator processes;
  int listed = 0;
  for (DWORD id = processes.first(); id != 0; id = processes.next()) ++listed;
  return listed;
}

// "processes" is the size of the list, taken once before the runs; "per_process" is the wall
// time of one run divided by it, in seconds (the console shows it with an SI prefix).
void set_counters(benchmark::State& state, int processes) {
  state.counters["processes"] = processes;
  state.counters["per_process"] = benchmark::Counter(
      processes, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_FindProcessesNoMatch(benchmark::State& state) {
  const int processes = listed_processes();
  int matches = 0;
  for (auto _ : state) {
    vtuProcess::find_processes(kNoSuchName, true, [&matches](vtuProcess) { ++matches; });
  }
  if (matches != 0) state.SkipWithError("a process has the name that nothing should have");
  set_counters(state, processes);
}
BENCHMARK(BM_FindProcessesNoMatch)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ProcessIteratorWalk(benchmark::State& state) {
  const int processes = listed_processes();
  for (auto _ : state) benchmark::DoNotOptimize(listed_processes());
  set_counters(state, processes);
}
BENCHMARK(BM_ProcessIteratorWalk)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
