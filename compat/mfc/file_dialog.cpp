// CFileDialog: the settings record, the request built from it, and the answer written back into
// it the way the system's dialog writes it.
#include "vtplatform/mfc/file_dialog.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>
#include <utility>

#include "mfc/file_dialog_presenters.h"
#include "vtplatform/mfc/win_app.h"
#include "vtplatform/win32/module.h"
#include "win32/files/shell_items.h"
#include "win32/text/ansi_text.h"

namespace {

using vtplatform::AnsiText;
using vtplatform::FileDialogAnswer;
using vtplatform::FileDialogFilter;
using vtplatform::FileDialogRequest;

thread_local DWORD last_dialog_error = 0;

std::string text_or_empty(LPCSTR text) { return text != nullptr ? text : ""; }

// lpstrFile up to its first NUL, never past nMaxFile.
std::string file_text(const OPENFILENAMEA& record) {
  if (record.lpstrFile == nullptr) return {};
  const char* end = std::find(record.lpstrFile, record.lpstrFile + record.nMaxFile, '\0');
  return std::string(record.lpstrFile, static_cast<std::size_t>(end - record.lpstrFile));
}

std::string trimmed(std::string_view text) {
  constexpr std::string_view kSpace = " \t";
  const std::size_t first = text.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(kSpace) - first + 1));
}

// The pairs of a NUL-separated filter list, up to the empty text that ends it.
std::vector<FileDialogFilter> parse_filters(LPCSTR list) {
  std::vector<FileDialogFilter> filters;
  if (list == nullptr) return filters;
  while (*list != '\0') {
    FileDialogFilter filter;
    filter.description = list;
    list += filter.description.size() + 1;
    const std::string_view patterns = list;
    list += patterns.size() + 1;
    for (std::size_t start = 0; start <= patterns.size();) {
      std::size_t end = patterns.find(';', start);
      if (end == std::string_view::npos) end = patterns.size();
      if (std::string pattern = trimmed(patterns.substr(start, end - start)); !pattern.empty()) {
        filter.patterns.push_back(std::move(pattern));
      }
      start = end + 1;
    }
    filters.push_back(std::move(filter));
    // A description without patterns ends the list: its NUL and the pattern's make the pair
    // of NULs that closes it.
    if (patterns.empty()) break;
  }
  return filters;
}

FileDialogRequest request_from(const OPENFILENAMEA& record, bool open) {
  FileDialogRequest request;
  request.open = open;
  request.title = text_or_empty(record.lpstrTitle);
  request.initial_folder = text_or_empty(record.lpstrInitialDir);
  request.initial_name = file_text(record);
  request.filters = parse_filters(record.lpstrFilter);
  request.filter_index = record.nFilterIndex;
  request.multiple = (record.Flags & OFN_ALLOWMULTISELECT) != 0;
  request.confirm_overwrite = !open && (record.Flags & OFN_OVERWRITEPROMPT) != 0;
  request.default_extension = text_or_empty(record.lpstrDefExt);
  return request;
}

std::string_view folder_of(std::string_view path) {
  const std::size_t slash = AnsiText(path).rfind('/');
  return path.substr(0, slash == 0 ? 1 : slash);
}

std::string_view name_of(std::string_view path) {
  return path.substr(AnsiText(path).rfind('/') + 1);
}

// The answer's paths as the record gets them, or nothing for an answer that no dialog gives:
// no path, a relative path or one without a file name, several paths where one was asked for or
// from different folders. Such an answer from a presenter is refused like a cancel, since
// writing it would hand the caller names it cannot use. A save dialog adds the default extension
// to a name without one.
std::optional<std::vector<std::string>> checked_paths(const FileDialogAnswer& answer,
                                                      const FileDialogRequest& request) {
  std::vector<std::string> paths = answer.paths;
  if (paths.empty() || (paths.size() > 1 && !request.multiple)) return std::nullopt;
  for (std::string& path : paths) {
    if (path.empty() || path.front() != '/' || name_of(path).empty() ||
        path.find('\0') != std::string::npos || folder_of(path) != folder_of(paths.front())) {
      return std::nullopt;
    }
    if (!request.open && !request.default_extension.empty() &&
        AnsiText(name_of(path)).find('.') == std::string_view::npos) {
      path += '.' + request.default_extension;
    }
  }
  return paths;
}

