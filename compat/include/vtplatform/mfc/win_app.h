// The application object. A host creates one CWinApp (usually a static object of a class derived
// from it) and the framework finds it through the application's module state. Its profile keeps
// the application's settings from one run to the next.
#pragma once

#include <string>

#include "vtplatform/export.h"
#include "vtplatform/mfc/cstring.h"
#include "vtplatform/mfc/module_state.h"
#include "vtplatform/win32/types.h"

class VTPLATFORM_API CWinApp {
 public:
  // Registers the object as the application's. `app_name` is kept as given (null: none). The
  // instance handle is the running program's; a host that runs inside another program may set
  // another module's handle.
  explicit CWinApp(LPCSTR app_name = nullptr);
  // Unregisters the object if it is still the application's.
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Keeps the profile from now on in the per-user registry under
  // HKEY_CURRENT_USER\Software\<registry_key>\<profile name>\<section>, one REG_SZ value per
  // entry. The profile name becomes the application's name, or the program's file name when the
  // application has none. The object keeps its own copies of both texts; m_pszRegistryKey and
  // m_pszProfileName point at them. A null key is ignored.
  void SetRegistryKey(LPCSTR registry_key);

  // The text stored under `section` and `entry`, or `default_value` (null: empty) when nothing
  // is stored there, the registry holds a value of another type than REG_SZ, or the store cannot
  // be read. Reading never creates keys or files.
  CString GetProfileString(LPCSTR section, LPCSTR entry, LPCSTR default_value = nullptr);
  // Stores `value` under `section` and `entry`; a null value removes the entry, a null entry the
  // whole section (in the registry only a section key without subkeys). Removing what is not
  // there succeeds. FALSE when the store cannot be written or `section` is null.
  BOOL WriteProfileString(LPCSTR section, LPCSTR entry, LPCSTR value);
  // The number stored under `section` and `entry`, or `default_value` when nothing is stored
  // there or the store cannot be read. In the registry the value must be a REG_DWORD (any other
  // type reads as missing); in an INI file the text is read as GetPrivateProfileIntA reads it.
  UINT GetProfileInt(LPCSTR section, LPCSTR entry, int default_value);
  // Stores `value` under `section` and `entry`: a REG_DWORD in the registry, its decimal text in
  // an INI file. FALSE when the store cannot be written or `section` or `entry` is null.
  BOOL WriteProfileInt(LPCSTR section, LPCSTR entry, int value);

  LPCSTR m_pszAppName;
  HINSTANCE m_hInstance;
  // Null until SetRegistryKey; then the profile is in the registry.
  LPCSTR m_pszRegistryKey = nullptr;
  // Without a registry key, the INI file that holds the profile (see GetPrivateProfileStringA for
  // where a name without '/' lives), which a host may point at its own text before the first
  // profile call; the first call sets the default, "<app name>.ini" in the user's profile folder
  // $XDG_CONFIG_HOME/vtutils/. With a registry key, the key's last part.
  LPCSTR m_pszProfileName = nullptr;

 private:
  // m_pszProfileName, set to the default first when the host named none.
  LPCSTR profile_name();
  // The section's key below HKEY_CURRENT_USER; only with a registry key.
  std::string section_path(LPCSTR section);
  // Sets the registry value `entry` of the section's key, creating the key as needed.
  BOOL set_registry_value(LPCSTR section, LPCSTR entry, DWORD type, const void* data,
                          DWORD size);

  std::string registry_key_;
  std::string profile_name_;
};

// The application object, or null when the host has none.
VTPLATFORM_API CWinApp* AfxGetApp();
// The application's instance handle: the application object's m_hInstance, or the running
// program's module handle when the host has no application object.
VTPLATFORM_API HINSTANCE AfxGetInstanceHandle();
