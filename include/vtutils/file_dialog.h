// vtuFileDialog: the framework's open and save dialog with a typed getter and setter for each
// setting of its settings record, so that callers never touch the record itself. Every text
// setting is copied into a text owned by the dialog, so the caller's strings need not outlive
// the call. Show it with DoModal; afterwards the same getters read the user's answer.
#pragma once

#include "vtutils/export.h"
#include "vtutils/platform/file_dialogs.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/win32_types.h"

class VTUTILS_API vtuFileDialog : public CFileDialog {
 public:
  // The arguments go unchanged to CFileDialog: `open` nonzero for an open dialog, the default
  // extension, the initial file name, the OFN_* flags, the filter in the framework's "|" form
  // (CFileFilterBuilder::get_filter), the parent window, the settings-record size (0 for the
  // default) and `vista_style` nonzero for the newer dialog.
  vtuFileDialog(BOOL open, LPCSTR default_extension, LPCSTR file_name, DWORD flags, LPCSTR filter,
                CWnd* parent, DWORD record_size, BOOL vista_style);
  ~vtuFileDialog() override;

  // Text settings: the text the field points at, up to its first NUL; empty when it points
  // nowhere. After DoModal, filename() is the chosen path, or for several files their folder.
  const CString filename() const;
  const CString filter() const;
  const CString initial_dir() const;
  const CString title() const;
  const CString file_extension() const;
  const CString template_name() const;

  // Number settings and handles, as the record holds them.
  HINSTANCE instance() const;
  DWORD buffer_size() const;  // nMaxFile, in characters
  DWORD cust_filter_size() const;
  DWORD filter_index() const;
  DWORD flags() const;
  WORD file_extension_offset() const;
  LPOFNHOOKPROC hook() const;
  // True when at least one bit of `mask` is set in the flags.
  bool contains_flag(DWORD mask) const;

  // Each text setter keeps its own copy and points the field at it until it is called again or
  // the dialog is destroyed. The text goes to the record unchanged: a filter given here must
  // already be in the system's form, each part ended by a NUL and the list by one more. The copy
  // gets one NUL more than the text has, so that a list without its end is not read past.
  void set_filter(CString filter);
  void set_initial_dir(CString folder);
  void set_title(CString title);
  void set_file_extension(CString extension);
  void set_template_name(CString name);

  // Makes `name` the file name buffer's content and its size: nMaxFile becomes the name's length
  // without its terminator.
  void set_filename(CString name);
  // Gives the file name buffer room for `size` characters (nMaxFile = size) and a terminator,
  // keeping its text, and returns a copy of that text. The way to make room for longer answers.
  // A size of INT_MAX or more cannot be allocated: the framework's memory exception.
  CString set_filename_size(DWORD size);

  void set_flags(DWORD flags);
  // Sets the bits of `mask`, keeping the others.
  void add_flag(DWORD mask);
  void set_cust_filter_size(DWORD size);
  void set_filter_index(DWORD index);
  void set_file_extension_offset(WORD offset);
  void set_instance(HINSTANCE instance);
  // Setting a hook or a template does not enable it: add OFN_ENABLEHOOK or OFN_ENABLETEMPLATE.
  void set_hook(LPOFNHOOKPROC hook);

 private:
  // Hands the record a writable buffer of file_name_ with room for `size` characters.
  void open_file_name_buffer(DWORD size);

  CString filter_;
  CString template_name_;
  CString file_name_;
  CString initial_dir_;
  CString title_;
  CString file_extension_;
};