// The text the record gets, terminators included: one full path, or the folder and then each
// name, closed by one more NUL.
std::string record_text(const std::vector<std::string>& paths) {
  if (paths.size() == 1) return paths.front() + '\0';
  std::string text(folder_of(paths.front()));
  text += '\0';
  for (const std::string& path : paths) {
    text += name_of(path);
    text += '\0';
  }
  text += '\0';
  return text;
}

}  // namespace

DWORD CommDlgExtendedError() { return last_dialog_error; }

CFileDialog::CFileDialog(BOOL open, LPCSTR default_extension, LPCSTR file_name, DWORD flags,
                         LPCSTR filter, CWnd* parent, DWORD record_size, BOOL vista_style)
    : m_ofn{}, m_bOpenFileDialog(open), m_bVistaStyle(vista_style), m_szFileName{} {
  m_ofn.lStructSize = record_size != 0 ? record_size : sizeof(OPENFILENAMEA);
  m_ofn.hwndOwner = parent != nullptr ? parent->m_hWnd : nullptr;
  m_ofn.hInstance = AfxGetInstanceHandle();
  if (file_name != nullptr) {
    const std::size_t length = std::min<std::size_t>(std::strlen(file_name), MAX_PATH - 1);
    std::memcpy(m_szFileName, file_name, length);
  }
  m_ofn.lpstrFile = m_szFileName;
  m_ofn.nMaxFile = MAX_PATH;
  m_ofn.lpstrDefExt = default_extension;
  m_ofn.Flags = flags | OFN_EXPLORER;
  if (filter != nullptr) {
    // The record's form: every "|" character becomes a NUL. A filter whose last part lacks its
    // "|" still gets the two NULs that end the list, so nobody reads past the copy.
    std::string converted = filter;
    const AnsiText characters(filter);
    for (std::size_t bar = characters.find('|'); bar != std::string::npos;
         bar = characters.find('|', bar + 1)) {
      converted[bar] = '\0';
    }
    while (converted.size() < 2 || converted.compare(converted.size() - 2, 2, "\0\0", 2) != 0) {
      converted += '\0';
    }
    const int length = static_cast<int>(converted.size());
    std::memcpy(m_strFilter.GetBufferSetLength(length), converted.data(), converted.size());
    m_strFilter.ReleaseBuffer(length);
    m_ofn.lpstrFilter = m_strFilter.GetString();
    m_ofn.nFilterIndex = 1;
  }
  if (vista_style) {
    selection_ = vtplatform::ComPtr<vtplatform::FileDialogSelection>::adopt(
        new vtplatform::FileDialogSelection);
  }
}

CFileDialog::~CFileDialog() = default;

INT_PTR CFileDialog::DoModal() {
  last_dialog_error = 0;
  const std::shared_ptr<vtplatform::FileDialogPresenter> presenter =
      vtplatform::file_dialog_presenter();
  if (!presenter) return IDCANCEL;
  FileDialogRequest request = request_from(m_ofn, m_bOpenFileDialog != FALSE);
  // A rejected answer keeps the dialog open: the presenter is asked again.
  for (;;) {
    const std::optional<FileDialogAnswer> answer = presenter->show(request);
    if (!answer) return IDCANCEL;
    const std::optional<std::vector<std::string>> paths = checked_paths(*answer, request);
    if (!paths) return IDCANCEL;
    // The presenter asked about overwriting the name it was given. When the default extension
    // makes that the name of a file that exists, the dialog shows that name to be asked about.
    if (request.confirm_overwrite && paths->front() != answer->paths.front() &&
        std::filesystem::exists(paths->front())) {
      request.initial_name = paths->front();
      continue;
    }
    m_ofn.nFilterIndex = answer->filter_index;
    if (!selection_) {
      if (const DWORD needed = write_answer(*paths); needed != 0) return fail_too_small(needed);
      if (OnFileNameOK() == FALSE) return IDOK;
      continue;
    }
    selection_->begin_confirmation(*paths);
    unwritten_size_ = 0;
    UpdateOFNFromShellDialog();
    const bool accepted = OnFileNameOK() == FALSE;
    selection_->end_confirmation(accepted);
    if (!accepted) continue;
    const DWORD needed = std::exchange(unwritten_size_, 0);
    return needed == 0 ? IDOK : fail_too_small(needed);
  }
}

