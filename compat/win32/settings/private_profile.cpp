// The private profile functions on INI files: where a named file lives, and the Windows buffer
// rules for values and name lists.
#include "vtplatform/win32/private_profile.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vtplatform/win32/error.h"
#include "win32/files/sibling_file.h"
#include "win32/files/xdg_folders.h"
#include "win32/settings/private_profile_file.h"
#include "win32/settings/shared_text_file.h"

using vtplatform::ProfileFile;
using vtplatform::SharedTextFile;

namespace {

// The file that `file_name` names; nothing when it lies in the profile folder and the user's
// configuration folder is unknown.
std::optional<SharedTextFile> profile_file(LPCSTR file_name) {
  const std::string_view name = file_name == nullptr ? "win.ini" : file_name;
  // INI files are ordinary files of their user, which the user may share with others.
  const mode_t rights = vtplatform::new_file_rights();
  if (name.find('/') != std::string_view::npos) {
    return SharedTextFile(std::string(name), SharedTextFile::Folder::kExisting, rights);
  }
  const auto config = vtplatform::config_home();
  if (!config) return std::nullopt;
  return SharedTextFile(*config + "/vtutils/" + std::string(name), SharedTextFile::Folder::kCreate,
                        rights);
}

// Copies as much of `text` as fits with a terminator; the number of characters copied.
DWORD copy_text(std::string_view text, LPSTR buffer, DWORD size) {
  const std::size_t count = std::min<std::size_t>(text.size(), size - 1);
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
  return static_cast<DWORD>(count);
}

// Copies `names`, each with its terminator, and a final terminator. When they do not fit the last
// name that does is cut so that the list still ends in two terminators, giving `size` - 2.
DWORD copy_names(const std::vector<std::string>& names, LPSTR buffer, DWORD size) {
  if (size == 1) {
    buffer[0] = '\0';
    return 0;
  }
  std::size_t used = 0;
  for (const std::string& name : names) {
    if (used + name.size() + 2 > size) {
      const std::size_t room = size - 2 - used;
      std::memcpy(buffer + used, name.data(), room);
      buffer[size - 2] = '\0';
      buffer[size - 1] = '\0';
      return size - 2;
    }
    std::memcpy(buffer + used, name.data(), name.size());
    used += name.size();
    buffer[used++] = '\0';
  }
  buffer[used] = '\0';
  // The list's final terminator is not counted; an empty list gives 0.
  return static_cast<DWORD>(used);
}

// The parsed content of `file_name`; empty when it cannot be read.
ProfileFile read_profile(LPCSTR file_name) {
  if (const auto store = profile_file(file_name)) {
    std::string text;
    if (store->read(text) == ERROR_SUCCESS) return ProfileFile::parse(text);
  }
  return ProfileFile();
}

// The number that starts `text` (a value, which has no blanks around it): an optional sign and
// decimal digits, stopping at the first other character; 0 without digits. Wraps modulo 2^32 as
// the Windows call does.
UINT leading_number(std::string_view text) {
  std::size_t at = 0;
  const bool negative = text[at] == '-';
  if (text[at] == '-' || text[at] == '+') ++at;
  UINT number = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    number = number * 10 + static_cast<UINT>(text[at] - '0');
  }
  return negative ? 0U - number : number;
}

}  // namespace

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR default_value, LPSTR buffer,
                               DWORD size, LPCSTR file_name) {
  if (buffer == nullptr || size == 0) return 0;
  const ProfileFile file = read_profile(file_name);
  if (section == nullptr) return copy_names(file.section_names(), buffer, size);
  if (key == nullptr) return copy_names(file.key_names(section), buffer, size);
  if (const std::string* value = file.find_value(section, key)) {
    SetLastError(ERROR_SUCCESS);
    return copy_text(*value, buffer, size);
  }
  std::string_view fallback = default_value == nullptr ? "" : default_value;
  while (!fallback.empty() && fallback.back() == ' ') fallback.remove_suffix(1);
  SetLastError(ERROR_FILE_NOT_FOUND);
  return copy_text(fallback, buffer, size);
}

UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT default_value, LPCSTR file_name) {
  if (section == nullptr || key == nullptr) return static_cast<UINT>(default_value);
  const ProfileFile file = read_profile(file_name);
  const std::string* value = file.find_value(section, key);
  if (value == nullptr || value->empty()) return static_cast<UINT>(default_value);
  return leading_number(*value);
}

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file_name) {
  if (section == nullptr) {
    if (key == nullptr && value == nullptr) return TRUE;
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!ProfileFile::fits_in_lines(section, key, value)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const auto store = profile_file(file_name);
  if (!store) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  const LONG error = store->update([&](std::string& text, bool& changed) -> LONG {
    ProfileFile file = ProfileFile::parse(text);
    if (key == nullptr) {
      changed = file.delete_section(section);
    } else if (value == nullptr) {
      changed = file.delete_key(section, key);
    } else {
      file.set_value(section, key, value);
      changed = true;
    }
    if (!changed) return ERROR_SUCCESS;
    // Setting a value the file already holds leaves the file alone.
    std::string new_text = file.serialize();
    changed = new_text != text;
    text = std::move(new_text);
    return ERROR_SUCCESS;
  });
  if (error != ERROR_SUCCESS) {
    SetLastError(static_cast<DWORD>(error));
    return FALSE;
  }
  return TRUE;
}
