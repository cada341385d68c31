// Choosing the file of vtutil dump: --output, the executable's folder, or the temporary folder.
#include "dump_destination.h"

#include <unistd.h>

#include <array>
#include <filesystem>
#include <string_view>

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

std::string temp_folder() {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  return folder;
}

}  // namespace

std::string dump_destination(const vtuProcess& process, const std::string& output) {
  if (!output.empty()) {
    std::error_code ignored;
    if (!std::filesystem::is_directory(output, ignored)) return output;
    return (std::filesystem::path(output) / generated_name(process)).string();
  }
  const std::string executable = process.main_module_file_name().GetString();
  const std::string folder = std::filesystem::path(executable).parent_path().string();
  if (executable.starts_with('/') && !is_system_folder(folder) &&
      ::access(folder.c_str(), W_OK) == 0) {
    return "";
  }
  return temp_folder() + generated_name(process);
}
