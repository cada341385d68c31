// The installation layout: the layout answer, the application folder and the root cache.
#include "vtutils/layout.h"

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

#include "vtutils/platform/files.h"
#include "vtutils/platform/framework.h"
#include "vtutils/platform/processes.h"
#include "vtutils/platform/win32_types.h"

namespace {

// The layout answer: true (distribution) until it is computed, and when the library's location
// cannot be learned.
bool distri_layout = true;
bool layout_computed = false;

// The root, created invalid on first use and destroyed when the library unloads.
apPathName& root_cache() {
  static apPathName cache;
  return cache;
}

HMODULE this_library() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&this_library), &module);
  return module;
}

// A file handle, closed when the owner goes.
using FileHandle = std::unique_ptr<void, decltype(&CloseHandle)>;

// The canonical absolute form of `path`: links, relative parts and short names resolved, without
// the "\\?\" prefix of a long path. "" when the file cannot be opened.
std::wstring canonical_path(const wchar_t* path) {
  HANDLE file = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  const FileHandle owner(file, &CloseHandle);
  std::wstring result(MAX_PATH, L'\0');
  DWORD length = GetFinalPathNameByHandleW(file, result.data(), MAX_PATH, FILE_NAME_NORMALIZED);
  if (length >= MAX_PATH) {  // did not fit: `length` is the size needed
    result.resize(length);
    length = GetFinalPathNameByHandleW(file, result.data(), length, FILE_NAME_NORMALIZED);
  }
  result.resize(length < result.size() ? length : 0);

  constexpr std::wstring_view kLongPrefix = L"\\\\?\\";
  constexpr std::wstring_view kLongUncPrefix = L"\\\\?\\UNC\\";
  if (result.starts_with(kLongUncPrefix)) {
    result.replace(0, kLongUncPrefix.size(), L"\\\\");
  } else if (result.starts_with(kLongPrefix) && result.size() > 5 && result[5] == L':') {
    result.erase(0, kLongPrefix.size());
  }
  return result;
}

}  // namespace

bool vtu_is_distri_layout() {
  AFX_MAINTAIN_STATE2 state(AfxGetAppModuleState());
  if (layout_computed) return distri_layout;
  layout_computed = true;

  wchar_t module_path[MAX_PATH] = {};
  GetModuleFileNameW(this_library(), module_path, MAX_PATH);
  const std::wstring canonical = canonical_path(module_path);
  if (canonical.empty()) return distri_layout;
  int error = 0;
  const apString text(apStringWcs, canonical.c_str(), error);
  if (error != 0) return distri_layout;

  const apString path = apPathName(text).string();
  distri_layout = path.find_substring(apString(apStringL, L"devel/binaries")) == path.end();
  return distri_layout;
}

CStringW vtu_get_main_application_folder_unicode() {
  const CWinApp* app = AfxGetModuleState()->m_pCurrentWinApp;
  wchar_t module_path[MAX_PATH] = {};
  GetModuleFileNameW(app != nullptr ? app->m_hInstance : nullptr, module_path, MAX_PATH);
  wchar_t full_path[MAX_PATH] = {};
  GetFullPathNameW(module_path, MAX_PATH, full_path, nullptr);
  // Both separators end a folder name, as the shell's path functions read them.
  const CStringW path(full_path);
  return path.Left(std::max(path.ReverseFind(L'\\'), path.ReverseFind(L'/')) + 1);
}

CString vtu_get_main_application_folder() {
  return CString(vtu_get_main_application_folder_unicode());
}

apPathName vtuBrenPath::root() {
  apPathName& cache = root_cache();
  if (!cache.invalid()) return cache;
  if (vtu_is_distri_layout()) {
    int error = 0;
    const apString folder(apStringWcs, vtu_get_main_application_folder_unicode(), error);
    cache = apPathName(folder).dirname().dirname();
  } else {
    cache = apPathName(apString(apStringL, L"P:/devel/products/source/Vantrel.dev/bren"));
  }
  return cache;
}

apPathName vtuBrenPath::file() { return root().combine(apPathName(apString(apStringL, L"file"))); }

apPathName vtuBrenPath::lib() { return root().combine(apPathName(apString(apStringL, L"lib"))); }

apPathName vtuBrenPath::sys() { return root().combine(apPathName(apString(apStringL, L"sys"))); }
