// vtutil share: grants the well-known group Everyone rights on a file or folder through
// vtuSecurityDescriptor: read the access list, set Everyone's entry, write the list back.
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "command_failure.h"
#include "commands.h"
#include "vtutils/file_utils.h"
#include "vtutils/platform/files.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/security.h"
#include "vtutils/platform/win32_types.h"
#include "vtutils/security_descriptor.h"

namespace {

const std::map<std::string, unsigned int> kRights{
    {"read", GENERIC_READ},
    {"write", GENERIC_WRITE},
    {"execute", GENERIC_EXECUTE},
    {"all", GENERIC_ALL},
};

struct ShareOptions {
  std::string path;
  std::vector<std::string> rights{"read", "execute"};
  bool no_inherit = false;
};

// The error in plain words, with what the user can do about it where that is not plain.
std::string describe_error(unsigned int error) {
  const std::string text = error_text(error);
  switch (error) {
    case ERROR_ACCESS_DENIED: return text + " (only the owner may change the rights)";
    case ERROR_NOT_SUPPORTED: return text + " (the file system keeps no access lists)";
    default: return text;
  }
}

void check_step(unsigned int error, const char* step, const std::string& path) {
  if (error != ERROR_SUCCESS) {
    fail_command("share", std::string(step) + " of " + path + ": " + describe_error(error));
  }
}

void run_share(const ShareOptions& options) {
  const CString path(options.path.c_str());
  if (!vtuFileUtils::path_file_exists(path)) {
    fail_command("share", "nothing is named " + options.path);
  }
  unsigned int rights = 0;
  std::string rights_text;
  for (const std::string& name : options.rights) {
    rights |= kRights.at(name);  // checked by the option
    rights_text += (rights_text.empty() ? "" : ", ") + name;
  }
  // Files and folders created in a shared folder later get Everyone's rights too.
  const bool inherit = !options.no_inherit && PathIsDirectoryA(path);
  const unsigned int inheritance = inherit ? SUB_CONTAINERS_AND_OBJECTS_INHERIT : NO_INHERITANCE;

  vtuSecurityDescriptor descriptor(options.path.c_str());
  check_step(descriptor.get_named_security_info(DACL_SECURITY_INFORMATION),
             "cannot read the access list", options.path);
  check_step(descriptor.add_everyone_to_dacl(inheritance, rights),
             "cannot add Everyone to the access list", options.path);
  check_step(descriptor.set_named_security_info(DACL_SECURITY_INFORMATION),
             "cannot write the access list", options.path);
  std::printf("Everyone: %s on %s%s\n", rights_text.c_str(), options.path.c_str(),
              inherit ? ", inherited by what is created in it" : "");
}

}  // namespace

void add_share_command(CLI::App& app) {
  auto options = std::make_shared<ShareOptions>();
  CLI::App* command = app.add_subcommand("share", "Grant Everyone rights on a file or folder");
  command->footer(
      "Everyone's earlier rights on PATH are replaced. Exits with 1 when PATH does not exist or "
      "its rights cannot be changed.");
  command->add_option("PATH", options->path, "The file or folder to share")->required();
  command
      ->add_option("--rights", options->rights,
                   "The rights to grant: read, write, execute, all (default read execute)")
      ->check(CLI::IsMember(kRights));
  command->add_flag("--no-inherit", options->no_inherit,
                    "For a folder: do not pass the rights on to files and folders created in it");
  command->callback([options] { run_share(*options); });
}
