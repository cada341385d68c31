// Choosing the file of vtutil dump and kill --dump: --output, the executable's folder, or the
// user's dump folder; and saying why no dump was written.
#include "dump_destination.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "command_failure.h"
#include "vtutils/platform/files.h"

namespace {

// Folders that hold the system's programs and settings, with everything under them: a dump there
// would be a stray file among them, written only because the caller is root.
constexpr std::array<std::string_view, 6> kSystemFolders = {"/usr", "/bin", "/sbin",
                                                            "/opt", "/etc", "/boot"};

bool is_system_folder(const std::string& folder) {
  if (folder.starts_with("/lib")) return true;  // /lib, /lib32, /lib64, /libx32
  for (const std::string_view system : kSystemFolders) {
    if (folder == system || (folder.starts_with(system) && folder[system.size()] == '/')) {
      return true;
    }
  }
  return false;
}

// "<executable's name up to its last dot><time stamp>.dmp", "killed<time stamp>.dmp" when the
// name is unknown: the name the library gives a dump, without its folder.
std::string generated_name(const vtuProcess& process) {
  CString name = process.main_module_base_name();
  const int dot = name.ReverseFind('.');
  if (dot >= 0) name = name.Left(dot);
  if (name.IsEmpty()) name = "killed";
  vtuProcess::append_time_string(name);
  return std::string(name.GetString()) + ".dmp";
}

std::string folder_of(const std::string& file) {
  return std::filesystem::path(file).parent_path().string();
}

// Why the caller may not create files in `folder`; "" when it may.
std::string write_refusal(const std::string& folder) {
  if (::access(folder.c_str(), W_OK) == 0) return "";
  return "cannot write to " + folder + " (" + std::strerror(errno) + ")";
}

// Why the dump of `process` does not go next to its executable; "" when it does.
std::string why_not_beside(const vtuProcess& process) {
  const std::string executable = process.main_module_file_name().GetString();
  if (!executable.starts_with('/')) {
    return "the executable of process " + std::to_string(process.process_id()) + " is unknown";
  }
  const std::string folder = folder_of(executable);
  if (is_system_folder(folder)) return folder + " is a system folder";
  return write_refusal(folder);
}

}  // namespace

std::optional<std::string> dump_destination(const char* command, const vtuProcess& process,
                                            const std::string& output, std::string& reason) {
  if (!output.empty()) {
    std::error_code ignored;
    if (!std::filesystem::is_directory(output, ignored)) return output;
    return (std::filesystem::path(output) / generated_name(process)).string();
  }
  reason = why_not_beside(process);
  if (reason.empty()) return "";
  const std::string folder = vtplatform::dump_folder();
  if (folder.empty()) {
    reason += ", and the dump folder cannot be made: " + error_text(GetLastError());
    return std::nullopt;
  }
  warn_command(command, reason + "; the dump goes to " + folder);
  return folder + generated_name(process);
}

std::string dump_failure(DWORD error, const vtuProcess& process, const std::string& destination) {
  const std::string file =
      destination.empty() ? std::string(process.main_module_file_name().GetString()) : destination;
  std::error_code ignored;
  const std::string folder = folder_of(std::filesystem::absolute(file, ignored).string());
  if (error == ERROR_ACCESS_DENIED && write_refusal(folder).empty()) {
    return "the system does not let vtutil debug it: another debugger holds it, or the Yama "
           "ptrace scope (/proc/sys/kernel/yama/ptrace_scope) lets vtutil debug only its own "
           "descendants";
  }
  return error_text(error);
}
