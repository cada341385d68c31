// A library for LD_PRELOAD that makes ptrace behave as under the Yama security module's ptrace
// scope 1 (restricted), for kernels built without Yama and for tests run as root, whom Yama would
// let through: a process may attach only to its descendants and to processes that named it, or
// one of its ancestors, with prctl(PR_SET_PTRACER). The environment of the process says where
// the declarations are kept:
//
//   VT_PTRACE_SCOPE_FOLDER  a folder that receives one file per declaring process, named after
//                           its id and holding the id it named (-1 for PR_SET_PTRACER_ANY); the
//                           shim must be preloaded into the declaring processes too
//
// PTRACE_ATTACH and PTRACE_SEIZE on any other process fail with EPERM; every other request, and
// every other prctl, reaches the C library unchanged. PR_SET_PTRACER succeeds as Yama's would.
// The declaration is recorded between fork and exec as well, so the shim makes only
// async-signal-safe calls there.
#include <dlfcn.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/ptrace.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr int kPathSize = 4096;

template <typename Function>
Function* next(const char* name) {
  return reinterpret_cast<Function*>(::dlsym(RTLD_NEXT, name));
}

// Appends the decimal digits of `value` at `out`; returns the end.
char* append_number(char* out, long value) {
  if (value < 0) {
    *out++ = '-';
    value = -value;
  }
  char digits[24];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (count > 0) *out++ = digits[--count];
  return out;
}

// "<folder>/<pid>" into `path`; false without the folder or when it does not fit.
bool declaration_path(pid_t pid, char (&path)[kPathSize]) {
  const char* folder = ::getenv("VT_PTRACE_SCOPE_FOLDER");
  if (folder == nullptr || std::strlen(folder) + 24 > sizeof path) return false;
  char* end = std::strcpy(path, folder) + std::strlen(folder);
  *end++ = '/';
  *append_number(end, pid) = '\0';
  return true;
}

// The number that follows `prefix` in the file `path`, or that starts it for an empty prefix.
bool read_number(const char* path, const char* prefix, long& value) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char text[4096];
  const ssize_t size = ::read(fd, text, sizeof text - 1);
  ::close(fd);
  if (size <= 0) return false;
  text[size] = '\0';
  const char* at = prefix[0] == '\0' ? text : std::strstr(text, prefix);
  if (at == nullptr) return false;
  value = std::strtol(at + std::strlen(prefix), nullptr, 10);
  return true;
}

// The process (thread group) that the thread `tid` belongs to.
pid_t process_of(pid_t tid) {
  char path[64] = "/proc/";
  std::strcpy(append_number(path + 6, tid), "/status");
  long process = 0;
  return read_number(path, "\nTgid:", process) ? static_cast<pid_t>(process) : tid;
}

pid_t parent_of(pid_t pid) {
  char path[64] = "/proc/";
  std::strcpy(append_number(path + 6, pid), "/status");
  long parent = 0;
  return read_number(path, "\nPPid:", parent) ? static_cast<pid_t>(parent) : 0;
}

// Whether `ancestor` is `pid` or one of its ancestors.
bool is_within(pid_t pid, pid_t ancestor) {
  for (int depth = 0; pid > 0 && depth < 4096; ++depth, pid = parent_of(pid)) {
    if (pid == ancestor) return true;
  }
  return false;
}

// What Yama's scope 1 allows the calling process: its descendants, and processes that named it
// or one of its ancestors.
bool may_attach(pid_t tid) {
  const pid_t target = process_of(tid);
  const pid_t self = ::getpid();
  if (is_within(target, self)) return true;
  char path[kPathSize];
  long tracer = 0;
  if (!declaration_path(target, path) || !read_number(path, "", tracer)) return false;
  return tracer == -1 || (tracer > 0 && is_within(self, static_cast<pid_t>(tracer)));
}

void record_declaration(long tracer) {
  char path[kPathSize];
  if (!declaration_path(::getpid(), path)) return;
  if (tracer == 0) {
    ::unlink(path);
    return;
  }
  const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return;
  char text[24];
  const char* end = append_number(text, tracer);
  [[maybe_unused]] const ssize_t written = ::write(fd, text, static_cast<std::size_t>(end - text));
  ::close(fd);
}

}  // namespace

extern "C" {

long ptrace(enum __ptrace_request request, ...) noexcept {
  static auto* real = next<long(enum __ptrace_request, pid_t, void*, void*)>("ptrace");
  va_list arguments;
  va_start(arguments, request);
  const pid_t pid = va_arg(arguments, pid_t);
  void* address = va_arg(arguments, void*);
  void* data = va_arg(arguments, void*);
  va_end(arguments);
  if ((request == PTRACE_ATTACH || request == PTRACE_SEIZE) && !may_attach(pid)) {
    errno = EPERM;
    return -1;
  }
  return real(request, pid, address, data);
}

int prctl(int option, ...) noexcept {
  va_list arguments;
  va_start(arguments, option);
  unsigned long values[4];
  for (unsigned long& value : values) value = va_arg(arguments, unsigned long);
  va_end(arguments);
  if (option == PR_SET_PTRACER) {
    record_declaration(static_cast<long>(values[0]));
    return 0;
  }
  // Looked up only here: the declaration is made between fork and exec, where dlsym is not safe.
  static auto* real =
      next<int(int, unsigned long, unsigned long, unsigned long, unsigned long)>("prctl");
  return real(option, values[0], values[1], values[2], values[3]);
}

}  // extern "C"
