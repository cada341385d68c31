// CreateProcessA: everything the child needs is prepared here, in the caller, where allocation
// is allowed (the arguments, the environment, the program's absolute path, the standard
// descriptors); spawn_detached then forks and executes. And the option that keeps the programs
// started here, with whatever they start, descendants of the caller.
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/handle.h"
#include "vtplatform/win32/process.h"
#include "vtplatform/win32/process_launch.h"
#include "win32/core/errno_error.h"
#include "win32/core/error_or.h"
#include "win32/core/exception_barrier.h"
#include "win32/core/thread_object.h"
#include "win32/files/file_object.h"
#include "win32/launch/command_line.h"
#include "win32/launch/pipe_object.h"
#include "win32/launch/process_spawn_linux.h"
#include "win32/process/process_object.h"
#include "win32/process/process_table_linux.h"

extern char** environ;

namespace vtplatform {
namespace {

constexpr DWORD kKnownFlags =
    DETACHED_PROCESS | CREATE_NEW_CONSOLE | CREATE_NEW_PROCESS_GROUP | CREATE_NO_WINDOW;
constexpr DWORD kNoConsoleFlags = DETACHED_PROCESS | CREATE_NEW_CONSOLE | CREATE_NO_WINDOW;

// The search path when the caller has no PATH, as the C library's exec functions use it.
constexpr const char* kDefaultSearchPath = "/bin:/usr/bin";

bool is_executable_file(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
         ::faccessat(AT_FDCWD, path.c_str(), X_OK, AT_EACCESS) == 0;
}

// `path` made absolute against the caller's current folder, so that it does not depend on the
// child's working folder.
ErrorOr<std::string> absolute_path(const std::string& path) {
  std::error_code error;
  const auto absolute = std::filesystem::absolute(path, error);
  if (error) return error;
  return absolute.string();
}

// The program that `name` names, as a path. Names without '/' are looked up on the caller's PATH
// when `search` is set, and otherwise are files in the current folder, like every other relative
// name. ENOENT when the search finds nothing, EACCES for a folder or a file that is not
// executable, else the errno of the call that failed.
ErrorOr<std::string> find_program(const std::string& name, bool search) {
  if (!search || name.find('/') != std::string::npos) {
    if (is_executable_file(name)) return absolute_path(name);
    struct stat status {};
    return errno_code(::stat(name.c_str(), &status) != 0 ? errno : EACCES);
  }
  const char* search_path = std::getenv("PATH");
  std::string_view folders = search_path != nullptr ? search_path : kDefaultSearchPath;
  for (;;) {
    const std::size_t colon = folders.find(':');
    const std::string_view folder = folders.substr(0, colon);
    // An empty entry stands for the current folder, as in the shell.
    const std::string candidate = std::string(folder.empty() ? "." : folder) + "/" + name;
    if (is_executable_file(candidate)) return absolute_path(candidate);
    if (colon == std::string_view::npos) break;
    folders.remove_prefix(colon + 1);
  }
  return errno_code(ENOENT);
}

// The descriptors that become the child's 0, 1 and 2, and what keeps them open until the child
// has its copies.
class StandardDescriptors {
 public:
  // Chooses them from the start-up information: EBADF for a handle that is no pipe or file, else
  // the errno of the open that failed.
  [[nodiscard]] std::error_code choose(const STARTUPINFOA& startup_info, DWORD creation_flags) {
    const HANDLE handles[3] = {startup_info.hStdInput, startup_info.hStdOutput,
                               startup_info.hStdError};
    for (int slot = 0; slot < 3; ++slot) {
      ErrorOr<int> fd = slot;
      if ((startup_info.dwFlags & STARTF_USESTDHANDLES) != 0) {
        fd = handle_descriptor(handles[slot]);
      } else if ((creation_flags & kNoConsoleFlags) != 0 || ::fcntl(slot, F_GETFD) < 0) {
        // Opening /dev/null takes the lowest free descriptor, never one of a later slot.
        fd = null_descriptor();
      }
      if (!fd) return fd.error();
      fds_[slot] = *fd;
    }
    return {};
  }

  const int* fds() const { return fds_; }

