// Who shows the open and save dialogs. CFileDialog::DoModal describes the dialog in a
// FileDialogRequest and asks the process's presenter for the user's answer. By default that is
// the desktop presenter, which runs zenity or kdialog when a display and one of the tools are
// there, and otherwise cancels. Tests and embedding hosts install a ScriptedFileDialogPresenter
// or their own.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "vtplatform/export.h"

namespace vtplatform {

struct FileDialogFilter {
  std::string description;            // "Text files (*.txt)"
  std::vector<std::string> patterns;  // {"*.txt", "*.log"}
};

// What the dialog shows, taken from the settings record; text in the ANSI code page.
struct FileDialogRequest {
  bool open = true;                  // false: a save dialog
  std::string title;                 // empty: the tool's own
  std::string initial_folder;        // empty: the current directory
  std::string initial_name;          // the name lpstrFile held
  std::vector<FileDialogFilter> filters;
  std::uint32_t filter_index = 1;    // the filter shown first, from 1
  bool multiple = false;             // OFN_ALLOWMULTISELECT
  bool confirm_overwrite = false;    // OFN_OVERWRITEPROMPT, save dialogs only
  std::string default_extension;     // without the dot
};

// The user's answer: the chosen files with full paths (several only when multiple was asked
// for), and the filter in use, from 1.
struct FileDialogAnswer {
  std::vector<std::string> paths;
  std::uint32_t filter_index = 1;
};

class VTPLATFORM_API FileDialogPresenter {
 public:
  virtual ~FileDialogPresenter() = default;
  // Shows the dialog and blocks until the user answers; nothing when the user cancels or the
  // dialog cannot be shown.
  virtual std::optional<FileDialogAnswer> show(const FileDialogRequest& request) = 0;
};

// Answers from a script, in order: each show takes the next entry, a list of paths or a cancel,
// and cancels once the script is used up. Keeps every request it was shown.
class VTPLATFORM_API ScriptedFileDialogPresenter : public FileDialogPresenter {
 public:
  void add_answer(std::vector<std::string> paths, std::uint32_t filter_index = 1);
  void add_cancel();
  std::optional<FileDialogAnswer> show(const FileDialogRequest& request) override;
  std::vector<FileDialogRequest> requests() const;

 private:
  mutable std::mutex mutex_;
  std::deque<std::optional<FileDialogAnswer>> script_;
  std::vector<FileDialogRequest> requests_;
};

// The desktop presenter: zenity, else kdialog, found on PATH, when DISPLAY or WAYLAND_DISPLAY is
// set; nothing otherwise.
VTPLATFORM_API std::unique_ptr<FileDialogPresenter> make_desktop_file_dialog_presenter();

// Installs `presenter` for every later dialog of the process and returns the one it replaces
// (null for the default); null restores the default.
VTPLATFORM_API std::shared_ptr<FileDialogPresenter> set_file_dialog_presenter(
    std::shared_ptr<FileDialogPresenter> presenter);

}  // namespace vtplatform
