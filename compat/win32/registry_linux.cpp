// The registry functions on the per-user ".reg" file: where the file lives, its locking and
// atomic replacement, key handles, and the Windows buffer rules of the value calls.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/registry.h"
#include "win32/errno_error.h"
#include "win32/kernel_object.h"
#include "win32/reg_file.h"
#include "win32/sibling_file.h"
#include "win32/unique_fd.h"
#include "win32/xdg_folders.h"

using vtplatform::RegFile;
using vtplatform::RegValue;
using vtplatform::UniqueFd;

namespace {

constexpr std::string_view kUserRoot = "HKEY_CURRENT_USER";
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
  if (rest.find_first_of("\r\n") != std::string_view::npos) return ERROR_INVALID_PARAMETER;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\\');
    if (end != 0) (path += '\\') += rest.substr(0, end);
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
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

struct StorePaths {
  std::string folder;
  std::string file;
  std::string lock;
};

std::optional<StorePaths> store_paths() {
  const auto config = vtplatform::config_home();
  if (!config) return std::nullopt;
  StorePaths paths;
  paths.folder = *config + "/vtutils";
  paths.file = paths.folder + "/registry.reg";
  paths.lock = paths.file + ".lock";
  return paths;
}

// Holds a flock on the lock file until it goes; closing the descriptor releases it.
UniqueFd lock_store(const StorePaths& paths, int operation) {
  UniqueFd lock(::open(paths.lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (!lock.valid()) return lock;
  while (::flock(lock.get(), operation) != 0) {
    if (errno != EINTR) return UniqueFd();
  }
  return lock;
}

// The store's text, "" when there is none yet; or the error that reading it met.
LONG read_text(const StorePaths& paths, std::string& text) {
  text.clear();
  const UniqueFd fd(::open(paths.file.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid())
    return errno == ENOENT ? ERROR_SUCCESS : vtplatform::win32_error_from_errno(errno);
  char buffer[16384];
  for (;;) {
    const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
    if (got == 0) return ERROR_SUCCESS;
    if (got < 0) {
      if (errno == EINTR) continue;
      return vtplatform::win32_error_from_errno(errno);
    }
    text.append(buffer, static_cast<std::size_t>(got));
  }
}

// Writes `text` beside the store and renames it over the store.
LONG replace_store(const StorePaths& paths, const std::string& text) {
  vtplatform::SiblingFile sibling(paths.file, ".registry.reg.");
  if (!sibling.valid()) return vtplatform::win32_error_from_errno(errno);
  for (std::size_t written = 0; written < text.size();) {
    const ssize_t put = ::write(sibling.fd(), text.data() + written, text.size() - written);
    if (put < 0) {
      if (errno == EINTR) continue;
      return vtplatform::win32_error_from_errno(errno);
    }
    written += static_cast<std::size_t>(put);
  }
  if (::fsync(sibling.fd()) != 0) return vtplatform::win32_error_from_errno(errno);
  const int error = sibling.rename_to(paths.file.c_str());
  return error == 0 ? ERROR_SUCCESS : vtplatform::win32_error_from_errno(error);
}

// The store as it is now, read under a shared lock. Without a lock file (no folder yet, or one
// this user cannot write) the file is read all the same: it is only ever replaced by a rename,
// so a reader always sees it whole.
LONG read_store(RegFile& file) {
  const auto paths = store_paths();
  if (!paths) return ERROR_PATH_NOT_FOUND;
  const UniqueFd lock = lock_store(*paths, LOCK_SH);
  std::string text;
  if (const LONG error = read_text(*paths, text)) return error;
  file = RegFile::parse(text);
  return ERROR_SUCCESS;
}

// Runs `change` on the store under the exclusive lock. When it succeeds and sets its flag, the
// changed store replaces the file before the lock is released.
LONG update_store(const std::function<LONG(RegFile&, bool&)>& change) {
  const auto paths = store_paths();
  if (!paths) return ERROR_PATH_NOT_FOUND;
  std::error_code ignored;  // a folder that cannot be made shows as the lock file's error
  std::filesystem::create_directories(paths->folder, ignored);
  const UniqueFd lock = lock_store(*paths, LOCK_EX);
  if (!lock.valid()) return vtplatform::win32_error_from_errno(errno);
  std::string text;
  if (const LONG error = read_text(*paths, text)) return error;
  RegFile file = RegFile::parse(text);
  bool changed = false;
  if (const LONG error = change(file, changed); error != ERROR_SUCCESS || !changed) return error;
  return replace_store(*paths, file.serialize());
}

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
  if (const LONG error = read_store(file)) return error;
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
  const LONG error = update_store([&](RegFile& file, bool& changed) -> LONG {
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
  if (const LONG error = read_store(file)) return error;
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
  if (value.name.find_first_of("\r\n") != std::string::npos) return ERROR_INVALID_PARAMETER;
  if (size != 0) value.data.assign(reinterpret_cast<const char*>(data), size);
  const auto opened = resolve(key);
  if (!opened) return ERROR_INVALID_HANDLE;
  if ((opened->access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
  return update_store([&](RegFile& file, bool& changed) -> LONG {
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
  return update_store([&](RegFile& file, bool& changed) -> LONG {
    if (!key_exists(file, opened->path)) return ERROR_KEY_DELETED;
    changed = file.delete_value(opened->path, value_name(name));
    return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
}

LSTATUS RegCloseKey(HKEY key) {
  if (is_predefined(key)) return ERROR_SUCCESS;
  if (!vtplatform::find_handle_as<RegistryKey>(key)) return ERROR_INVALID_HANDLE;
  return vtplatform::close_handle(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
