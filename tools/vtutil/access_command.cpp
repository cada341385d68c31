// vtutil access: whether the current user holds rights on a folder, as the folder's own security
// descriptor grants them to the process's token. Made for scripts: the answer is the exit status.
#include <cstdio>
#include <memory>
#include <string>

#include "command_failure.h"
#include "commands.h"
#include "json_line.h"
#include "vtutils/file_utils.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/security.h"

namespace {

struct AccessOptions {
  std::string folder;
  bool read = false;
  bool write = false;
  bool execute = false;
  bool all = false;
  bool json = false;
};

void run_access(const AccessOptions& options) {
  const unsigned int rights =
      (options.read ? GENERIC_READ : 0) | (options.write ? GENERIC_WRITE : 0) |
      (options.execute ? GENERIC_EXECUTE : 0) | (options.all ? GENERIC_ALL : 0);
  if (rights == 0) {
    throw CLI::RequiredError("at least one of --read, --write, --execute, --all");
  }
  const CString folder(options.folder.c_str());
  // The library answers "denied" for a missing folder as well; scripts want to tell them apart.
  if (!vtuFileUtils::path_file_exists(folder)) {
    fail_command("access", "nothing is named " + options.folder);
  }
  const bool granted = vtuFileUtils::can_access_folder(folder, rights);
  if (options.json) {
    JsonLine().text("folder", options.folder).boolean("granted", granted).write("access");
  } else {
    std::printf("%s\n", granted ? "granted" : "denied");
  }
  if (!granted) throw CLI::RuntimeError(kExitFailure);
}

}  // namespace

void add_access_command(CLI::App& app) {
  auto options = std::make_shared<AccessOptions>();
  CLI::App* command = app.add_subcommand(
      "access", "Tell whether the current user holds the given rights on a folder");
  command->footer(
      "Prints \"granted\" and exits with 0, or prints \"denied\" and exits with 1. Exits with 1 "
      "and says so when FOLDER does not exist.");
  command->add_option("FOLDER", options->folder, "The folder to check")->required();
  command->add_flag("--read", options->read, "Read: list the folder and read its attributes");
  command->add_flag("--write", options->write, "Write: add files and subfolders");
  command->add_flag("--execute", options->execute, "Execute: pass through the folder");
  command->add_flag("--all", options->all,
                    "All rights, changing the folder's permissions and deleting it included");
  add_json_flag(command, options->json);
  command->callback([options] { run_access(*options); });
}
