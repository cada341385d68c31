// The shell items behind the Vista-style file dialog: a chosen file, a list of them, and the
// dialog's selection interface, which holds the answer the user is confirming and the last
// accepted one. Internal to libvtplatform.so; CFileDialog owns one FileDialogSelection.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "vtplatform/win32/shell_item.h"
#include "win32/core/com_object.h"

namespace vtplatform {

// One file, by its full path in the ANSI code page.
class ShellItemObject final : public ComObject<IShellItem> {
 public:
  explicit ShellItemObject(std::string path) : path_(std::move(path)) {}

  HRESULT QueryInterface(REFIID iid, void** object) override;
  HRESULT GetDisplayName(SIGDN form, LPWSTR* name) override;

 private:
  std::string path_;
};

// A list of files; each GetItemAt makes a new item.
class ShellItemArrayObject final : public ComObject<IShellItemArray> {
 public:
  explicit ShellItemArrayObject(std::vector<std::string> paths) : paths_(std::move(paths)) {}

  HRESULT QueryInterface(REFIID iid, void** object) override;
  HRESULT GetCount(DWORD* count) override;
  HRESULT GetItemAt(DWORD index, IShellItem** item) override;

 private:
  std::vector<std::string> paths_;
};

// The dialog's selection. CFileDialog opens a confirmation with the paths the user chose, which
// GetSelectedItems then reports, and closes it, keeping the paths as the results when they were
// accepted. Callers may hold the object past the dialog's life; it stays usable and then only
// reports the last results.
class FileDialogSelection final : public ComObject<IFileOpenDialog> {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override;
  HRESULT GetSelectedItems(IShellItemArray** items) override;
  HRESULT GetResults(IShellItemArray** items) override;

  void begin_confirmation(std::vector<std::string> paths);
  void end_confirmation(bool accepted);
  // The paths being confirmed; null outside a confirmation.
  const std::vector<std::string>* confirming() const {
    return confirming_ ? &*confirming_ : nullptr;
  }

 private:
  std::optional<std::vector<std::string>> confirming_;
  std::optional<std::vector<std::string>> results_;
};

}  // namespace vtplatform
