// Access lists: the POSIX access ACL of a file or folder and, for a folder, its default ACL, in
// memory and in the flat form that callers hold as a PACL. Also how POSIX permissions and Win32
// access rights correspond.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "vtplatform/win32/security.h"

namespace vtplatform {

// Permission bits, as ACL entries and mode bits hold them.
inline constexpr std::uint8_t kRead = 4;
inline constexpr std::uint8_t kWrite = 2;
inline constexpr std::uint8_t kExecute = 1;

// The uid or gid of an entry that names nobody, and of an owner that is not known.
inline constexpr std::uint32_t kNoId = 0xFFFFFFFF;

// Entry tags with libacl's values, which also order the entries of an ACL.
enum class AclTag : std::uint8_t {
  user_obj = 0x01,
  user = 0x02,
  group_obj = 0x04,
  group = 0x08,
  mask = 0x10,
  other = 0x20,
};

// Whether entries with `tag` name a user or group by id.
inline bool is_named(AclTag tag) { return tag == AclTag::user || tag == AclTag::group; }

// Whether the mask limits entries with `tag`: named users, the owning group and named groups.
inline bool in_group_class(AclTag tag) { return is_named(tag) || tag == AclTag::group_obj; }

struct AclEntry {
  AclTag tag;
  std::uint32_t id;  // the uid or gid of a named user or group entry, else kNoId
  std::uint8_t permissions;
};

using AclEntries = std::vector<AclEntry>;

struct AccessList {
  std::uint32_t owner = kNoId;         // the object's uid when the list was read from it
  std::uint32_t owning_group = kNoId;  // the object's gid likewise
  AclEntries access;
  AclEntries defaults;  // empty when there is no default ACL
};

// The list that SetEntriesInAclA starts from without an old list: the entries that every ACL
// needs (owner, owning group, other), with no permissions.
AccessList empty_access_list();

// The size of the flat form of `list`.
std::size_t flat_size(const AccessList& list);

// Writes the flat form of `list`, flat_size(list) bytes, to `out`.
void write_flat(const AccessList& list, void* out);

// The list whose flat form starts at `acl`, or nothing when there is none within `available`
// bytes: a wrong marker, an unknown tag, or a list without the entries every ACL needs.
std::optional<AccessList> read_flat(const void* acl, std::size_t available = SIZE_MAX);

// The entry of `entries` with `tag` and, for named entries, `id`; null when there is none.
AclEntry* find_entry(AclEntries& entries, AclTag tag, std::uint32_t id = kNoId);

// Sets the mask to the union of the group class (owning group, named users and named groups),
// adding a mask at the end when there are named entries and none yet.
void update_mask(AclEntries& entries);

// Puts the entries in ACL order: by tag, named entries by id.
void sort_entries(AclEntries& entries);

// The rights that `permissions` give; `owner` adds the rights the owner always holds.
ACCESS_MASK rights_from_permissions(std::uint8_t permissions, bool owner);

// The permissions that an access mask of explicit access asks for.
std::uint8_t permissions_from_rights(ACCESS_MASK rights);

}  // namespace vtplatform
