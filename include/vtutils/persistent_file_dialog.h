// vtuPersistentFileDialog: a file dialog that opens in the folder where the user last chose a
// file with the same profile section and entry, also after a restart, and whose file name
// buffer grows to fit a multiple selection of any size.
#pragma once

#include "vtutils/export.h"
#include "vtutils/file_dialog.h"
#include "vtutils/platform/file_dialogs.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/win32_types.h"

class VTUTILS_API vtuPersistentFileDialog : public vtuFileDialog {
 public:
  // The folder is kept under `section` and `entry` of the application's profile; with nothing
  // stored there the dialog opens in `default_folder`, or without one in the current directory.
  // The three texts are copied (null gives an empty text). The other arguments are those of
  // vtuFileDialog, with the default settings-record size.
  vtuPersistentFileDialog(const char* section, const char* entry, const char* default_folder,
                          BOOL open, const char* default_extension, const char* file_name,
                          DWORD flags, const char* filter, CWnd* parent, BOOL vista_style);
  ~vtuPersistentFileDialog() override;

  // Shows the dialog in the stored folder and, whatever the answer, stores the current directory
  // afterwards: after OK the chosen file's folder (for several files, their folder). A classic
  // dialog with OFN_ALLOWMULTISELECT opens with room for 26101 characters.
  INT_PTR DoModal() override;

  // Called when the user confirms: after the framework's own check, a Vista-style dialog makes
  // the file name buffer large enough for the whole selection and copies it again. Nonzero
  // rejects the answer.
  BOOL OnFileNameOK() override;

 private:
  // The buffer size the answer needs: MAX_PATH for one file, 26101 for several in the classic
  // dialog, the size of the current selection in the Vista-style one.
  DWORD calculate_required_buffer_size();
  // The characters of the Vista-style dialog's current selection as it is written into the
  // buffer: the first full path, each further name, each with a terminator, and the closing
  // terminator. 1 when the selection cannot be read.
  DWORD calculate_required_buffer_size_vista();
  // Grows the file name buffer to the required size; it never shrinks.
  void set_filename_buffer();

  CString section_;
  CString entry_;
  CString default_folder_;
};
