// The framework's open and save dialog. It keeps the settings record that DoModal shows, and
// hands the record to the process's file dialog presenter (file_dialog_presenter.h): a desktop
// tool, a script, or a cancel where neither is available.
#pragma once

#include <string>
#include <vector>

#include "vtplatform/export.h"
#include "vtplatform/mfc/cstring.h"
#include "vtplatform/mfc/window.h"
#include "vtplatform/win32/com_ptr.h"
#include "vtplatform/win32/commdlg.h"
#include "vtplatform/win32/shell_item.h"
#include "vtplatform/win32/types.h"

namespace vtplatform {
class FileDialogSelection;
}  // namespace vtplatform

// A place in one of the framework's lists, handed from one call of an iteration to the next;
// null when the iteration is over.
struct POSITION__;
using POSITION = POSITION__*;

class VTPLATFORM_API CFileDialog : public CCommonDialog {
 public:
  // `open` nonzero for an open dialog, zero for a save dialog. The initial file name is copied
  // into the dialog's own buffer of MAX_PATH characters, which lpstrFile points at (nMaxFile
  // MAX_PATH; a longer name is cut). `filter` is in the framework's form, each part ended by "|"
  // ("Text files (*.txt)|*.txt||"); the record gets the dialog's own copy with NUL in place of
  // every "|". `default_extension` (without its dot), `flags` (OFN_EXPLORER is added, as the
  // framework does) and the parent's window as owner reach the record as given. `record_size` 0
  // means sizeof(OPENFILENAMEA). `vista_style` nonzero chooses the newer dialog, whose
  // selection GetIFileOpenDialog reaches while the user confirms.
  explicit CFileDialog(BOOL open, LPCSTR default_extension = nullptr, LPCSTR file_name = nullptr,
                       DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       LPCSTR filter = nullptr, CWnd* parent = nullptr, DWORD record_size = 0,
                       BOOL vista_style = TRUE);
  ~CFileDialog() override;
  CFileDialog(const CFileDialog&) = delete;
  CFileDialog& operator=(const CFileDialog&) = delete;

  // The settings record that the next DoModal shows.
  OPENFILENAMEA& GetOFN() { return m_ofn; }
  const OPENFILENAMEA& GetOFN() const { return m_ofn; }

  // Shows the dialog through the process's presenter and returns IDOK or IDCANCEL. Each answer
  // the user confirms is written into the record as Windows writes it (one path, or the folder
  // and the names of several files), with nFileOffset, nFileExtension and nFilterIndex set, and
  // is then offered to OnFileNameOK; a rejected answer shows the dialog again. An answer that
  // does not fit nMaxFile is never cut: the dialog ends with IDCANCEL and CommDlgExtendedError
  // gives FNERR_BUFFERTOOSMALL. A save dialog appends the default extension to a name without
  // one.
  INT_PTR DoModal() override;

  // lpstrFile up to its first NUL: after an answer the full path, or for several files their
  // folder; before one, the initial name.
  CString GetPathName() const;
  // The file name of a single answer, without its folder.
  CString GetFileName() const;

  // Walks the full paths of the answer, one file or several, the way the framework does:
  //   for (POSITION at = dialog.GetStartPosition(); at != nullptr;)
  //     use(dialog.GetNextPathName(at));
  // GetStartPosition is null when lpstrFile is empty. GetNextPathName returns the path at
  // `position` and moves it to the next one, or to null after the last; a position that is not
  // one of this record's gives "" and null.
  POSITION GetStartPosition() const;
  CString GetNextPathName(POSITION& position) const;

  // The Vista-style dialog's selection interface with a reference the caller releases; null for
  // a classic or a save dialog. GetSelectedItems answers while OnFileNameOK runs, GetResults
  // after an accepted answer; the object outlives the dialog as long as the caller holds it.
  IFileOpenDialog* GetIFileOpenDialog();
  // Copies the answer that the Vista-style dialog is confirming into lpstrFile, as DoModal writes
  // it, when it fits nMaxFile; otherwise the dialog ends with FNERR_BUFFERTOOSMALL unless a later
  // call, after the buffer has been made larger in OnFileNameOK, copies it.
  void UpdateOFNFromShellDialog();

 protected:
  // Called when the user confirms an answer that the record already holds. Nonzero rejects it
  // and keeps the dialog open. The framework's own check accepts every answer.
  virtual BOOL OnFileNameOK();

  OPENFILENAMEA m_ofn;
  BOOL m_bOpenFileDialog;
  BOOL m_bVistaStyle;
  CHAR m_szFileName[MAX_PATH];
  CString m_strFilter;

 private:
  // Writes `paths` into the record. Returns 0 when they fit, else the size they need.
  DWORD write_answer(const std::vector<std::string>& paths);
  // Ends DoModal for an answer that did not fit: IDCANCEL with FNERR_BUFFERTOOSMALL.
  INT_PTR fail_too_small(DWORD needed_size);

  // The Vista-style dialog's selection; null for the classic dialog.
  vtplatform::ComPtr<vtplatform::FileDialogSelection> selection_;
  // The size that the Vista-style answer being confirmed needs while it is not in the record;
  // 0 once it is.
  DWORD unwritten_size_ = 0;
};
