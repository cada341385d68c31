// The registry functions on the per-user ".reg" file: where the file lives, key handles, and the
// Windows buffer rules of the value calls.
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/registry.h"
#include "win32/core/kernel_object.h"
#include "win32/settings/reg_file.h"
#include "win32/settings/registry_store.h"
#include "win32/text/ansi_text.h"

using vtplatform::RegFile;
using vtplatform::RegValue;

namespace {

using vtplatform::kUserRoot;
constexpr std::string_view kMachineRoot = "HKEY_LOCAL_MACHINE";

// The key that an HKEY handle names: its full path and the rights it was opened with.
class RegistryKey : public vtplatform::KernelObject {
 public:
  RegistryKey(std::string path, REGSAM access) : path_(std::move(path)), access_(access) {}
  const std::string& path() const { return path_; }
  REGSAM access() const { return access_; }

 private:
  std::string path_;
  REGSAM access_;
};

struct OpenKey {
  std::string path;
  REGSAM access = 0;
};

// The key that `key` names, or nothing when it is neither a stored root nor an open key handle.
std::optional<OpenKey> resolve(HKEY key) {
  if (key == HKEY_CURRENT_USER) return OpenKey{std::string(kUserRoot), KEY_ALL_ACCESS};
  if (key == HKEY_LOCAL_MACHINE) return OpenKey{std::string(kMachineRoot), KEY_READ};
  const auto object = vtplatform::find_handle_as<RegistryKey>(key);
  if (!object) return std::nullopt;
  return OpenKey{object->path(), object->access()};
}

// HKEY_CLASSES_ROOT (0x80000000) to HKEY_CURRENT_USER_LOCAL_SETTINGS (0x80000007).
bool is_predefined(HKEY key) {
  const auto value = reinterpret_cast<std::uintptr_t>(key);
  return value >= 0x80000000 && value <= 0x80000007;
}

REGSAM map_access(REGSAM desired) {
  desired &= ~(KEY_WOW64_32KEY | KEY_WOW64_64KEY);
  if ((desired & (MAXIMUM_ALLOWED | GENERIC_ALL)) != 0) return KEY_ALL_ACCESS;
  REGSAM access = desired & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE);
  if ((desired & (GENERIC_READ | GENERIC_EXECUTE)) != 0) access |= KEY_READ;
  if ((desired & GENERIC_WRITE) != 0) access |= KEY_WRITE;
  return access;
}

// The path of `sub_key` below `parent`, empty components skipped.
LONG child_path(const std::string& parent, LPCSTR sub_key, std::string& path) {
  path = parent;
  if (sub_key == nullptr) return ERROR_SUCCESS;
  std::string_view rest(sub_key);
  if (rest.starts_with('\\')) return ERROR_BAD_PATHNAME;
  if (!RegFile::fits_in_lines(rest)) return ERROR_INVALID_PARAMETER;
  vtplatform::append_key_path(path, rest);
  return ERROR_SUCCESS;
}

bool is_user_path(std::string_view path) {
  return path.starts_with(kUserRoot) &&
         (path.size() == kUserRoot.size() || path[kUserRoot.size()] == '\\');
}

// The roots always exist; nothing below HKEY_LOCAL_MACHINE does.
bool key_exists(const RegFile& file, const std::string& path) {
  return path == kUserRoot || path == kMachineRoot || (is_user_path(path) && file.has_key(path));
}

std::string_view value_name(LPCSTR name) { return name == nullptr ? std::string_view() : name; }

// The common part of RegOpenKeyExA and RegCreateKeyExA: the parent, the new key's path and rights.
LONG prepare_open(HKEY key, LPCSTR sub_key, REGSAM desired, PHKEY result, OpenKey& parent,
                  OpenKey& opened) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  auto resolved = resolve(key);
  if (!resolved) return ERROR_INVALID_HANDLE;
  parent = std::move(*resolved);
  if (const LONG error = child_path(parent.path, sub_key, opened.path)) return error;
  opened.access = map_access(desired);
  // A user may read the machine's keys but not change them.
  if (!is_user_path(opened.path) && (opened.access & ~KEY_READ) != 0) return ERROR_ACCESS_DENIED;
  return ERROR_SUCCESS;
}

HKEY open_handle(OpenKey opened) {
  return static_cast<HKEY>(vtplatform::open_handle(
      std::make_shared<RegistryKey>(std::move(opened.path), opened.access)));
}

}  // namespace

LSTATUS RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD, REGSAM desired, PHKEY result) {
  OpenKey parent;
  OpenKey opened;
  if (const LONG error = prepare_open(key, sub_key, desired, result, parent, opened)) return error;
  RegFile file;
  if (const LONG error = vtplatform::read_registry_store(file)) return error;
  if (!key_exists(file, parent.path)) return ERROR_KEY_DELETED;
  if (!key_exists(file, opened.path)) return ERROR_FILE_NOT_FOUND;
  *result = open_handle(std::move(opened));
  return ERROR_SUCCESS;
}

