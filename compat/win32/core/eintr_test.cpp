// Tests of retry_on_eintr: a call that a signal interrupts is made again, any other failure is
// returned as it is.
#include "win32/core/eintr.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>

#include "win32/core/unique_fd.h"

namespace vtplatform {
namespace {

void on_signal(int) {}

TEST(RetryOnEintr, MakesTheCallAgainAfterASignalAndNotAfterOtherFailures) {
  // A handler installed without SA_RESTART makes the kernel end a blocked read with EINTR.
  struct sigaction action {};
  struct sigaction previous {};
  action.sa_handler = on_signal;
  sigemptyset(&action.sa_mask);
  ASSERT_EQ(::sigaction(SIGUSR1, &action, &previous), 0);
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const UniqueFd read_end(fds[0]);
  const UniqueFd write_end(fds[1]);

  std::atomic<int> calls = 0;
  const pthread_t reader = ::pthread_self();
  // Interrupts the reader until it has read a second time, then gives it its byte.
  std::thread interrupter([&] {
    while (calls < 2) {
      ::pthread_kill(reader, SIGUSR1);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(::write(write_end.get(), "x", 1), 1);
  });
  char byte = 0;
  const ssize_t got = retry_on_eintr([&] {
    ++calls;
    return ::read(read_end.get(), &byte, 1);
  });
  interrupter.join();
  ::sigaction(SIGUSR1, &previous, nullptr);
  EXPECT_EQ(got, 1);
  EXPECT_EQ(byte, 'x');

  calls = 0;
  EXPECT_EQ(retry_on_eintr([&] {
              ++calls;
              return ::read(-1, &byte, 1);
            }),
            -1);
  EXPECT_EQ(errno, EBADF);
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace vtplatform
