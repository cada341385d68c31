// vtuPersistentFileDialog: one run of the file dialog inside the restore and save cycle of a
// persistent folder, with a file name buffer sized for multiple selections.
#include "vtutils/persistent_file_dialog.h"

#include <memory>

#include "vtutils/persistent_folder.h"
#include "vtutils/platform/text.h"

namespace {

// The file name buffer for one file.
constexpr DWORD kSingleSelectionBufferSize = MAX_PATH;
// The file name buffer for a multiple selection in the classic dialog.
constexpr DWORD kClassicMultipleSelectionBufferSize = 26101;
// The dialog result of OK.
constexpr INT_PTR kAccepted = 1;

struct ComRelease {
  void operator()(IUnknown* object) const { object->Release(); }
};
template <class T>
using ComReference = std::unique_ptr<T, ComRelease>;

struct TaskMemFree {
  void operator()(wchar_t* memory) const { CoTaskMemFree(memory); }
};

// The room that `name` takes in the file name buffer with its terminator: its length in the
// ANSI code page, in which the dialog writes the answer. That is one unit per character in a
// single-byte code page, and more where characters take several bytes (UTF-8, double-byte).
DWORD ansi_size(const wchar_t* name) {
  const int size = WideCharToMultiByte(CP_ACP, 0, name, -1, nullptr, 0, nullptr, nullptr);
  return size > 0 ? static_cast<DWORD>(size) : 0;
}

CString copy_of(const char* text) { return text != nullptr ? CString(text) : CString(); }

}  // namespace

vtuPersistentFileDialog::vtuPersistentFileDialog(const char* section, const char* entry,
                                                 const char* default_folder, BOOL open,
                                                 const char* default_extension,
                                                 const char* file_name, DWORD flags,
                                                 const char* filter, CWnd* parent, BOOL vista_style)
    : vtuFileDialog(open, default_extension, file_name, flags, filter, parent, 0, vista_style),
      section_(copy_of(section)),
      entry_(copy_of(entry)),
      default_folder_(copy_of(default_folder)) {}

vtuPersistentFileDialog::~vtuPersistentFileDialog() = default;

INT_PTR vtuPersistentFileDialog::DoModal() {
  INT_PTR result = 0;
  {
    vtuPersistentFolder folder;
    folder.restore(section_, entry_,
                   default_folder_.IsEmpty() ? nullptr : default_folder_.GetString());
    set_initial_dir(folder.current_directory());
    if (contains_flag(OFN_ALLOWMULTISELECT) && !m_bVistaStyle) set_filename_buffer();
    result = CFileDialog::DoModal();
    if (result == kAccepted) folder.set_directory(GetPathName());
  }  // the folder saves the current directory as it goes, whatever the result
  return result;
}

BOOL vtuPersistentFileDialog::OnFileNameOK() {
  if (CFileDialog::OnFileNameOK()) return TRUE;
  if (m_bVistaStyle) set_filename_buffer();
  return FALSE;
}

DWORD vtuPersistentFileDialog::calculate_required_buffer_size() {
  if (!contains_flag(OFN_ALLOWMULTISELECT)) return kSingleSelectionBufferSize;
  if (!m_bVistaStyle) return kClassicMultipleSelectionBufferSize;
  return calculate_required_buffer_size_vista();
}

DWORD vtuPersistentFileDialog::calculate_required_buffer_size_vista() {
  DWORD total = 0;
  const ComReference<IFileOpenDialog> dialog(GetIFileOpenDialog());
  IShellItemArray* selection = nullptr;
  if (dialog && SUCCEEDED(dialog->GetSelectedItems(&selection))) {
    const ComReference<IShellItemArray> items(selection);
    DWORD count = 0;
    if (FAILED(items->GetCount(&count))) count = 0;
    for (DWORD index = 0; index < count; ++index) {
      IShellItem* item = nullptr;
      if (FAILED(items->GetItemAt(index, &item))) continue;
      const ComReference<IShellItem> held(item);
      // The first item's full path covers the folder, its separator and the first name.
      const SIGDN form = index == 0 ? SIGDN_FILESYSPATH : SIGDN_NORMALDISPLAY;
      wchar_t* name = nullptr;
      if (FAILED(held->GetDisplayName(form, &name))) continue;
      const std::unique_ptr<wchar_t, TaskMemFree> owned(name);
      total += ansi_size(owned.get());
    }
  }
  return total + 1;  // the list's closing terminator
}

void vtuPersistentFileDialog::set_filename_buffer() {
  const DWORD required = calculate_required_buffer_size();
  if (required <= buffer_size()) return;
  set_filename_size(required);
  if (m_bVistaStyle) UpdateOFNFromShellDialog();
}
