// vtutil tempname: a path for a temporary file, as vtuFileUtils::create_temp_file_path makes it
// in the temporary folder, or as vtTmpFilename makes it from the C runtime's name generators.
// Nothing is left behind under the name.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "command_failure.h"
#include "commands.h"
#include "vtutils/file_utils.h"
#include "vtutils/platform/files.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/win32_types.h"
#include "vtutils/tmp_filename.h"

namespace {

struct TempNameOptions {
  std::string prefix = "vtu";
  std::string preferred_name;
  bool runtime = false;
};

void run_tempname(const TempNameOptions& options) {
  if (options.prefix.find('/') != std::string::npos) {
    fail_usage("tempname", "the prefix is the start of a file name and may not hold '/'");
  }
  char folder[MAX_PATH + 1];
  const DWORD length = GetTempPathA(sizeof folder, folder);
  std::error_code error;
  if (length == 0 || length > MAX_PATH || !std::filesystem::is_directory(folder, error)) {
    fail_command("tempname", std::string("the temporary folder ") + folder + " is not there" +
                                 (std::getenv("TMPDIR") != nullptr ? " (TMPDIR)" : ""));
  }
  const CString prefix(options.prefix.c_str());
  if (options.runtime) {
    const vtTmpFilename name(prefix);
    std::printf("%s\n", static_cast<const CString&>(name).GetString());
    return;
  }
  const CString path =
      vtuFileUtils::create_temp_file_path(prefix, CString(options.preferred_name.c_str()));
  if (path.IsEmpty() || path[path.GetLength() - 1] == '/') {
    fail_command("tempname", std::string("cannot make a name in ") + folder);
  }
  std::printf("%s\n", path.GetString());
}

}  // namespace

void add_tempname_command(CLI::App& app) {
  auto options = std::make_shared<TempNameOptions>();
  CLI::App* command = app.add_subcommand(
      "tempname", "Print a path for a temporary file that nothing has yet (nothing is created)");
  command->add_option("--prefix", options->prefix,
                      "Start of a generated name; the temporary folder's names keep its first "
                      "three characters (default vtu)");
  CLI::Option* preferred = command->add_option(
      "--preferred", options->preferred_name,
      "Use this name in the temporary folder while nothing has it, else generate one");
  command
      ->add_flag("--runtime", options->runtime,
                 "A vtTmpFilename name from the C runtime's generators instead")
      ->excludes(preferred);
  command->callback([options] { run_tempname(*options); });
}
