// The security of files and folders: their descriptors read from the owner, group and POSIX ACLs
// of the file system, and access lists, owners and groups written back.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <optional>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/security.h"
#include "win32/core/errno_error.h"
#include "win32/core/local_memory.h"
#include "win32/security/posix_acl_linux.h"
#include "win32/security/security_descriptor.h"
#include "win32/security/sid.h"

namespace vtplatform {
namespace {

constexpr SECURITY_INFORMATION kDescriptorParts =
    OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;

// The error for a path argument that names nothing: null, or empty as Windows reports it.
DWORD path_argument_error(const char* path) {
  if (path == nullptr) return ERROR_INVALID_PARAMETER;
  return *path == '\0' ? ERROR_PATH_NOT_FOUND : ERROR_SUCCESS;
}

// Reads the owner, group and kind of `path`, and its ACLs when `with_dacl` is set.
DWORD read_file_security(const char* path, bool with_dacl, FileSecurity& security) {
  struct stat status {};
  if (::stat(path, &status) != 0) return win32_error_for_path(errno, path);
  security.owner = status.st_uid;
  security.group = status.st_gid;
  security.is_folder = S_ISDIR(status.st_mode);
  security.dacl.owner = status.st_uid;
  security.dacl.owning_group = status.st_gid;
  if (with_dacl) {
    const std::error_code error = read_posix_acls(path, security.is_folder, security.dacl);
    if (error) return win32_error_for_path(error.value(), path);
  }
  return ERROR_SUCCESS;
}

// The uid or gid of the S-1-22 identity of `kind` that `sid` names, or nothing.
std::optional<std::uint32_t> unix_id(PSID sid, SidKind kind) {
  if (sid_length(sid) == 0) return std::nullopt;
  const std::optional<SidIdentity> identity = identify_sid(sid);
  if (!identity || identity->kind != kind) return std::nullopt;
  return identity->id;
}

}  // namespace
}  // namespace vtplatform

BOOL GetFileSecurityA(LPCSTR file_name, SECURITY_INFORMATION requested,
                      PSECURITY_DESCRIPTOR descriptor, DWORD length, DWORD* length_needed) {
  using namespace vtplatform;
  DWORD error = path_argument_error(file_name);
  if (length_needed == nullptr) error = ERROR_INVALID_PARAMETER;
  if (error == ERROR_SUCCESS && (requested & SACL_SECURITY_INFORMATION) != 0) {
    error = ERROR_PRIVILEGE_NOT_HELD;
  }
  FileSecurity security;
  if (error == ERROR_SUCCESS) {
    error = read_file_security(file_name, requested & DACL_SECURITY_INFORMATION, security);
  }
  if (error == ERROR_SUCCESS) {
    const std::size_t size = descriptor_size(security, requested & kDescriptorParts);
    *length_needed = static_cast<DWORD>(size);
    if (descriptor == nullptr || length < size) error = ERROR_INSUFFICIENT_BUFFER;
  }
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return FALSE;
  }
  write_descriptor(security, requested & kDescriptorParts, descriptor);
  return TRUE;
}

DWORD GetNamedSecurityInfoA(LPCSTR object_name, SE_OBJECT_TYPE object_type,
                            SECURITY_INFORMATION info, PSID* owner, PSID* group, PACL* dacl,
                            PACL* sacl, PSECURITY_DESCRIPTOR* security_descriptor) {
  using namespace vtplatform;
  if (object_type != SE_FILE_OBJECT || security_descriptor == nullptr) {
    return ERROR_INVALID_PARAMETER;
  }
  if (const DWORD error = path_argument_error(object_name); error != ERROR_SUCCESS) return error;
  if ((info & SACL_SECURITY_INFORMATION) != 0) return ERROR_PRIVILEGE_NOT_HELD;
  FileSecurity security;
  const DWORD error = read_file_security(object_name, info & DACL_SECURITY_INFORMATION, security);
  if (error != ERROR_SUCCESS) return error;
  void* block = local_alloc(descriptor_size(security, info & kDescriptorParts));
  if (block == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
  const DescriptorParts parts = write_descriptor(security, info & kDescriptorParts, block);
  *security_descriptor = block;
  if (owner != nullptr) *owner = parts.owner;
  if (group != nullptr) *group = parts.group;
  if (dacl != nullptr) *dacl = parts.dacl;
  if (sacl != nullptr) *sacl = nullptr;
  return ERROR_SUCCESS;
}

DWORD SetNamedSecurityInfoA(LPSTR object_name, SE_OBJECT_TYPE object_type,
                            SECURITY_INFORMATION info, PSID owner, PSID group, PACL dacl,
                            PACL /*sacl*/) {
  using namespace vtplatform;
  if (object_type != SE_FILE_OBJECT) return ERROR_INVALID_PARAMETER;
  if (const DWORD error = path_argument_error(object_name); error != ERROR_SUCCESS) return error;
  if ((info & SACL_SECURITY_INFORMATION) != 0) return ERROR_PRIVILEGE_NOT_HELD;

  // Everything is checked before the object is changed, so that a bad argument changes nothing.
  const bool set_owner = (info & OWNER_SECURITY_INFORMATION) != 0;
  const bool set_group = (info & GROUP_SECURITY_INFORMATION) != 0;
  const std::optional<std::uint32_t> uid = set_owner ? unix_id(owner, SidKind::user) : kNoId;
  if (!uid) return ERROR_INVALID_OWNER;
  const std::optional<std::uint32_t> gid = set_group ? unix_id(group, SidKind::group) : kNoId;
  if (!gid) return ERROR_INVALID_PRIMARY_GROUP;
  std::optional<AccessList> list;
  if ((info & DACL_SECURITY_INFORMATION) != 0) {
    list = read_flat(dacl);
    if (!list) return ERROR_INVALID_ACL;
  }
  struct stat status {};
  if (::stat(object_name, &status) != 0) return win32_error_for_path(errno, object_name);
  std::optional<PosixAcls> acls;
  if (list) {
    acls = PosixAcls::make(*list, S_ISDIR(status.st_mode));
    if (!acls) return ERROR_INVALID_ACL;
  }

  // chown leaves the owner or group alone where it is given kNoId, which is (uid_t)-1.
  if ((set_owner || set_group) && ::chown(object_name, *uid, *gid) != 0) {
    return win32_error_for_path(errno, object_name);
  }
  if (acls) {
    const std::error_code error = acls->apply(object_name);
    if (error) return win32_error_for_path(error.value(), object_name);
  }
  return ERROR_SUCCESS;
}
