// vtuFileUtils::can_access_folder: the platform's access check of the current user's token
// against a folder's own security descriptor.
#include <memory>
#include <vector>

#include "vtutils/file_utils.h"
#include "vtutils/platform/processes.h"
#include "vtutils/platform/security.h"
#include "vtutils/platform/win32_types.h"

namespace {

// Owner, group and access list of the descriptor.
constexpr SECURITY_INFORMATION kDescriptorParts =
    OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;

// Duplicate, impersonate, query and read rights on the process token.
constexpr DWORD kTokenAccess = TOKEN_IMPERSONATE | TOKEN_QUERY | TOKEN_DUPLICATE | STANDARD_RIGHTS_READ;
static_assert(kTokenAccess == 0x2000E);

// A token handle, closed when the owner goes.
using TokenHandle = std::unique_ptr<void, decltype(&CloseHandle)>;

}  // namespace

bool vtuFileUtils::can_access_folder(const CString& folder, unsigned int desired_access) {
  DWORD length = 0;
  // Asked into no buffer, the call can only fail; success means there is no descriptor to check.
  if (GetFileSecurityA(folder, kDescriptorParts, nullptr, 0, &length)) return false;
  std::vector<BYTE> descriptor(length);
  if (!GetFileSecurityA(folder, kDescriptorParts, descriptor.data(), length, &length)) return false;

  HANDLE process_token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), kTokenAccess, &process_token)) return false;
  const TokenHandle process_token_owner(process_token, &CloseHandle);
  HANDLE impersonation_token = nullptr;
  if (!DuplicateToken(process_token, SecurityImpersonation, &impersonation_token)) return false;
  const TokenHandle impersonation_token_owner(impersonation_token, &CloseHandle);

  GENERIC_MAPPING mapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                             FILE_ALL_ACCESS};
  DWORD access = desired_access;
  MapGenericMask(&access, &mapping);

  PRIVILEGE_SET privileges = {};
  DWORD privileges_length = sizeof privileges;
  DWORD granted_access = 0;
  BOOL granted = FALSE;
  const BOOL checked = AccessCheck(descriptor.data(), impersonation_token, access, &mapping,
                                   &privileges, &privileges_length, &granted_access, &granted);
  return checked && granted;
}
