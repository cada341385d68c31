// vtutil reg: the user's registry settings in and out of regedit files. `import` applies a regedit
// file (UTF-16 as Windows exports it, or REGEDIT4) to the registry store, all of it or nothing;
// `export` writes a key and the keys below it as regedit writes them.
#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "command_failure.h"
#include "commands.h"
#include "input_file.h"
#include "registry_failure.h"
#include "vtplatform/win32/regedit.h"
#include "vtutils/platform/win32_types.h"

namespace {

struct ExportOptions {
  std::string key;
  bool regedit4 = false;
  std::string output;
};

// Writes `bytes` to the file `path`, replacing what it held, or ends the command with the reason.
void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  // The stream fails at the first system call that does, which leaves its errno.
  if (!file) fail_command("reg export", "cannot write " + path + ": " + std::strerror(errno));
}

}  // namespace

void add_reg_command(CLI::App& app) {
  CLI::App* command = app.add_subcommand(
      "reg", "The user's registry settings in and out of Windows regedit files");
  command->require_subcommand(1);
  command->footer(
      "The registry is the file vtutils/registry.reg in XDG_CONFIG_HOME, in the locale's code\n"
      "page. Only HKEY_CURRENT_USER keys are stored per user: a file with other roots is not\n"
      "imported, and other roots have nothing to export.");

  auto file = std::make_shared<std::string>();
  CLI::App* import = command->add_subcommand(
      "import",
      "Apply a regedit file to the registry: all of it, or nothing when a line is refused");
  import->add_option("FILE", *file,
                     "A regedit export: UTF-16 as Windows writes it, or REGEDIT4 in the locale's "
                     "code page; - for standard input")
      ->required();
  import->callback([file] {
    InputFile input("reg import", *file);
    std::string problem;
    const LSTATUS status = vtplatform::import_regedit_file(input.read_all(), problem);
    if (status != ERROR_SUCCESS) {
      const std::string name = *file == "-" ? "standard input" : *file;
      fail_command("reg import", (status == ERROR_INVALID_DATA ? name + ": " : std::string()) +
                                     registry_failure(status, problem));
    }
  });

  auto options = std::make_shared<ExportOptions>();
  CLI::App* exported = command->add_subcommand(
      "export", "Write a key and the keys below it as a regedit file");
  exported->add_option("KEY", options->key,
                       "The key, HKEY_CURRENT_USER\\Software\\... or HKCU\\Software\\...")
      ->required();
  exported->add_flag("--regedit4", options->regedit4,
                     "REGEDIT4 in the locale's code page instead of UTF-16 with a byte-order "
                     "mark, the form of today's regedit");
  exported->add_option("--output,-o", options->output,
                       "The file to write instead of standard output");
  exported->callback([options] {
    std::string bytes;
    std::string problem;
    const LSTATUS status = vtplatform::export_regedit_file(
        options->key,
        options->regedit4 ? vtplatform::RegeditForm::kRegedit4 : vtplatform::RegeditForm::kUnicode,
        bytes, problem);
    if (status == ERROR_FILE_NOT_FOUND) {
      fail_command("reg export", "no key " + options->key + " in the registry");
    }
    if (status != ERROR_SUCCESS) fail_command("reg export", registry_failure(status, problem));
    if (options->output.empty()) {
      write_output("reg export", bytes);
    } else {
      write_file(options->output, bytes);
    }
  });
}
