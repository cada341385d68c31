// The lifetime log's switch in the registry and its file in the log folder.
#include "process/lifetime_log.h"

#include <string>

#include "process/scoped_handle.h"
#include "vtutils/platform/files.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/settings.h"
#include "vtutils/platform/win32_types.h"
#include "vtutils/process.h"

namespace vtutils {
namespace {

constexpr const char* kSwitchKey = "Software\\Brennic\\VTLifeTimeManagerLog";
constexpr const char* kSwitchValue = "Enabled";
constexpr const char* kLogFileName = "vt_lifetime_manager_log.txt";

bool logging_enabled() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSwitchKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return false;
  }
  DWORD type = REG_NONE;
  DWORD value = 0;
  DWORD size = sizeof value;
  const LONG read =
      RegQueryValueExA(key, kSwitchValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return read == ERROR_SUCCESS && type == REG_DWORD && value != 0;
}

}  // namespace

void lifetime_log_write(const char* message) {
  if (!logging_enabled()) return;
  const std::string folder = vtplatform::log_folder();
  if (folder.empty()) return;
  const CString path = CString(folder.c_str()) + kLogFileName;
  // An appending handle, so that records of several processes never overwrite each other, and
  // one write per record, so that they never interleave inside a line. A link in the log's place
  // is not followed.
  const ScopedHandle file(CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_WRITE, nullptr,
                                      OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                      nullptr));
  if (!file) return;
  SetFilePointer(file.get(), 0, nullptr, FILE_END);
  CString record;
  vtuProcess::append_time_string(record);
  record += " ";
  record += message;
  DWORD written = 0;
  WriteFile(file.get(), static_cast<const char*>(record), static_cast<DWORD>(record.GetLength()),
            &written, nullptr);
}

}  // namespace vtutils
