// A process for the process tests to start, list and end. Modes:
//   sleep MS          sleeps MS milliseconds, then exits with 0
//   chain DEPTH       prints its pid on a line, starts a child with DEPTH - 1 (none at 0) and
//                     waits for it, then exits; the last level waits until it is killed
//   tree WIDTH DEPTH  prints its pid on a line, starts WIDTH children with DEPTH - 1 (none at 0),
//                     then waits until it is killed; (WIDTH^(DEPTH+1) - 1) / (WIDTH - 1) processes
//   exit              exits with 0 at once
//   main-thread-exit  ends its main thread while another thread runs on; that thread prints the
//                     pid on a line once the main thread is gone, then waits
//   stdio [ARG...]    describes how it was started, then exits with 0: one line of fields
//                     "0=KIND 1=KIND 2=KIND pid=P sid=S tty=none|yes sigpipe=ignored|default
//                     blocked=none|some fds=0,1,2" (KIND: pipe, tty, null, file, closed, other;
//                     tty: whether it has a controlling terminal; fds: its open descriptors),
//                     then its working folder on a line, then each ARG on a line
//   threads N         starts N threads that each wait in vt_helper_parked_thread, sets the global
//                     vt_helper_marker to kHelperMarker, prints its pid once all threads run,
//                     then waits until it is killed
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <semaphore.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

// A value that debuggers reading a dump of the `threads` mode can find; set at run time, so that
// it comes from the process's memory and not from the executable file.
volatile unsigned long long vt_helper_marker = 0;

namespace {

constexpr unsigned long long kHelperMarker = 0x5EED0F7E57C0FFEEULL;

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

int tree(int width, int depth) {
  print_pid();
  for (int i = 0; depth > 0 && i < width; ++i) {
    const pid_t child = ::fork();
    if (child < 0) return 1;
    if (child == 0) return tree(width, depth - 1);
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

const char* descriptor_kind(int fd) {
  struct stat status {}, null_status {};
  if (::fstat(fd, &status) != 0) return "closed";
  if (S_ISFIFO(status.st_mode)) return "pipe";
  if (::isatty(fd)) return "tty";
  if (S_ISCHR(status.st_mode) && ::stat("/dev/null", &null_status) == 0 &&
      status.st_rdev == null_status.st_rdev) {
    return "null";
  }
  return S_ISREG(status.st_mode) ? "file" : "other";
}

// The open descriptors, in the order /proc lists them, without the one that lists them.
std::string open_descriptors() {
  std::string list;
  DIR* folder = ::opendir("/proc/self/fd");
  if (folder == nullptr) return "?";
  while (const dirent* entry = ::readdir(folder)) {
    if (entry->d_name[0] == '.' || std::atoi(entry->d_name) == ::dirfd(folder)) continue;
    list += (list.empty() ? "" : ",") + std::string(entry->d_name);
  }
  ::closedir(folder);
  return list;
}

int describe_stdio(int argc, char** argv) {
  const int terminal = ::open("/dev/tty", O_RDONLY | O_NOCTTY | O_CLOEXEC);
  if (terminal >= 0) ::close(terminal);
  struct sigaction pipe_action {};
  ::sigaction(SIGPIPE, nullptr, &pipe_action);
  sigset_t blocked;
  ::sigemptyset(&blocked);
  ::sigprocmask(SIG_SETMASK, nullptr, &blocked);
  bool any_blocked = false;
  for (int signal = 1; signal < NSIG; ++signal) any_blocked |= ::sigismember(&blocked, signal) == 1;
  const std::string fds = open_descriptors();
  std::printf("0=%s 1=%s 2=%s pid=%d sid=%d tty=%s sigpipe=%s blocked=%s fds=%s\n",
              descriptor_kind(0), descriptor_kind(1), descriptor_kind(2),
              static_cast<int>(::getpid()), static_cast<int>(::getsid(0)),
              terminal >= 0 ? "yes" : "none",
              pipe_action.sa_handler == SIG_IGN ? "ignored" : "default",
              any_blocked ? "some" : "none", fds.c_str());
  char folder[4096];
  std::printf("%s\n", ::getcwd(folder, sizeof folder) != nullptr ? folder : "?");
  for (int i = 2; i < argc; ++i) std::printf("%s\n", argv[i]);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

// The function that a backtrace of every extra thread of the `threads` mode passes through.
__attribute__((noinline)) void* vt_helper_parked_thread(void* started) {
  ::sem_post(static_cast<sem_t*>(started));
  wait_forever();
}

// Kept out of main, so that a backtrace of the main thread shows it too.
__attribute__((noinline)) int start_threads(int count) {
  sem_t started;
  ::sem_init(&started, 0, 0);
  for (int i = 0; i < count; ++i) {
    pthread_t thread;
    if (::pthread_create(&thread, nullptr, vt_helper_parked_thread, &started) != 0) return 1;
  }
  for (int i = 0; i < count; ++i) ::sem_wait(&started);
  vt_helper_marker = kHelperMarker;
  print_pid();
  wait_forever();
}

int usage() {
  std::fputs("usage: process_helper sleep MS | chain DEPTH | exit | main-thread-exit | "
             "stdio [ARG...] | threads N | tree WIDTH DEPTH\n",
             stderr);
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
  if (mode == "tree" && argc == 4) return tree(std::atoi(argv[2]), std::atoi(argv[3]));
  if (mode == "exit") return 0;
  if (mode == "stdio") return describe_stdio(argc, argv);
  if (mode == "threads" && argc == 3) return start_threads(std::atoi(argv[2]));
  if (mode == "main-thread-exit") {
    pthread_t thread;
    if (::pthread_create(&thread, nullptr, outlive_main_thread, nullptr) != 0) return 1;
    ::pthread_exit(nullptr);
  }
  return usage();
}
