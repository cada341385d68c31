// vtuFileDialog: typed access to the settings record of the framework's file dialog, with every
// text setting kept in a text the dialog owns.
#include "vtutils/file_dialog.h"

#include <climits>
#include <utility>

namespace {

// The text a record field points at, up to its first NUL; empty for no pointer.
CString text_of(LPCSTR field) { return field != nullptr ? CString(field) : CString(); }

// Makes `owned` the dialog's copy of `text` and points the record's `field` at it.
void keep_text(CString& owned, CString text, LPCSTR& field) {
  owned = std::move(text);
  field = owned;
}

}  // namespace

vtuFileDialog::vtuFileDialog(BOOL open, LPCSTR default_extension, LPCSTR file_name, DWORD flags,
                             LPCSTR filter, CWnd* parent, DWORD record_size, BOOL vista_style)
    : CFileDialog(open, default_extension, file_name, flags, filter, parent, record_size,
                  vista_style) {}

vtuFileDialog::~vtuFileDialog() = default;

const CString vtuFileDialog::filename() const { return text_of(m_ofn.lpstrFile); }
const CString vtuFileDialog::filter() const { return text_of(m_ofn.lpstrFilter); }
const CString vtuFileDialog::initial_dir() const { return text_of(m_ofn.lpstrInitialDir); }
const CString vtuFileDialog::title() const { return text_of(m_ofn.lpstrTitle); }
const CString vtuFileDialog::file_extension() const { return text_of(m_ofn.lpstrDefExt); }
const CString vtuFileDialog::template_name() const { return text_of(m_ofn.lpTemplateName); }

HINSTANCE vtuFileDialog::instance() const { return m_ofn.hInstance; }
DWORD vtuFileDialog::buffer_size() const { return m_ofn.nMaxFile; }
DWORD vtuFileDialog::cust_filter_size() const { return m_ofn.nMaxCustFilter; }
DWORD vtuFileDialog::filter_index() const { return m_ofn.nFilterIndex; }
DWORD vtuFileDialog::flags() const { return m_ofn.Flags; }
WORD vtuFileDialog::file_extension_offset() const { return m_ofn.nFileExtension; }
LPOFNHOOKPROC vtuFileDialog::hook() const { return m_ofn.lpfnHook; }
bool vtuFileDialog::contains_flag(DWORD mask) const { return (m_ofn.Flags & mask) != 0; }

void vtuFileDialog::set_filter(CString filter) {
  // The dialog reads the list up to an empty part. One more NUL after the text gives a list
  // that lacks it an end inside the copy, and changes nothing in one that has it.
  const int length = filter.GetLength();
  filter.GetBufferSetLength(length + 1);
  filter.ReleaseBuffer(length + 1);
  keep_text(filter_, std::move(filter), m_ofn.lpstrFilter);
}

void vtuFileDialog::set_initial_dir(CString folder) {
  keep_text(initial_dir_, std::move(folder), m_ofn.lpstrInitialDir);
}

void vtuFileDialog::set_title(CString title) {
  keep_text(title_, std::move(title), m_ofn.lpstrTitle);
}

void vtuFileDialog::set_file_extension(CString extension) {
  keep_text(file_extension_, std::move(extension), m_ofn.lpstrDefExt);
}

void vtuFileDialog::set_template_name(CString name) {
  keep_text(template_name_, std::move(name), m_ofn.lpTemplateName);
}

void vtuFileDialog::set_filename(CString name) {
  file_name_.ReleaseBuffer();
  file_name_ = name;
  open_file_name_buffer(static_cast<DWORD>(file_name_.GetLength()));
}

CString vtuFileDialog::set_filename_size(DWORD size) {
  // The dialog writes up to nMaxFile characters, so a buffer that cannot be that large must not
  // be handed out under that size.
  if (size >= static_cast<DWORD>(INT_MAX)) AfxThrowMemoryException();
  file_name_.ReleaseBuffer();
  open_file_name_buffer(size);
  return CString(file_name_.GetString());  // the text up to its NUL, not the open buffer
}

void vtuFileDialog::open_file_name_buffer(DWORD size) {
  m_ofn.nMaxFile = size;
  m_ofn.lpstrFile = file_name_.GetBuffer(static_cast<int>(size));
}

void vtuFileDialog::set_flags(DWORD flags) { m_ofn.Flags = flags; }
void vtuFileDialog::add_flag(DWORD mask) { m_ofn.Flags |= mask; }
void vtuFileDialog::set_cust_filter_size(DWORD size) { m_ofn.nMaxCustFilter = size; }
void vtuFileDialog::set_filter_index(DWORD index) { m_ofn.nFilterIndex = index; }
void vtuFileDialog::set_file_extension_offset(WORD offset) { m_ofn.nFileExtension = offset; }
void vtuFileDialog::set_instance(HINSTANCE instance) { m_ofn.hInstance = instance; }
void vtuFileDialog::set_hook(LPOFNHOOKPROC hook) { m_ofn.lpfnHook = hook; }
