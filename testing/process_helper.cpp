// A process for the process tests to start, list and end. Modes:
//   sleep MS          sleeps MS milliseconds, then exits with 0
//   chain DEPTH       prints its pid on a line, starts a child with DEPTH - 1 (none at 0) and
//                     waits for it, then exits; the last level waits until it is killed
//   exit              exits with 0 at once
//   main-thread-exit  ends its main thread while another thread runs on; that thread prints the
//                     pid on a line once the main thread is gone, then waits
#include <pthread.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void print_pid() {
  std::printf("%d\n", static_cast<int>(::getpid()));
  std::fflush(stdout);
}

[[noreturn]] void wait_forever() {
  for (;;) ::pause();
}

int chain(int depth) {
  print_pid();
  if (depth > 0) {
    const pid_t child = ::fork();
    if (child < 0) return 1;
    if (child == 0) return chain(depth - 1);
    // Waits for the level below; when it ends, this level reaps it and ends too.
    ::waitpid(child, nullptr, 0);
    return 0;
  }
  wait_forever();
}

// The state letter of the main thread, from the third field of its stat line.
char main_thread_state() {
  const std::string path = "/proc/self/task/" + std::to_string(::getpid()) + "/stat";
  FILE* file = std::fopen(path.c_str(), "r");
  if (file == nullptr) return '?';
  char line[512] = {};
  const bool read = std::fgets(line, sizeof line, file) != nullptr;
  std::fclose(file);
  const char* close = read ? std::strrchr(line, ')') : nullptr;
  return close != nullptr && close[1] == ' ' ? close[2] : '?';
}

void* outlive_main_thread(void*) {
  while (main_thread_state() != 'Z') ::usleep(1000);
  print_pid();
  wait_forever();
}

int usage() {
  std::fputs("usage: process_helper sleep MS | chain DEPTH | exit | main-thread-exit\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string mode = argv[1];
  if (mode == "sleep" && argc == 3) {
    ::usleep(static_cast<useconds_t>(std::atol(argv[2])) * 1000);
    return 0;
  }
  if (mode == "chain" && argc == 3) return chain(std::atoi(argv[2]));
  if (mode == "exit") return 0;
  if (mode == "main-thread-exit") {
    pthread_t thread;
    if (::pthread_create(&thread, nullptr, outlive_main_thread, nullptr) != 0) return 1;
    ::pthread_exit(nullptr);
  }
  return usage();
}
