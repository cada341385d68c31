// vtuPersistentFolder: a folder carried by the current directory and kept in the application's
// profile.
#include "vtutils/persistent_folder.h"

#include "vtutils/layout.h"
#include "vtutils/platform/files.h"
#include "vtutils/platform/framework.h"
#include "vtutils/platform/win32_types.h"

vtuPersistentFolder::vtuPersistentFolder() : section_(nullptr), entry_(nullptr) {}

vtuPersistentFolder::vtuPersistentFolder(const vtuPersistentFolder& other) = default;

vtuPersistentFolder& vtuPersistentFolder::operator=(const vtuPersistentFolder& other) = default;

vtuPersistentFolder::~vtuPersistentFolder() { save(); }

void vtuPersistentFolder::restore(const char* section, const char* entry,
                                  const char* default_folder) {
  section_ = section;
  entry_ = entry;
  const CString fallback =
      default_folder != nullptr ? CString(default_folder) : current_directory();
  CWinApp* application = AfxGetApp();
  const CString folder =
      application != nullptr ? application->GetProfileString(section, entry, fallback) : fallback;
  SetCurrentDirectoryA(folder);
}

CString vtuPersistentFolder::current_directory() const {
  char folder[MAX_PATH];
  // A result of MAX_PATH or more is the size a longer directory would need; nothing was copied.
  const DWORD length = GetCurrentDirectoryA(MAX_PATH, folder);
  return length > 0 && length < MAX_PATH ? CString(folder) : CString();
}

void vtuPersistentFolder::set_directory(const char* path) const {
  if (PathIsDirectoryA(path)) {
    SetCurrentDirectoryA(path);
    return;
  }
  CString folder(path);
  PathRemoveFileSpecA(folder.GetBuffer());
  folder.ReleaseBuffer();
  SetCurrentDirectoryA(folder);
}

void vtuPersistentFolder::save() {
  if (section_ == nullptr || entry_ == nullptr) return;
  CWinApp* application = AfxGetApp();
  const CString folder = current_directory();
  // An unreadable current directory would replace the stored folder with nothing.
  if (application == nullptr || folder.IsEmpty()) return;
  application->WriteProfileString(section_, entry_, folder);
}

int vtuPersistentFolder::is_distri_layout() { return vtu_is_distri_layout() ? 1 : 0; }
