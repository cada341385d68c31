// vtutil path free: the first file name in a folder that nothing has yet, numbered from a given
// number ("scan1.txt", "scan2.txt", ...) or as Windows Explorer numbers copies ("scan.txt",
// "scan (2).txt", ...).
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "command_failure.h"
#include "commands.h"
#include "escaped.h"
#include "json_line.h"
#include "vtutils/file_utils.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/win32_types.h"

namespace {

struct FreePathOptions {
  std::string folder;
  std::string base_name;
  std::string extension;
  int first_number = 1;
  bool windows_style = false;
  bool json = false;
};

void run_path_free(const FreePathOptions& options) {
  if (options.base_name.find('/') != std::string::npos) {
    fail_usage("path free", "BASE is a file name and may not hold '/': " + options.base_name);
  }
  std::error_code error;
  if (!std::filesystem::is_directory(options.folder, error)) {
    fail_command("path free", "no folder " + options.folder + ": " +
                                  (error ? error.message() : std::string("Not a directory")));
  }
  const CString folder(options.folder.c_str());
  const CString base_name(options.base_name.c_str());
  const CString extension(options.extension.c_str());
  const CString path =
      options.windows_style
          ? vtuFileUtils::find_first_available_file_path_windows_style(folder, base_name, extension)
          : vtuFileUtils::find_first_available_file_path(folder, base_name, extension,
                                                         options.first_number);
  if (path.IsEmpty()) {
    fail_command("path free", "the folder and the file name are longer than a path may be (" +
                                  std::to_string(MAX_PATH - 1) + " characters)");
  }
  if (options.json) {
    JsonLine().text("path", path.GetString()).write("path free");
  } else {
    std::printf("%s\n", escaped(path.GetString()).c_str());
  }
}

// The library attaches the extension as given, and reads an empty one as ".exe"; asking for the
// dot keeps "scan1txt" and surprise executables out of scripts.
std::string check_extension(const std::string& extension) {
  return extension.starts_with('.') ? std::string() : "must start with a dot, as in .txt";
}

}  // namespace

void add_path_command(CLI::App& app) {
  CLI::App* command = app.add_subcommand("path", "Path operations on a folder");
  command->require_subcommand(1);

  auto options = std::make_shared<FreePathOptions>();
  CLI::App* free = command->add_subcommand(
      "free", "Print the first path FOLDER/BASE<n>EXT that nothing has, counting n up");
  free->add_option("FOLDER", options->folder, "The folder to look in")->required();
  free->add_option("BASE", options->base_name, "The file name before the number")->required();
  free->add_option("EXT", options->extension, "The extension with its dot, such as .txt")
      ->required()
      ->check(CLI::Validator(check_extension, "", "extension"));
  CLI::Option* windows =
      free->add_flag("--windows", options->windows_style,
                     "Number as Windows Explorer does: scan.txt, then \"scan (2).txt\", ...");
  free->add_option("--first", options->first_number, "The first number to try (default 1)")
      ->excludes(windows);
  add_json_flag(free, options->json);
  free->callback([options] { run_path_free(*options); });
}