DWORD CFileDialog::write_answer(const std::vector<std::string>& paths) {
  const std::string text = record_text(paths);
  if (m_ofn.lpstrFile == nullptr || text.size() > m_ofn.nMaxFile) {
    return static_cast<DWORD>(text.size());
  }
  std::memcpy(m_ofn.lpstrFile, text.data(), text.size());
  if (paths.size() == 1) {
    const std::string_view name = name_of(paths.front());
    const std::size_t name_offset = paths.front().size() - name.size();
    const std::size_t dot = AnsiText(name).rfind('.');
    m_ofn.nFileOffset = static_cast<WORD>(name_offset);
    m_ofn.nFileExtension = static_cast<WORD>(
        dot == std::string_view::npos ? paths.front().size() : name_offset + dot + 1);
  } else {
    m_ofn.nFileOffset = static_cast<WORD>(folder_of(paths.front()).size() + 1);
    m_ofn.nFileExtension = 0;
  }
  return 0;
}

INT_PTR CFileDialog::fail_too_small(DWORD needed_size) {
  // The system's dialog reports the size it needs in the buffer's first two bytes.
  if (m_ofn.lpstrFile != nullptr && m_ofn.nMaxFile >= 2) {
    const WORD size = static_cast<WORD>(std::min<DWORD>(needed_size, 0xFFFF));
    m_ofn.lpstrFile[0] = static_cast<char>(size & 0xFF);
    m_ofn.lpstrFile[1] = static_cast<char>(size >> 8);
  }
  last_dialog_error = FNERR_BUFFERTOOSMALL;
  return IDCANCEL;
}

CString CFileDialog::GetPathName() const {
  return CString(file_text(m_ofn).c_str());
}

CString CFileDialog::GetFileName() const {
  const CString path = GetPathName();
  return path.Mid(path.ReverseFind('/') + 1);
}

POSITION CFileDialog::GetStartPosition() const {
  if (m_ofn.lpstrFile == nullptr || m_ofn.nMaxFile == 0 || m_ofn.lpstrFile[0] == '\0') {
    return nullptr;
  }
  return reinterpret_cast<POSITION>(m_ofn.lpstrFile);
}

CString CFileDialog::GetNextPathName(POSITION& position) const {
  const auto at = reinterpret_cast<std::uintptr_t>(position);
  const auto begin = reinterpret_cast<std::uintptr_t>(m_ofn.lpstrFile);
  position = nullptr;
  if (m_ofn.lpstrFile == nullptr || at < begin || at >= begin + m_ofn.nMaxFile) return CString();
  const std::string_view record(m_ofn.lpstrFile, m_ofn.nMaxFile);
  // Several files are the folder and the names, each ended by NUL, where nFileOffset points
  // just past the folder's NUL; one file is its whole path.
  const WORD first_name = m_ofn.nFileOffset;
  const bool several = first_name > 0 && first_name < record.size() &&
                       record[first_name - 1] == '\0';
  if (!several) return CString(file_text(m_ofn).c_str());
  std::size_t offset = at == begin ? first_name : at - begin;
  const std::string_view name = record.substr(offset, record.find('\0', offset) - offset);
  offset += name.size() + 1;
  if (offset < record.size() && record[offset] != '\0') {
    position = reinterpret_cast<POSITION>(m_ofn.lpstrFile + offset);
  }
  std::string path(record.substr(0, first_name - 1));
  if (!path.ends_with('/')) path += '/';
  return CString((path + std::string(name)).c_str());
}

IFileOpenDialog* CFileDialog::GetIFileOpenDialog() {
  if (!selection_ || !m_bOpenFileDialog) return nullptr;
  selection_->AddRef();
  return selection_.get();
}

void CFileDialog::UpdateOFNFromShellDialog() {
  if (!selection_ || selection_->confirming() == nullptr) return;
  unwritten_size_ = write_answer(*selection_->confirming());
}

BOOL CFileDialog::OnFileNameOK() { return FALSE; }
