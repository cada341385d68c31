// The application object, its registration in the application's module state, and its profile in
// the per-user registry or in an INI file.
#include "vtplatform/mfc/win_app.h"

#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/module.h"
#include "vtplatform/win32/private_profile.h"
#include "vtplatform/win32/registry.h"

namespace {

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<HKEY__, KeyCloser>;

// The application's name, or the program's file name when it has none: the name a user sees in
// the process list, and stable from one run to the next.
std::string application_name(LPCSTR app_name) {
  if (app_name != nullptr) return app_name;
  char path[4096];
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) return "application";
  return std::filesystem::path(std::string(path, length)).filename().string();
}

// The section's key opened for reading values; null when it is not there or cannot be read.
UniqueKey open_section(const std::string& path) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &opened) !=
      ERROR_SUCCESS) {
    return nullptr;
  }
  return UniqueKey(opened);
}

// The REG_SZ value `entry` of `key` up to its first NUL, or nothing.
std::optional<std::string> query_string(HKEY key, LPCSTR entry) {
  std::string data;
  for (;;) {
    DWORD type = REG_NONE;
    auto size = static_cast<DWORD>(data.size());
    const LSTATUS status = RegQueryValueExA(key, entry, nullptr, &type,
                                            reinterpret_cast<BYTE*>(data.data()), &size);
    if (status == ERROR_MORE_DATA) {
      data.resize(size);  // the value grew since it was sized; ask again
      continue;
    }
    if (status != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
    data.resize(size);
    return data.substr(0, data.find('\0'));
  }
}

}  // namespace

CWinApp::CWinApp(LPCSTR app_name)
    : m_pszAppName(app_name), m_hInstance(GetModuleHandleA(nullptr)) {
  AfxGetAppModuleState()->m_pCurrentWinApp = this;
}

CWinApp::~CWinApp() {
  AFX_MODULE_STATE* state = AfxGetAppModuleState();
  if (state->m_pCurrentWinApp == this) state->m_pCurrentWinApp = nullptr;
}

void CWinApp::SetRegistryKey(LPCSTR registry_key) {
  if (registry_key == nullptr) return;
  registry_key_ = registry_key;
  profile_name_ = application_name(m_pszAppName);
  m_pszRegistryKey = registry_key_.c_str();
  m_pszProfileName = profile_name_.c_str();
}

LPCSTR CWinApp::profile_name() {
  if (m_pszProfileName == nullptr) {
    profile_name_ = m_pszRegistryKey != nullptr ? application_name(m_pszAppName)
                                                : application_name(m_pszAppName) + ".ini";
    m_pszProfileName = profile_name_.c_str();
  }
  return m_pszProfileName;
}

std::string CWinApp::section_path(LPCSTR section) {
  return std::string("Software\\") + m_pszRegistryKey + "\\" + profile_name() + "\\" + section;
}

CString CWinApp::GetProfileString(LPCSTR section, LPCSTR entry, LPCSTR default_value) {
  if (section == nullptr || entry == nullptr) return CString(default_value);
  if (m_pszRegistryKey == nullptr) {
    // Grow the buffer until the value fits with room to spare: a cut value fills it exactly.
    std::string buffer(256, '\0');
    for (;;) {
      const DWORD length =
          GetPrivateProfileStringA(section, entry, default_value, buffer.data(),
                                   static_cast<DWORD>(buffer.size()), profile_name());
      if (length + 1 < buffer.size()) return CString(buffer.c_str());
      buffer.resize(buffer.size() * 2);
    }
  }
  const UniqueKey key = open_section(section_path(section));
  const auto value = key ? query_string(key.get(), entry) : std::nullopt;
  return value ? CString(value->c_str()) : CString(default_value);
}

UINT CWinApp::GetProfileInt(LPCSTR section, LPCSTR entry, int default_value) {
  const auto fallback = static_cast<UINT>(default_value);
  if (section == nullptr || entry == nullptr) return fallback;
  if (m_pszRegistryKey == nullptr) {
    return GetPrivateProfileIntA(section, entry, default_value, profile_name());
  }
  const UniqueKey key = open_section(section_path(section));
  DWORD type = REG_NONE;
  DWORD value = 0;
  DWORD size = sizeof value;
  if (!key || RegQueryValueExA(key.get(), entry, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                               &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof value) {
    return fallback;
  }
  return value;
}

BOOL CWinApp::WriteProfileString(LPCSTR section, LPCSTR entry, LPCSTR value) {
  if (section == nullptr) return FALSE;
  if (m_pszRegistryKey == nullptr) {
    return WritePrivateProfileStringA(section, entry, value, profile_name());
  }
  const std::string path = section_path(section);
  if (entry == nullptr) {
    const LSTATUS status = RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
  }
  if (value == nullptr) {
    HKEY opened = nullptr;
    const LSTATUS status =
        RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_SET_VALUE, &opened);
    if (status == ERROR_FILE_NOT_FOUND) return TRUE;
    if (status != ERROR_SUCCESS) return FALSE;
    const UniqueKey key(opened);
    const LSTATUS deleted = RegDeleteValueA(key.get(), entry);
    return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
  }
  return set_registry_value(section, entry, REG_SZ, value,
                            static_cast<DWORD>(std::strlen(value) + 1));
}

BOOL CWinApp::WriteProfileInt(LPCSTR section, LPCSTR entry, int value) {
  if (section == nullptr || entry == nullptr) return FALSE;
  if (m_pszRegistryKey == nullptr) {
    return WritePrivateProfileStringA(section, entry, std::to_string(value).c_str(),
                                      profile_name());
  }
  const auto number = static_cast<DWORD>(value);
  return set_registry_value(section, entry, REG_DWORD, &number, sizeof number);
}

BOOL CWinApp::set_registry_value(LPCSTR section, LPCSTR entry, DWORD type, const void* data,
                                 DWORD size) {
  HKEY opened = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, section_path(section).c_str(), 0, nullptr,
                      REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &opened,
                      nullptr) != ERROR_SUCCESS) {
    return FALSE;
  }
  const UniqueKey key(opened);
  return RegSetValueExA(key.get(), entry, 0, type, static_cast<const BYTE*>(data), size) ==
         ERROR_SUCCESS;
}

CWinApp* AfxGetApp() { return AfxGetModuleState()->m_pCurrentWinApp; }

HINSTANCE AfxGetInstanceHandle() {
  const CWinApp* app = AfxGetApp();
  return app != nullptr ? app->m_hInstance : GetModuleHandleA(nullptr);
}
