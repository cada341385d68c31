// Shell items of the file dialog: display names in wide text and the selection's two lists.
#include "win32/files/shell_items.h"

#include "vtplatform/win32/code_page.h"

namespace vtplatform {
namespace {

// `text` (ANSI code page) as wide text in task memory, or null when memory runs out.
LPWSTR task_wide_text(const std::string& text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (length <= 0) return nullptr;
  auto* wide =
      static_cast<LPWSTR>(CoTaskMemAlloc(sizeof(wchar_t) * static_cast<std::size_t>(length)));
  if (wide == nullptr) return nullptr;
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, length);
  return wide;
}

HRESULT hand_out_items(const std::optional<std::vector<std::string>>& paths,
                       IShellItemArray** items) {
  if (items == nullptr) return E_POINTER;
  *items = nullptr;
  if (!paths) return E_UNEXPECTED;
  *items = new ShellItemArrayObject(*paths);
  return S_OK;
}

}  // namespace

HRESULT ShellItemObject::QueryInterface(REFIID iid, void** object) {
  return query(iid, object, {IID_IShellItem});
}

HRESULT ShellItemObject::GetDisplayName(SIGDN form, LPWSTR* name) {
  if (name == nullptr) return E_POINTER;
  *name = nullptr;
  std::string text;
  if (form == SIGDN_FILESYSPATH) {
    text = path_;
  } else if (form == SIGDN_NORMALDISPLAY) {
    text = path_.substr(path_.rfind('/') + 1);
  } else {
    return E_INVALIDARG;
  }
  *name = task_wide_text(text);
  return *name != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT ShellItemArrayObject::QueryInterface(REFIID iid, void** object) {
  return query(iid, object, {IID_IShellItemArray});
}

HRESULT ShellItemArrayObject::GetCount(DWORD* count) {
  if (count == nullptr) return E_POINTER;
  *count = static_cast<DWORD>(paths_.size());
  return S_OK;
}

HRESULT ShellItemArrayObject::GetItemAt(DWORD index, IShellItem** item) {
  if (item == nullptr) return E_POINTER;
  *item = nullptr;
  if (index >= paths_.size()) return E_INVALIDARG;
  *item = new ShellItemObject(paths_[index]);
  return S_OK;
}

HRESULT FileDialogSelection::QueryInterface(REFIID iid, void** object) {
  return query(iid, object, {IID_IFileOpenDialog});
}

HRESULT FileDialogSelection::GetSelectedItems(IShellItemArray** items) {
  return hand_out_items(confirming_, items);
}

HRESULT FileDialogSelection::GetResults(IShellItemArray** items) {
  return hand_out_items(results_, items);
}

void FileDialogSelection::begin_confirmation(std::vector<std::string> paths) {
  confirming_ = std::move(paths);
}

void FileDialogSelection::end_confirmation(bool accepted) {
  if (accepted && confirming_) results_ = std::move(confirming_);
  confirming_.reset();
}

}  // namespace vtplatform
