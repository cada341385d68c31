// FormatMessageA for system messages: the text of a Win32 error code or of an HRESULT. Where an
// error has an errno twin the text is strerror's, so that vtutil and the host's messages read as
// those of the other programs on the system.
#include <cerrno>
#include <cstring>
#include <string>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/security.h"
#include "vtplatform/win32/storage.h"

namespace {

struct Message {
  DWORD code;
  int error;         // the errno twin, or 0
  const char* text;  // when there is no twin
};

constexpr Message kWin32Messages[] = {
    {ERROR_SUCCESS, 0, "Success"},
    {ERROR_FILE_NOT_FOUND, ENOENT, nullptr},
    {ERROR_PATH_NOT_FOUND, ENOENT, nullptr},
    {ERROR_TOO_MANY_OPEN_FILES, EMFILE, nullptr},
    {ERROR_ACCESS_DENIED, EACCES, nullptr},
    {ERROR_INVALID_HANDLE, EBADF, nullptr},
    {ERROR_NOT_ENOUGH_MEMORY, ENOMEM, nullptr},
    {ERROR_INVALID_DATA, 0, "The data is not valid"},
    {ERROR_OUTOFMEMORY, ENOMEM, nullptr},
    {ERROR_NOT_SAME_DEVICE, EXDEV, nullptr},
    {ERROR_NO_MORE_FILES, 0, "No more files"},
    {ERROR_WRITE_PROTECT, EROFS, nullptr},
    {ERROR_BAD_LENGTH, 0, "Wrong length"},
    {ERROR_GEN_FAILURE, EIO, nullptr},
    {ERROR_SHARING_VIOLATION, 0, "In use by another program"},
    {ERROR_HANDLE_EOF, 0, "End of file"},
    {ERROR_NOT_SUPPORTED, ENOTSUP, nullptr},
    {ERROR_FILE_EXISTS, EEXIST, nullptr},
    {ERROR_INVALID_PARAMETER, EINVAL, nullptr},
    {ERROR_BUFFER_OVERFLOW, ENAMETOOLONG, nullptr},
    {ERROR_DISK_FULL, ENOSPC, nullptr},
    {ERROR_INSUFFICIENT_BUFFER, 0, "The buffer is too small for the answer"},
    {ERROR_INVALID_NAME, 0, "Not a valid file or folder name"},
    {ERROR_MOD_NOT_FOUND, 0, "No such module"},
    {ERROR_PROC_NOT_FOUND, 0, "No such procedure in the module"},
    {ERROR_NEGATIVE_SEEK, EINVAL, nullptr},
    {ERROR_DIR_NOT_EMPTY, ENOTEMPTY, nullptr},
    {ERROR_BAD_PATHNAME, 0, "Not a valid path"},
    {ERROR_BUSY, EBUSY, nullptr},
    {ERROR_ALREADY_EXISTS, EEXIST, nullptr},
    {ERROR_BAD_EXE_FORMAT, ENOEXEC, nullptr},
    {ERROR_FILENAME_EXCED_RANGE, ENAMETOOLONG, nullptr},
    {ERROR_MORE_DATA, 0, "More data is available"},
    {ERROR_DIRECTORY, 0, "Not an existing folder"},
    {ERROR_PARTIAL_COPY, 0, "Only part of the memory could be read or written"},
    {ERROR_MR_MID_NOT_FOUND, 0, "No message for this error number"},
    {ERROR_INVALID_FLAGS, 0, "Invalid flags"},
    {ERROR_BADDB, 0, "The registry store is not in its text format"},
    {ERROR_KEY_DELETED, 0, "The registry key has been deleted"},
    {ERROR_NO_UNICODE_TRANSLATION, EILSEQ, nullptr},
    {ERROR_OLD_WIN_VERSION, 0, "Not supported by this version of the system"},
    {ERROR_CANCELLED, ECANCELED, nullptr},
    {ERROR_INVALID_OWNER, 0, "Not a valid owner"},
    {ERROR_INVALID_PRIMARY_GROUP, 0, "Not a valid primary group"},
    {ERROR_NO_IMPERSONATION_TOKEN, 0, "The thread is not impersonating"},
    {ERROR_NO_SUCH_LOGON_SESSION, 0, "No such login session"},
    {ERROR_PRIVILEGE_NOT_HELD, EPERM, nullptr},
    {ERROR_NONE_MAPPED, 0, "No user or group has this name or id"},
    {ERROR_INVALID_ACL, 0, "Not a valid access list"},
    {ERROR_INVALID_SID, 0, "Not a valid security identifier"},
    {ERROR_INVALID_SECURITY_DESCR, 0, "Not a valid security descriptor"},
    {ERROR_BAD_INHERITANCE_ACL, 0, "Not a valid inherited access list"},
    {ERROR_BAD_IMPERSONATION_LEVEL, 0, "Wrong impersonation level"},
    {ERROR_GENERIC_NOT_MAPPED, 0, "Generic rights that are not mapped"},
    {ERROR_CANT_RESOLVE_FILENAME, ELOOP, nullptr},
};

// HRESULTs that are not a Win32 code in another facility.
constexpr Message kResultMessages[] = {
    {static_cast<DWORD>(E_NOTIMPL), ENOSYS, nullptr},
    {static_cast<DWORD>(E_NOINTERFACE), 0, "No such interface"},
    {static_cast<DWORD>(E_POINTER), EFAULT, nullptr},
    {static_cast<DWORD>(E_FAIL), 0, "Unspecified error"},
    {static_cast<DWORD>(E_UNEXPECTED), 0, "Unexpected failure"},
    {static_cast<DWORD>(STG_E_INVALIDFUNCTION), EINVAL, nullptr},
    {static_cast<DWORD>(STG_E_SEEKERROR), ESPIPE, nullptr},
    {static_cast<DWORD>(STG_E_WRITEFAULT), EIO, nullptr},
    {static_cast<DWORD>(STG_E_READFAULT), EIO, nullptr},
    {static_cast<DWORD>(STG_E_LOCKVIOLATION), 0, "In use by another program"},
    {static_cast<DWORD>(STG_E_INVALIDHEADER), 0, "Not a compound file"},
    {static_cast<DWORD>(STG_E_INVALIDNAME), 0, "Not a valid name in a compound file"},
    {static_cast<DWORD>(STG_E_UNKNOWN), 0, "Unexpected failure"},
    {static_cast<DWORD>(STG_E_UNIMPLEMENTEDFUNCTION), ENOSYS, nullptr},
    {static_cast<DWORD>(STG_E_INVALIDFLAG), 0, "Invalid flags"},
    {static_cast<DWORD>(STG_E_INUSE), 0, "In use by another program"},
    {static_cast<DWORD>(STG_E_NOTCURRENT), 0, "Changed since it was opened"},
    {static_cast<DWORD>(STG_E_REVERTED), 0, "The object has been reverted"},
    {static_cast<DWORD>(STG_E_CANTSAVE), 0, "Cannot be saved"},
    {static_cast<DWORD>(STG_E_OLDFORMAT), 0, "An older compound file format"},
    {static_cast<DWORD>(STG_E_DOCFILECORRUPT), 0, "The compound file is damaged"},
};

// The text of `code` in `table`, or null.
template <std::size_t N>
const char* find_text(const Message (&table)[N], DWORD code) {
  for (const Message& message : table) {
    if (message.code == code) return message.error != 0 ? std::strerror(message.error) : message.text;
  }
  return nullptr;
}

const char* system_message(DWORD id) {
  if (const char* text = find_text(kResultMessages, id)) return text;
  // Win32 errors as HRESULTs of the Win32 facility, and the storage facility's, whose low half
  // is the Win32 code of the same failure.
  const DWORD facility = id & 0xFFFF0000;
  if (facility == 0x80070000 || facility == 0x80030000) id &= 0xFFFF;
  return find_text(kWin32Messages, id);
}

}  // namespace

DWORD FormatMessageA(DWORD flags, const void* /*source*/, DWORD message_id, DWORD language_id,
                     char* buffer, DWORD size, void* /*arguments*/) {
  if ((flags & ~FORMAT_MESSAGE_IGNORE_INSERTS) != FORMAT_MESSAGE_FROM_SYSTEM ||
      language_id != 0 || buffer == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const char* text = system_message(message_id);
  if (text == nullptr) {
    SetLastError(ERROR_MR_MID_NOT_FOUND);
    return 0;
  }
  const std::size_t length = std::strlen(text);
  if (length >= size) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(buffer, text, length + 1);
  return static_cast<DWORD>(length);
}
