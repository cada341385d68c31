// A library for LD_PRELOAD that fails one chosen system call, so that tests can see what a writer
// leaves behind when the disk fills up or the device reports an error part-way through a save.
// The environment of the process it is loaded into says which call:
//
//   VT_FAULT_FOLDER  only calls on this folder or on files in it count; every other call, such as
//                    the loader's, the sanitizers' or the test's own, passes untouched
//   VT_FAULT_CALLS   the family of calls that count: write (write, pwrite), sync (fsync,
//                    fdatasync), rename (rename, renameat, renameat2) or open (open, openat,
//                    mkostemp)
//   VT_FAULT_NTH     the counted call that fails, from 1; 0 fails none and only counts
//   VT_FAULT_ERRNO   the error that it fails with, as a number
//   VT_FAULT_REPORT  a file that receives, when the process exits, the number of calls counted on a
//                    line and then the path that the failed call concerned, if one failed
//
// A failed call does nothing and returns -1 with the error set; the calls before and after it
// reach the C library unchanged.
#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <string_view>

namespace {

// Read once; only plain values, so that nothing of it is destroyed before the report at exit.
struct Config {
  const char* folder = nullptr;  // canonical, as /proc shows the files that descriptors refer to
  const char* calls = "";
  long nth = 0;
  int error = 0;
  const char* report = nullptr;
};

const Config& config() {
  static const Config loaded = [] {
    const auto text = [](const char* name) {
      const char* value = ::getenv(name);
      return value != nullptr ? value : "";
    };
    Config config;
    config.folder = ::realpath(text("VT_FAULT_FOLDER"), nullptr);  // kept until the process ends
    config.calls = text("VT_FAULT_CALLS");
    config.nth = ::atol(text("VT_FAULT_NTH"));
    config.error = ::atoi(text("VT_FAULT_ERRNO"));
    config.report = ::getenv("VT_FAULT_REPORT");
    return config;
  }();
  return loaded;
}

std::atomic<long> counted{0};
char failed_on[PATH_MAX];  // written once, by the call that fails

bool in_folder(std::string_view path) {
  if (config().folder == nullptr) return false;
  const std::string_view folder = config().folder;
  return path.starts_with(folder) &&
         (path.size() == folder.size() || path[folder.size()] == '/');
}

// The path of the file that `fd` refers to, as /proc gives it.
std::string fd_path(int fd) {
  char link[32];
  char path[PATH_MAX];
  ::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t size = ::readlink(link, path, sizeof path);
  return size > 0 ? std::string(path, static_cast<std::size_t>(size)) : std::string();
}

// `path` as seen from the folder `dir_fd` (AT_FDCWD: the working folder) refers to.
std::string full_path(int dir_fd, const char* path) {
  if (path == nullptr) return {};
  if (path[0] == '/') return path;
  if (dir_fd != AT_FDCWD) return fd_path(dir_fd) + "/" + path;
  char folder[PATH_MAX];
  return ::getcwd(folder, sizeof folder) != nullptr ? std::string(folder) + "/" + path : path;
}

// Counts a call of the chosen family on `path` when the path lies in the folder; true, with errno
// set, when it is the call to fail.
bool fail(const std::string& path) {
  const Config& faults = config();
  if (!in_folder(path)) return false;
  if (++counted != faults.nth) return false;
  ::snprintf(failed_on, sizeof failed_on, "%s", path.c_str());
  errno = faults.error;
  return true;
}

bool fail_fd(const char* calls, int fd) {
  return ::strcmp(config().calls, calls) == 0 && fail(fd_path(fd));
}

bool fail_at(const char* calls, int dir_fd, const char* path) {
  return ::strcmp(config().calls, calls) == 0 && fail(full_path(dir_fd, path));
}

template <typename Function>
Function* next(const char* name) {
  return reinterpret_cast<Function*>(::dlsym(RTLD_NEXT, name));
}

// The mode argument that open and openat take only when they may create a file.
mode_t mode_of(int flags, va_list arguments) {
  return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(arguments, mode_t)
                                                                     : 0;
}

__attribute__((destructor)) void report() {
  if (config().report == nullptr) return;
  if (FILE* file = ::fopen(config().report, "w")) {
    ::fprintf(file, "%ld\n%s\n", counted.load(), failed_on);
    ::fclose(file);
  }
}

}  // namespace

extern "C" {

ssize_t write(int fd, const void* buffer, size_t count) {
  static auto* real = next<ssize_t(int, const void*, size_t)>("write");
  return fail_fd("write", fd) ? -1 : real(fd, buffer, count);
}

ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset) {
  static auto* real = next<ssize_t(int, const void*, size_t, off_t)>("pwrite");
  return fail_fd("write", fd) ? -1 : real(fd, buffer, count, offset);
}

int fsync(int fd) {
  static auto* real = next<int(int)>("fsync");
  return fail_fd("sync", fd) ? -1 : real(fd);
}

int fdatasync(int fd) {
  static auto* real = next<int(int)>("fdatasync");
  return fail_fd("sync", fd) ? -1 : real(fd);
}

int rename(const char* from, const char* to) {
  static auto* real = next<int(const char*, const char*)>("rename");
  return fail_at("rename", AT_FDCWD, to) ? -1 : real(from, to);
}

int renameat(int from_dir, const char* from, int to_dir, const char* to) {
  static auto* real = next<int(int, const char*, int, const char*)>("renameat");
  return fail_at("rename", to_dir, to) ? -1 : real(from_dir, from, to_dir, to);
}

int renameat2(int from_dir, const char* from, int to_dir, const char* to, unsigned flags) {
  static auto* real = next<int(int, const char*, int, const char*, unsigned)>("renameat2");
  return fail_at("rename", to_dir, to) ? -1 : real(from_dir, from, to_dir, to, flags);
}

int open(const char* path, int flags, ...) {
  static auto* real = next<int(const char*, int, ...)>("open");
  va_list arguments;
  va_start(arguments, flags);
  const mode_t mode = mode_of(flags, arguments);
  va_end(arguments);
  return fail_at("open", AT_FDCWD, path) ? -1 : real(path, flags, mode);
}

int openat(int dir_fd, const char* path, int flags, ...) {
  static auto* real = next<int(int, const char*, int, ...)>("openat");
  va_list arguments;
  va_start(arguments, flags);
  const mode_t mode = mode_of(flags, arguments);
  va_end(arguments);
  return fail_at("open", dir_fd, path) ? -1 : real(dir_fd, path, flags, mode);
}

int mkostemp(char* path_template, int flags) {
  static auto* real = next<int(char*, int)>("mkostemp");
  return fail_at("open", AT_FDCWD, path_template) ? -1 : real(path_template, flags);
}

}  // extern "C"
