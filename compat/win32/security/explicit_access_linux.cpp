// SetEntriesInAclA: explicit access entries merged into an access list. Trustees become ACL
// entries: Everyone the other entry, the object's owner and owning group their own entries, other
// users and groups named entries.
#include <grp.h>
#include <pwd.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/security.h"
#include "win32/core/local_memory.h"
#include "win32/security/access_list.h"
#include "win32/security/sid.h"

namespace vtplatform {
namespace {

constexpr DWORD kInheritanceFlags =
    OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE | NO_PROPAGATE_INHERIT_ACE | INHERIT_ONLY_ACE;

// The entry that a trustee stands for.
struct EntryKey {
  AclTag tag;
  std::uint32_t id;
};

// Looks `name` up with getpwnam_r or getgrnam_r into `record`; false when there is no such name.
template <class Record>
bool look_up(int (*lookup)(const char*, Record*, char*, std::size_t, Record**), const char* name,
             Record& record) {
  std::vector<char> buffer(1024);
  for (;;) {
    Record* found = nullptr;
    const int error = lookup(name, &record, buffer.data(), buffer.size(), &found);
    if (error != ERANGE) return error == 0 && found != nullptr;
    buffer.resize(buffer.size() * 2);
  }
}

// The identity that the trustee name `name` stands for: "Everyone", "CURRENT_USER" (the
// effective user), else a user or a group, as `type` allows.
std::optional<SidIdentity> identity_of_name(const char* name, TRUSTEE_TYPE type) {
  if (strcasecmp(name, "Everyone") == 0) return SidIdentity{SidKind::everyone, 0};
  if (strcmp(name, "CURRENT_USER") == 0) return SidIdentity{SidKind::user, geteuid()};
  passwd user{};
  if (type != TRUSTEE_IS_GROUP && look_up(getpwnam_r, name, user)) {
    return SidIdentity{SidKind::user, user.pw_uid};
  }
  group found{};
  if (type != TRUSTEE_IS_USER && look_up(getgrnam_r, name, found)) {
    return SidIdentity{SidKind::group, found.gr_gid};
  }
  return std::nullopt;
}

// Finds the entry of `trustee` in `list`; ERROR_SUCCESS or why there is none.
DWORD entry_of_trustee(const TRUSTEE_A& trustee, const AccessList& list, EntryKey& key) {
  if (trustee.pMultipleTrustee != nullptr ||
      trustee.MultipleTrusteeOperation != NO_MULTIPLE_TRUSTEE || trustee.ptstrName == nullptr) {
    return ERROR_INVALID_PARAMETER;
  }
  std::optional<SidIdentity> identity;
  if (trustee.TrusteeForm == TRUSTEE_IS_SID) {
    if (sid_length(trustee.ptstrName) == 0) return ERROR_INVALID_SID;
    identity = identify_sid(trustee.ptstrName);
  } else if (trustee.TrusteeForm == TRUSTEE_IS_NAME) {
    identity = identity_of_name(trustee.ptstrName, trustee.TrusteeType);
  } else {
    return ERROR_INVALID_PARAMETER;
  }
  if (!identity) return ERROR_NONE_MAPPED;
  switch (identity->kind) {
    case SidKind::everyone: key = {AclTag::other, kNoId}; break;
    case SidKind::user:
      key = identity->id == list.owner ? EntryKey{AclTag::user_obj, kNoId}
                                       : EntryKey{AclTag::user, identity->id};
      break;
    case SidKind::group:
      key = identity->id == list.owning_group ? EntryKey{AclTag::group_obj, kNoId}
                                              : EntryKey{AclTag::group, identity->id};
      break;
  }
  return ERROR_SUCCESS;
}

// Applies `mode` with `permissions` to the entry `key` of `entries`.
void change_entry(AclEntries& entries, EntryKey key, ACCESS_MODE mode, std::uint8_t permissions) {
  AclEntry* entry = find_entry(entries, key.tag, key.id);
  if (mode == REVOKE_ACCESS) {
    if (entry == nullptr) return;
    if (is_named(key.tag)) {
      entries.erase(entries.begin() + (entry - entries.data()));
    } else {
      entry->permissions = 0;
    }
  } else if (entry == nullptr) {
    entries.push_back({key.tag, key.id, permissions});
  } else {
    entry->permissions = mode == SET_ACCESS ? permissions : entry->permissions | permissions;
  }
  if (in_group_class(key.tag)) update_mask(entries);
  sort_entries(entries);
}

DWORD apply_explicit_access(const EXPLICIT_ACCESS_A& access, AccessList& list) {
  const ACCESS_MODE mode = access.grfAccessMode;
  const DWORD inheritance = access.grfInheritance;
  const bool inheritable = (inheritance & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE)) != 0;
  const bool inherit_only = (inheritance & INHERIT_ONLY_ACE) != 0;
  if ((mode != SET_ACCESS && mode != GRANT_ACCESS && mode != REVOKE_ACCESS) ||
      (inheritance & ~kInheritanceFlags) != 0 || (inherit_only && !inheritable)) {
    return ERROR_INVALID_PARAMETER;
  }
  EntryKey key{};
  if (const DWORD error = entry_of_trustee(access.Trustee, list, key); error != ERROR_SUCCESS) {
    return error;
  }
  const std::uint8_t permissions = permissions_from_rights(access.grfAccessPermissions);
  // Granting adds to the trustee's entries where the inheritance says. Revoking removes what the
  // trustee has everywhere, and setting replaces it everywhere: the entry where the inheritance
  // puts the new rights gets them, and the trustee's other entry goes, so that an inheritable
  // entry of an earlier grant does not outlive a set without inheritance.
  const bool replaces = mode != GRANT_ACCESS;
  const bool change_access = replaces || !inherit_only;
  const bool change_defaults = replaces ? inheritable || !list.defaults.empty() : inheritable;
  const auto change_for = [&](bool applies) {
    return mode == SET_ACCESS && !applies ? REVOKE_ACCESS : mode;
  };
  if (change_defaults && list.defaults.empty()) list.defaults = list.access;
  if (change_access) change_entry(list.access, key, change_for(!inherit_only), permissions);
  if (change_defaults) change_entry(list.defaults, key, change_for(inheritable), permissions);
  return ERROR_SUCCESS;
}

}  // namespace
}  // namespace vtplatform

DWORD SetEntriesInAclA(DWORD count, PEXPLICIT_ACCESS_A entries, PACL old_acl, PACL* new_acl) {
  using namespace vtplatform;
  if (new_acl == nullptr || (count != 0 && entries == nullptr)) return ERROR_INVALID_PARAMETER;
  std::optional<AccessList> list = old_acl == nullptr ? empty_access_list() : read_flat(old_acl);
  if (!list) return ERROR_INVALID_ACL;
  for (DWORD i = 0; i < count; ++i) {
    if (const DWORD error = apply_explicit_access(entries[i], *list); error != ERROR_SUCCESS) {
      return error;
    }
  }
  void* block = local_alloc(flat_size(*list));
  if (block == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
  write_flat(*list, block);
  *new_acl = static_cast<PACL>(block);
  return ERROR_SUCCESS;
}
