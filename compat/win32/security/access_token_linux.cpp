// Opening the process's access token and duplicating it for impersonation. The token records the
// effective uid, the groups and the file-access capabilities of the process when it is opened.
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/process.h"
#include "win32/security/access_token.h"

namespace vtplatform {
namespace {

// What a handle may do with a token when the caller asks in generic rights.
GENERIC_MAPPING token_mapping() {
  return {TOKEN_READ, TOKEN_WRITE, TOKEN_EXECUTE, TOKEN_ALL_ACCESS};
}

// The effective gid followed by the supplementary groups.
std::vector<gid_t> process_groups() {
  std::vector<gid_t> groups{getegid()};
  for (;;) {
    const int count = getgroups(0, nullptr);
    if (count <= 0) return groups;
    groups.resize(1 + static_cast<std::size_t>(count));
    const int read = getgroups(count, groups.data() + 1);
    if (read >= 0) {
      groups.resize(1 + static_cast<std::size_t>(read));
      return groups;
    }
    if (errno != EINVAL) return {getegid()};  // EINVAL: the groups grew since they were counted
  }
}

// The effective capabilities of the calling thread, which is the one whose access matters.
std::uint64_t effective_capabilities() {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
  if (syscall(SYS_capget, &header, data) != 0) return 0;
  return std::uint64_t{data[1].effective} << 32 | data[0].effective;
}

Identity process_identity() {
  const std::uint64_t capabilities = effective_capabilities();
  Identity identity;
  identity.uid = geteuid();
  identity.groups = process_groups();
  identity.dac_override = (capabilities & (std::uint64_t{1} << CAP_DAC_OVERRIDE)) != 0;
  identity.dac_read_search = (capabilities & (std::uint64_t{1} << CAP_DAC_READ_SEARCH)) != 0;
  return identity;
}

}  // namespace
}  // namespace vtplatform

BOOL OpenProcessToken(HANDLE process, DWORD desired_access, HANDLE* token) {
  using namespace vtplatform;
  if (token == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (process != GetCurrentProcess()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  GENERIC_MAPPING mapping = token_mapping();
  DWORD access = (desired_access & MAXIMUM_ALLOWED) != 0 ? TOKEN_ALL_ACCESS : desired_access;
  MapGenericMask(&access, &mapping);
  *token = open_handle(std::make_shared<AccessToken>(process_identity(), std::nullopt, access));
  return TRUE;
}

BOOL DuplicateToken(HANDLE existing_token, SECURITY_IMPERSONATION_LEVEL level,
                    HANDLE* duplicate_token) {
  using namespace vtplatform;
  const std::shared_ptr<AccessToken> existing = find_handle_as<AccessToken>(existing_token);
  DWORD error = ERROR_SUCCESS;
  if (duplicate_token == nullptr) {
    error = ERROR_INVALID_PARAMETER;
  } else if (existing == nullptr) {
    error = ERROR_INVALID_HANDLE;
  } else if ((existing->access() & TOKEN_DUPLICATE) == 0) {
    error = ERROR_ACCESS_DENIED;
  } else if (level < SecurityAnonymous || level > SecurityDelegation) {
    error = ERROR_BAD_IMPERSONATION_LEVEL;
  }
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return FALSE;
  }
  *duplicate_token = open_handle(
      std::make_shared<AccessToken>(existing->identity(), level, TOKEN_IMPERSONATE | TOKEN_QUERY));
  return TRUE;
}
