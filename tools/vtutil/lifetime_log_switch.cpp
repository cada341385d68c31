// The lifetime log's switch and file, named as the library names them; it reads the switch anew
// for every record it writes, so a change takes effect at once.
#include "lifetime_log_switch.h"

#include <memory>

#include "vtutils/platform/files.h"
#include "vtutils/platform/win32_types.h"

namespace {

constexpr const char* kSwitchKey = "Software\\Brennic\\VTLifeTimeManagerLog";
constexpr const char* kSwitchValue = "Enabled";
constexpr const char* kLogFileName = "vt_lifetime_manager_log.txt";

using ScopedKey = std::unique_ptr<HKEY__, LSTATUS (*)(HKEY)>;

}  // namespace

LSTATUS set_lifetime_log_switch(bool on) {
  HKEY handle = nullptr;
  const LSTATUS status = RegCreateKeyExA(HKEY_CURRENT_USER, kSwitchKey, 0, nullptr,
                                         REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &handle,
                                         nullptr);
  if (status != ERROR_SUCCESS) return status;
  const ScopedKey key(handle, RegCloseKey);
  const DWORD value = on ? 1 : 0;
  return RegSetValueExA(key.get(), kSwitchValue, 0, REG_DWORD,
                        reinterpret_cast<const BYTE*>(&value), sizeof value);
}

LSTATUS read_lifetime_log_switch(bool& on) {
  on = false;
  HKEY handle = nullptr;
  LSTATUS status = RegOpenKeyExA(HKEY_CURRENT_USER, kSwitchKey, 0, KEY_QUERY_VALUE, &handle);
  if (status != ERROR_SUCCESS) return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
  const ScopedKey key(handle, RegCloseKey);
  DWORD type = REG_NONE;
  DWORD value = 0;
  DWORD size = sizeof value;
  status = RegQueryValueExA(key.get(), kSwitchValue, nullptr, &type,
                            reinterpret_cast<BYTE*>(&value), &size);
  on = status == ERROR_SUCCESS && type == REG_DWORD && value != 0;
  // Another type that does not fit the four bytes is off as well.
  return status == ERROR_FILE_NOT_FOUND || status == ERROR_MORE_DATA ? ERROR_SUCCESS : status;
}

std::string lifetime_log_path() {
  const std::string folder = vtplatform::log_folder();
  return folder.empty() ? folder : folder + kLogFileName;
}