 private:
  ErrorOr<int> handle_descriptor(HANDLE handle) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return null_descriptor();
    auto object = find_handle(handle);
    int fd = -1;
    if (const auto* pipe = dynamic_cast<const PipeObject*>(object.get())) fd = pipe->fd();
    if (const auto* file = dynamic_cast<const FileObject*>(object.get())) fd = file->fd();
    if (fd < 0) return errno_code(EBADF);
    objects_.push_back(std::move(object));  // a handle closed meanwhile keeps its descriptor
    return fd;
  }

  ErrorOr<int> null_descriptor() {
    if (!null_.valid()) {
      const int fd = ::open("/dev/null", O_RDWR | O_CLOEXEC);
      if (fd < 0) return errno_code();
      null_.reset(fd);
    }
    return null_.get();
  }

  std::vector<std::shared_ptr<KernelObject>> objects_;
  UniqueFd null_;
  int fds_[3] = {-1, -1, -1};
};

// Pointers to the strings of a NUL-separated environment block, ended by a null pointer.
std::vector<char*> environment_entries(char* block) {
  std::vector<char*> entries;
  for (char* entry = block; *entry != '\0'; entry += std::strlen(entry) + 1) {
    entries.push_back(entry);
  }
  entries.push_back(nullptr);
  return entries;
}

BOOL fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

BOOL create_process(LPCSTR application_name, LPSTR command_line, DWORD creation_flags,
                    LPVOID environment, LPCSTR current_directory, LPSTARTUPINFOA startup_info,
                    LPPROCESS_INFORMATION process_information) {
  if (startup_info == nullptr || process_information == nullptr ||
      (creation_flags & ~kKnownFlags) != 0) {
    return fail(ERROR_INVALID_PARAMETER);
  }
  *process_information = {};
  std::vector<std::string> words;
  if (command_line != nullptr) {
    auto split = split_command_line(command_line);
    if (!split) return fail(ERROR_INVALID_PARAMETER);
    words = std::move(*split);
  }
  if (words.empty()) {
    if (application_name == nullptr) return fail(ERROR_INVALID_PARAMETER);
    words.emplace_back(application_name);
  }
  const bool search = application_name == nullptr;
  const std::string& name = search ? words[0] : application_name;
  const auto program = find_program(name, search);
  if (!program) return fail(win32_error_for_path(program.error().value(), name.c_str()));
  StandardDescriptors descriptors;
  if (const std::error_code error = descriptors.choose(*startup_info, creation_flags)) {
    return fail(win32_error_from(error));
  }

  std::vector<char*> argv;
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  std::vector<char*> envp;
  if (environment != nullptr) envp = environment_entries(static_cast<char*>(environment));
  SpawnRequest request;
  request.program = program->c_str();
  request.argv = argv.data();
  request.envp = environment != nullptr ? envp.data() : environ;
  const bool keep_directory = current_directory == nullptr || *current_directory == '\0';
  request.directory = keep_directory ? nullptr : current_directory;
  std::copy_n(descriptors.fds(), 3, request.std_fds);
  auto child = spawn_detached(request);
  if (!child) return FALSE;
  process_table_changed();

  const auto process = std::make_shared<ProcessObject>(child->pid, std::move(child->pidfd),
                                                       child->start_ticks, PROCESS_ALL_ACCESS);
  process_information->hProcess = open_handle(process);
  process_information->hThread = open_handle(std::make_shared<ThreadObject>(child->pid));
  process_information->dwProcessId = static_cast<DWORD>(child->pid);
  process_information->dwThreadId = static_cast<DWORD>(child->pid);
  return TRUE;
}

}  // namespace
}  // namespace vtplatform

// Everything here allocates: a failed allocation is the caller's ERROR_NOT_ENOUGH_MEMORY.
BOOL CreateProcessA(LPCSTR application_name, LPSTR command_line, LPSECURITY_ATTRIBUTES,
                    LPSECURITY_ATTRIBUTES, BOOL, DWORD creation_flags, LPVOID environment,
                    LPCSTR current_directory, LPSTARTUPINFOA startup_info,
                    LPPROCESS_INFORMATION process_information) {
  return vtplatform::without_exceptions(FALSE, ERROR_NOT_ENOUGH_MEMORY, [&] {
    return vtplatform::create_process(application_name, command_line, creation_flags, environment,
                                      current_directory, startup_info, process_information);
  });
}

BOOL vtplatform::become_child_subreaper() {
  if (::prctl(PR_SET_CHILD_SUBREAPER, 1UL, 0, 0, 0) != 0) {
    return fail(win32_error_from_errno(errno));
  }
  return TRUE;
}
