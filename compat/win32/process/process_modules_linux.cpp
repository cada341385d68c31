// The modules of a process and their file names (K32EnumProcessModules and its companions), from
// /proc/PID/maps and /proc/PID/exe.
//
// A module is a file with code mapped into the process; its handle is the start of the file's
// lowest mapping, where the ELF header lies. The main executable comes first, the others follow
// in address order. Every call reads the maps anew, so a handle from an earlier list names the
// same module for as long as it stays loaded.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/process.h"
#include "win32/core/errno_error.h"
#include "win32/process/proc_maps_linux.h"
#include "win32/process/process_object.h"
#include "win32/process/process_stat_linux.h"

namespace vtplatform {
namespace {

constexpr ACCESS_MASK kModuleRights = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;
constexpr ACCESS_MASK kQueryRights = PROCESS_QUERY_INFORMATION | PROCESS_QUERY_LIMITED_INFORMATION;

// A process as named by a handle: its id, and its start tick to tell it from a later owner of
// that id (nothing for the calling process, which cannot go away under us).
struct Target {
  pid_t pid = 0;
  std::optional<std::uint64_t> start_ticks;
};

// The process behind `handle` when the handle holds every right of `all` and at least one of
// `any`; the pseudo handle of the calling process holds all rights. Sets the last error and gives
// nothing on failure.
std::optional<Target> open_target(HANDLE handle, ACCESS_MASK all, ACCESS_MASK any) {
  if (handle == GetCurrentProcess()) return Target{::getpid(), std::nullopt};
  const auto process = find_handle_as<ProcessObject>(handle);
  if (!process) {
    SetLastError(ERROR_INVALID_HANDLE);
    return std::nullopt;
  }
  if ((process->access() & all) != all || (any != 0 && (process->access() & any) == 0)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return std::nullopt;
  }
  return Target{process->pid(), process->start_ticks()};
}

// Whether the process read from /proc is still the one the handle names: after it has been
// reaped its id may belong to another process. Sets the last error when it is not.
bool still_same(const Target& target) {
  if (!target.start_ticks) return true;
  const auto stat = read_process_stat(target.pid);
  if (stat && stat->start_ticks == *target.start_ticks) return true;
  SetLastError(ERROR_INVALID_PARAMETER);
  return false;
}

// The error of a failed /proc read: refused, or the process's entry has gone with it.
void set_proc_error(int error) {
  const bool gone = error == ENOENT || error == ESRCH;
  SetLastError(gone ? ERROR_INVALID_PARAMETER : win32_error_from_errno(error));
}

// The modules of the process, main executable first. A process without any (a kernel thread, or
// one whose threads have all exited) fails with ERROR_PARTIAL_COPY, as Windows fails for a
// process whose module list it cannot read.
std::optional<std::vector<MappedModule>> module_list(const Target& target) {
  auto modules = read_mapped_modules(target.pid);
  if (!modules) {
    set_proc_error(modules.error().value());
    return std::nullopt;
  }
  // A kernel thread and an exited process have no executable link; their maps are empty.
  const auto executable = read_executable_path(target.pid);
  if (!still_same(target)) return std::nullopt;
  if (modules->empty()) {
    SetLastError(ERROR_PARTIAL_COPY);
    return std::nullopt;
  }
  if (executable) {
    const auto main = std::find_if(modules->begin(), modules->end(),
                                   [&](const MappedModule& m) { return m.path == *executable; });
    if (main != modules->end()) std::rotate(modules->begin(), main, main + 1);
  }
  return std::move(*modules);
}

// The path of `module` in the process; a null module is the main executable.
std::optional<std::string> module_path(HANDLE process, HMODULE module) {
  const auto target = open_target(process, kModuleRights, 0);
  if (!target) return std::nullopt;
  const auto modules = module_list(*target);
  if (!modules) return std::nullopt;
  if (module == nullptr) return modules->front().path;
  const auto base = reinterpret_cast<std::uintptr_t>(module);
  for (const auto& entry : *modules) {
    if (entry.base == base) return entry.path;
  }
  SetLastError(ERROR_INVALID_HANDLE);
  return std::nullopt;
}

// Copies as much of `text` as fits into `buffer` of `size` characters with a terminator, and
// returns the number of characters copied without it.
DWORD copy_truncated(std::string_view text, LPSTR buffer, DWORD size) {
  const std::size_t count = std::min<std::size_t>(text.size(), size - 1);
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
  return static_cast<DWORD>(count);
}

bool valid_buffer(LPSTR buffer, DWORD size) {
  if (buffer != nullptr && size != 0) return true;
  SetLastError(ERROR_INVALID_PARAMETER);
  return false;
}

}  // namespace
}  // namespace vtplatform

BOOL K32EnumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* bytes_needed) {
  using namespace vtplatform;
  if (bytes_needed == nullptr || (modules == nullptr && bytes != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const auto target = open_target(process, kModuleRights, 0);
  if (!target) return FALSE;
  const auto list = module_list(*target);
  if (!list) return FALSE;
  const std::size_t count = std::min<std::size_t>(list->size(), bytes / sizeof(HMODULE));
  for (std::size_t i = 0; i < count; ++i) {
    modules[i] = reinterpret_cast<HMODULE>((*list)[i].base);
  }
  *bytes_needed = static_cast<DWORD>(list->size() * sizeof(HMODULE));
  return TRUE;
}

DWORD K32GetModuleBaseNameA(HANDLE process, HMODULE module, LPSTR name, DWORD size) {
  using namespace vtplatform;
  if (!valid_buffer(name, size)) return 0;
  const auto path = module_path(process, module);
  if (!path) return 0;
  return copy_truncated(std::string_view(*path).substr(path->rfind('/') + 1), name, size);
}

DWORD K32GetModuleFileNameExA(HANDLE process, HMODULE module, LPSTR file_name, DWORD size) {
  using namespace vtplatform;
  if (!valid_buffer(file_name, size)) return 0;
  const auto path = module_path(process, module);
  if (!path) return 0;
  return copy_truncated(*path, file_name, size);
}

DWORD K32GetProcessImageFileNameA(HANDLE process, LPSTR image_file_name, DWORD size) {
  using namespace vtplatform;
  if (!valid_buffer(image_file_name, size)) return 0;
  const auto target = open_target(process, 0, kQueryRights);
  if (!target) return 0;
  const auto path = read_executable_path(target->pid);
  if (!path) {
    // No executable link: a kernel thread has none; otherwise the process is gone or refused.
    if (!still_same(*target)) return 0;
    const bool no_link = path.error() == std::errc::no_such_file_or_directory;
    SetLastError(no_link ? ERROR_PARTIAL_COPY : win32_error_from(path.error()));
    return 0;
  }
  if (!still_same(*target)) return 0;
  if (path->size() >= size) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  return copy_truncated(*path, image_file_name, size);
}
