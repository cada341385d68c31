// GetProcessTimes from /proc/PID/stat, and CompareFileTime.
//
// A creation time is the boot time plus the process's start in clock ticks, converted without
// rounding to whole seconds, so that two processes started within one second still compare in
// the order in which they started.
#include <unistd.h>

#include <cstdint>
#include <optional>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/process.h"
#include "win32/process/process_object.h"
#include "win32/process/process_stat_linux.h"

namespace vtplatform {
namespace {

constexpr std::uint64_t kIntervalsPerSecond = 10'000'000;            // FILETIME counts 100 ns
constexpr std::uint64_t kSecondsFrom1601To1970 = 11'644'473'600;

std::uint64_t ticks_to_intervals(std::uint64_t ticks) {
  static const auto ticks_per_second = static_cast<std::uint64_t>(::sysconf(_SC_CLK_TCK));
  return ticks * kIntervalsPerSecond / ticks_per_second;
}

FILETIME to_filetime(std::uint64_t intervals) {
  return FILETIME{static_cast<DWORD>(intervals), static_cast<DWORD>(intervals >> 32)};
}

std::uint64_t from_filetime(const FILETIME& time) {
  return std::uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime;
}

// The process that `handle` names and its current stat; the pseudo handle of the calling process
// is accepted as Windows accepts it. Sets the last error and gives nothing on failure.
std::optional<ProcessStat> stat_for_handle(HANDLE handle) {
  if (handle == GetCurrentProcess()) {
    auto own = read_process_stat(::getpid());
    if (!own) return std::nullopt;
    return *std::move(own);
  }
  const auto process = find_handle_as<ProcessObject>(handle);
  if (!process) {
    SetLastError(ERROR_INVALID_HANDLE);
    return std::nullopt;
  }
  constexpr ACCESS_MASK kQuery = PROCESS_QUERY_INFORMATION | PROCESS_QUERY_LIMITED_INFORMATION;
  if ((process->access() & kQuery) == 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return std::nullopt;
  }
  // After the process is reaped its id may name another process, told apart by its start.
  auto stat = read_process_stat(process->pid());
  if (!stat || stat->start_ticks != process->start_ticks()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return std::nullopt;
  }
  return *std::move(stat);
}

}  // namespace
}  // namespace vtplatform

BOOL GetProcessTimes(HANDLE process, FILETIME* creation_time, FILETIME* exit_time,
                     FILETIME* kernel_time, FILETIME* user_time) {
  using namespace vtplatform;
  if (!creation_time || !exit_time || !kernel_time || !user_time) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const auto stat = stat_for_handle(process);
  if (!stat) return FALSE;
  const auto boot = boot_time();
  if (!boot) {
    SetLastError(ERROR_GEN_FAILURE);
    return FALSE;
  }
  *creation_time = to_filetime((*boot + kSecondsFrom1601To1970) * kIntervalsPerSecond +
                               ticks_to_intervals(stat->start_ticks));
  *exit_time = to_filetime(0);
  *kernel_time = to_filetime(ticks_to_intervals(stat->kernel_ticks));
  *user_time = to_filetime(ticks_to_intervals(stat->user_ticks));
  return TRUE;
}

LONG CompareFileTime(const FILETIME* first, const FILETIME* second) {
  const std::uint64_t a = vtplatform::from_filetime(*first);
  const std::uint64_t b = vtplatform::from_filetime(*second);
  return a < b ? -1 : (a > b ? 1 : 0);
}
