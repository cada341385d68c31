// AccessCheck: the POSIX ACL access check (acl(5)) for the identity of a token, with the result
// in Win32 rights.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "vtplatform/win32/error.h"
#include "win32/security/access_token.h"
#include "win32/security/security_descriptor.h"

namespace vtplatform {
namespace {

constexpr ACCESS_MASK kGenericRights = GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL;

std::uint8_t permissions_of(const AclEntries& entries, AclTag tag) {
  const auto found = std::find_if(entries.begin(), entries.end(),
                                  [tag](const AclEntry& entry) { return entry.tag == tag; });
  return found == entries.end() ? 0 : found->permissions;
}

bool has_mask(const AclEntries& entries) {
  return std::any_of(entries.begin(), entries.end(),
                     [](const AclEntry& entry) { return entry.tag == AclTag::mask; });
}

// Whether one of the execute bits of the mode is set: the owner's, other's or the group class's
// (the mask when there is one).
bool mode_has_execute(const AclEntries& entries) {
  const AclTag group_class = has_mask(entries) ? AclTag::mask : AclTag::group_obj;
  return ((permissions_of(entries, AclTag::user_obj) | permissions_of(entries, group_class) |
           permissions_of(entries, AclTag::other)) &
          kExecute) != 0;
}

// The rights of each ACL entry that decides for `identity`: the owner entry, a named user entry,
// the entries of all the identity's groups (any one of them may grant), or the other entry.
std::vector<ACCESS_MASK> rights_from_acl(const Identity& identity, const Descriptor& descriptor) {
  const AclEntries& entries = descriptor.dacl->access;
  if (identity.uid == *descriptor.owner) {
    return {rights_from_permissions(permissions_of(entries, AclTag::user_obj), true)};
  }
  const std::uint8_t mask =
      has_mask(entries) ? permissions_of(entries, AclTag::mask) : kRead | kWrite | kExecute;
  std::vector<ACCESS_MASK> rights;
  const auto in_groups = [&](std::uint32_t gid) {
    return std::find(identity.groups.begin(), identity.groups.end(), gid) != identity.groups.end();
  };
  for (const AclEntry& entry : entries) {
    if (entry.tag == AclTag::user && entry.id == identity.uid) {
      return {rights_from_permissions(entry.permissions & mask, false)};
    }
    if ((entry.tag == AclTag::group_obj && in_groups(*descriptor.group)) ||
        (entry.tag == AclTag::group && in_groups(entry.id))) {
      rights.push_back(rights_from_permissions(entry.permissions & mask, false));
    }
  }
  if (rights.empty()) {
    rights.push_back(rights_from_permissions(permissions_of(entries, AclTag::other), false));
  }
  return rights;
}

// The rights that the identity's capabilities give whatever the ACL says, as privileges do.
ACCESS_MASK rights_from_capabilities(const Identity& identity, const Descriptor& descriptor) {
  std::uint8_t permissions = 0;
  if (identity.dac_override) {
    permissions = kRead | kWrite;
    if (descriptor.is_folder || mode_has_execute(descriptor.dacl->access)) permissions |= kExecute;
  } else if (identity.dac_read_search) {
    permissions = descriptor.is_folder ? kRead | kExecute : kRead;
  }
  return rights_from_permissions(permissions, false);
}

// Each set of rights of which one must hold all that is asked for.
std::vector<ACCESS_MASK> held_rights(const Identity& identity, const Descriptor& descriptor,
                                     ACCESS_MASK wanted, const GENERIC_MAPPING& mapping) {
  // A descriptor without access list lets everybody do everything, as a null DACL does.
  if (!descriptor.dacl) return {wanted | mapping.GenericAll};
  std::vector<ACCESS_MASK> rights = rights_from_acl(identity, descriptor);
  const ACCESS_MASK privileged = rights_from_capabilities(identity, descriptor);
  for (ACCESS_MASK& held : rights) held |= privileged;
  return rights;
}

// The token's answer for `desired_access`: the rights granted, 0 when access is denied.
ACCESS_MASK granted_rights(const Identity& identity, const Descriptor& descriptor,
                           ACCESS_MASK desired_access, const GENERIC_MAPPING& mapping) {
  if (desired_access == 0) return 0;
  const ACCESS_MASK wanted = desired_access & ~MAXIMUM_ALLOWED;
  const std::vector<ACCESS_MASK> rights = held_rights(identity, descriptor, wanted, mapping);
  const bool holds_wanted = std::any_of(rights.begin(), rights.end(),
                                        [&](ACCESS_MASK held) { return (wanted & ~held) == 0; });
  if (!holds_wanted) return 0;
  if ((desired_access & MAXIMUM_ALLOWED) == 0) return wanted;
  ACCESS_MASK all = 0;
  for (ACCESS_MASK held : rights) all |= held;
  return all;
}

// Why AccessCheck cannot make the check, ERROR_SUCCESS when it can.
DWORD check_arguments(const AccessToken* token, const std::optional<Descriptor>& descriptor,
                      ACCESS_MASK desired_access, DWORD* privilege_set_length) {
  if (token == nullptr) return ERROR_INVALID_HANDLE;
  if ((token->access() & TOKEN_QUERY) == 0) return ERROR_ACCESS_DENIED;
  if (!token->impersonation_level()) return ERROR_NO_IMPERSONATION_TOKEN;
  if (*token->impersonation_level() < SecurityIdentification) return ERROR_BAD_IMPERSONATION_LEVEL;
  if (!descriptor || !descriptor->owner || !descriptor->group) return ERROR_INVALID_SECURITY_DESCR;
  if ((desired_access & kGenericRights) != 0) return ERROR_GENERIC_NOT_MAPPED;
  if (*privilege_set_length < sizeof(PRIVILEGE_SET)) {
    *privilege_set_length = sizeof(PRIVILEGE_SET);
    return ERROR_INSUFFICIENT_BUFFER;
  }
  return ERROR_SUCCESS;
}

}  // namespace
}  // namespace vtplatform

BOOL AccessCheck(PSECURITY_DESCRIPTOR security_descriptor, HANDLE client_token,
                 DWORD desired_access, PGENERIC_MAPPING generic_mapping,
                 PPRIVILEGE_SET privilege_set, DWORD* privilege_set_length, DWORD* granted_access,
                 BOOL* access_status) {
  using namespace vtplatform;
  if (generic_mapping == nullptr || privilege_set == nullptr || privilege_set_length == nullptr ||
      granted_access == nullptr || access_status == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::shared_ptr<AccessToken> token = find_handle_as<AccessToken>(client_token);
  const std::optional<Descriptor> descriptor = read_descriptor(security_descriptor);
  if (const DWORD error =
          check_arguments(token.get(), descriptor, desired_access, privilege_set_length);
      error != ERROR_SUCCESS) {
    SetLastError(error);
    return FALSE;
  }
  privilege_set->PrivilegeCount = 0;
  privilege_set->Control = 0;
  *granted_access =
      granted_rights(token->identity(), *descriptor, desired_access, *generic_mapping);
  *access_status = *granted_access != 0 ? TRUE : FALSE;
  if (*access_status == FALSE) SetLastError(ERROR_ACCESS_DENIED);
  return TRUE;
}
