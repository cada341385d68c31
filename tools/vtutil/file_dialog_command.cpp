// vtutil open and vtutil save: the open and save dialogs of vtuFileDialog, or of
// vtuPersistentFileDialog when the folder is to be remembered in the user's profile, shown by the
// desktop's zenity or kdialog. The chosen paths are printed one a line.
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "command_failure.h"
#include "commands.h"
#include "vtplatform/mfc/file_dialog_presenter.h"
#include "vtutils/file_dialog.h"
#include "vtutils/persistent_file_dialog.h"
#include "vtutils/platform/file_dialogs.h"
#include "vtutils/platform/framework.h"
#include "vtutils/platform/win32_types.h"

namespace {

// The file name buffer of an open dialog for several files without a profile: room for the names
// of a large selection. A longer one ends the dialog with FNERR_BUFFERTOOSMALL.
constexpr DWORD kMultipleSelectionBufferSize = 32768;

struct FileDialogOptions {
  std::string title;
  std::string filter;
  bool multiple = false;
  bool vista = false;
  std::string name;
  std::string extension;
  std::pair<std::string, std::string> profile;  // section and entry, or both empty
  std::string folder;
};

const char* text_or_null(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

// The chosen paths as the record holds them: one full path, or, when the character before the
// first name is a NUL, the folder followed by each name, up to an empty one.
std::vector<std::string> chosen_paths(const vtuFileDialog& dialog) {
  const OPENFILENAMEA& record = dialog.GetOFN();
  const std::string first(dialog.filename().GetString());
  if (record.nFileOffset == 0 || record.nFileOffset > record.nMaxFile ||
      record.lpstrFile[record.nFileOffset - 1] != '\0') {
    return {first};
  }
  const std::string separator = first.ends_with('/') ? "" : "/";
  std::vector<std::string> paths;
  for (DWORD offset = record.nFileOffset; offset < record.nMaxFile;) {
    const char* name = record.lpstrFile + offset;
    const std::size_t length = ::strnlen(name, record.nMaxFile - offset);
    if (length == 0) break;
    paths.push_back(first + separator + std::string(name, length));
    offset += static_cast<DWORD>(length) + 1;
  }
  return paths;
}

void run_file_dialog(const char* command, bool open, const FileDialogOptions& options) {
  // Without a presenter the dialog would cancel at once and look like the user's cancel.
  if (vtplatform::make_desktop_file_dialog_presenter() == nullptr) {
    fail_command(command,
                 "no dialog can be shown: no display or neither zenity nor kdialog installed");
  }
  DWORD flags = OFN_HIDEREADONLY;
  flags |= open ? OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST : OFN_OVERWRITEPROMPT;
  if (options.multiple) flags |= OFN_ALLOWMULTISELECT;
  const BOOL vista = options.vista ? TRUE : FALSE;

  // The profile is the application's: the persistent dialog finds it through the application
  // object, which therefore outlives the dialog.
  std::optional<CWinApp> app;
  std::unique_ptr<vtuFileDialog> dialog;
  if (!options.profile.first.empty()) {
    app.emplace("vtutil");
    app->SetRegistryKey("VTUtils");
    dialog = std::make_unique<vtuPersistentFileDialog>(
        options.profile.first.c_str(), options.profile.second.c_str(), text_or_null(options.folder),
        open, text_or_null(options.extension), text_or_null(options.name), flags,
        text_or_null(options.filter), nullptr, vista);
  } else {
    dialog = std::make_unique<vtuFileDialog>(open, text_or_null(options.extension),
                                             text_or_null(options.name), flags,
                                             text_or_null(options.filter), nullptr, 0, vista);
    if (!options.folder.empty()) dialog->set_initial_dir(options.folder.c_str());
    if (options.multiple) {
      // The larger buffer is the dialog's own text, not the constructor's buffer with the name.
      dialog->set_filename(options.name.c_str());
      dialog->set_filename_size(kMultipleSelectionBufferSize);
    }
  }
  if (!options.title.empty()) dialog->set_title(options.title.c_str());

  if (dialog->DoModal() != IDOK) {
    if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL) {
      // The dialog leaves the size it needed in the buffer's first two bytes, 65535 at most.
      const OPENFILENAMEA& record = dialog->GetOFN();
      const unsigned needed = static_cast<unsigned char>(record.lpstrFile[0]) |
                              static_cast<unsigned char>(record.lpstrFile[1]) << 8;
      fail_command(command,
                   "the chosen path" + std::string(options.multiple ? "s need " : " needs ") +
                       std::to_string(needed) + (needed == 0xFFFF ? " or more" : "") +
                       " characters, more than the " + std::to_string(record.nMaxFile) +
                       " that the dialog's file name buffer holds",
                   2);
    }
    fail_command(command, "cancelled");
  }
  for (const std::string& path : chosen_paths(*dialog)) std::printf("%s\n", path.c_str());
}

void add_file_dialog_command(CLI::App& app, const char* name, bool open) {
  auto options = std::make_shared<FileDialogOptions>();
  CLI::App* command = app.add_subcommand(
      name, std::string("Show the ") + name +
                " dialog and print the chosen path (for several files, each on its own line); a "
                "cancel, or a dialog that cannot be shown, prints nothing and ends with exit "
                "status 1");
  command->add_option("--title", options->title, "The dialog's title");
  command->add_option("--filter", options->filter,
                      "The file types in the framework's \"|\" form, as vtutil filter prints them");
  if (open) {
    command->add_flag("--multiple", options->multiple, "Let the user choose several files");
  }
  command->add_flag("--vista", options->vista, "Use the Vista-style dialog");
  command->add_option("--name", options->name, "The initial file name");
  command->add_option("--extension", options->extension,
                      "The default extension, without its dot, added by a save dialog to a name "
                      "without one");
  command
      ->add_option("--profile", options->profile,
                   "Open in the folder last chosen under this section and entry of vtutil's "
                   "profile, and remember the folder chosen now")
      ->type_name("SECTION ENTRY")
      ->check(CLI::Validator(
          [](const std::string& text) { return text.empty() ? "must not be empty" : ""; }, ""));
  command
      ->add_option("--folder", options->folder,
                   "The folder the dialog opens in; with --profile only while nothing is "
                   "remembered")
      ->check(CLI::ExistingDirectory);
  command->callback([options, name, open] { run_file_dialog(name, open, *options); });
}

}  // namespace

void add_open_command(CLI::App& app) { add_file_dialog_command(app, "open", true); }

void add_save_command(CLI::App& app) { add_file_dialog_command(app, "save", false); }