LSTATUS RegCreateKeyExA(HKEY key, LPCSTR sub_key, DWORD, LPSTR, DWORD options, REGSAM desired,
                        const LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition) {
  if (options != REG_OPTION_NON_VOLATILE) return ERROR_INVALID_PARAMETER;
  OpenKey parent;
  OpenKey opened;
  if (const LONG error = prepare_open(key, sub_key, desired, result, parent, opened)) return error;
  DWORD outcome = REG_OPENED_EXISTING_KEY;
  const LONG error = vtplatform::update_registry_store([&](RegFile& file, bool& changed) -> LONG {
    if (!key_exists(file, parent.path)) return ERROR_KEY_DELETED;
    if (key_exists(file, opened.path)) return ERROR_SUCCESS;
    if ((parent.access & KEY_CREATE_SUB_KEY) == 0) return ERROR_ACCESS_DENIED;
    file.add_key(opened.path);
    changed = true;
    outcome = REG_CREATED_NEW_KEY;
    return ERROR_SUCCESS;
  });
  if (error != ERROR_SUCCESS) return error;
  if (disposition != nullptr) *disposition = outcome;
  *result = open_handle(std::move(opened));
  return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                         LPDWORD size) {
  if (reserved != nullptr || (data != nullptr && size == nullptr)) return ERROR_INVALID_PARAMETER;
  const auto opened = resolve(key);
  if (!opened) return ERROR_INVALID_HANDLE;
  if ((opened->access & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
  RegFile file;
  if (const LONG error = vtplatform::read_registry_store(file)) return error;
  if (!key_exists(file, opened->path)) return ERROR_KEY_DELETED;
  const RegValue* value =
      is_user_path(opened->path) ? file.find_value(opened->path, value_name(name)) : nullptr;
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;

  if (type != nullptr) *type = value->type;
  const auto needed = static_cast<DWORD>(value->data.size());
  if (data != nullptr) {
    if (*size < needed) {
      *size = needed;
      return ERROR_MORE_DATA;
    }
    std::memcpy(data, value->data.data(), needed);
  }
  if (size != nullptr) *size = needed;
  return ERROR_SUCCESS;
}

LSTATUS RegSetValueExA(HKEY key, LPCSTR name, DWORD, DWORD type, const BYTE* data, DWORD size) {
  if (data == nullptr && size != 0) return ERROR_INVALID_PARAMETER;
  RegValue value{std::string(value_name(name)), type, std::string()};
  if (!RegFile::fits_in_lines(value.name)) return ERROR_INVALID_PARAMETER;
  if (size != 0) value.data.assign(reinterpret_cast<const char*>(data), size);
  const auto opened = resolve(key);
  if (!opened) return ERROR_INVALID_HANDLE;
  if ((opened->access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
  return vtplatform::update_registry_store([&](RegFile& file, bool& changed) -> LONG {
    if (!key_exists(file, opened->path)) return ERROR_KEY_DELETED;
    file.set_value(opened->path, value);
    changed = true;
    return ERROR_SUCCESS;
  });
}

LSTATUS RegDeleteValueA(HKEY key, LPCSTR name) {
  const auto opened = resolve(key);
  if (!opened) return ERROR_INVALID_HANDLE;
  if ((opened->access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
  return vtplatform::update_registry_store([&](RegFile& file, bool& changed) -> LONG {
    if (!key_exists(file, opened->path)) return ERROR_KEY_DELETED;
    changed = file.delete_value(opened->path, value_name(name));
    return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
}

LSTATUS RegDeleteKeyA(HKEY key, LPCSTR sub_key) {
  if (sub_key == nullptr) return ERROR_INVALID_PARAMETER;
  const auto parent = resolve(key);
  if (!parent) return ERROR_INVALID_HANDLE;
  std::string path;
  if (const LONG error = child_path(parent->path, sub_key, path)) return error;
  if (path == kUserRoot || path == kMachineRoot) return ERROR_ACCESS_DENIED;
  return vtplatform::update_registry_store([&](RegFile& file, bool& changed) -> LONG {
    if (!key_exists(file, parent->path)) return ERROR_KEY_DELETED;
    if (!key_exists(file, path)) return ERROR_FILE_NOT_FOUND;
    if (file.has_subkeys(path)) return ERROR_ACCESS_DENIED;
    changed = file.delete_key(path);
    // Keys on the way to a created key have no section of their own; the parent stays.
    const std::string parent_path = path.substr(0, vtplatform::AnsiText(path).rfind('\\'));
    if (parent_path != kUserRoot) file.add_key(parent_path);
    return ERROR_SUCCESS;
  });
}

LSTATUS RegCloseKey(HKEY key) {
  if (is_predefined(key)) return ERROR_SUCCESS;
  if (!vtplatform::find_handle_as<RegistryKey>(key)) return ERROR_INVALID_HANDLE;
  return vtplatform::close_handle(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
