// Access lists in memory and in flat form, and the correspondence of permissions and rights.
//
// The flat form is a header (a marker, the owner's uid, the owning group's gid, the number of
// access entries and of default entries) followed by the access entries and then the default
// entries, eight bytes each (tag, permissions, two unused bytes, uid or gid). It holds no
// pointers, so it can be copied and moved as a block, and it is read with memcpy so that it may
// start at any address.
#include "win32/security/access_list.h"

#include <algorithm>
#include <cstring>
#include <tuple>

namespace vtplatform {
namespace {

constexpr std::uint32_t kAclMarker = 0x4C434156;  // "VACL"
// More entries than any file system stores in an ACL; a larger count is no access list.
constexpr std::uint32_t kMaxEntries = 0x10000;

struct FlatHeader {
  std::uint32_t marker;
  std::uint32_t owner;
  std::uint32_t owning_group;
  std::uint32_t access_count;
  std::uint32_t default_count;
};

struct FlatEntry {
  std::uint8_t tag;
  std::uint8_t permissions;
  std::uint16_t unused;
  std::uint32_t id;
};

static_assert(sizeof(FlatHeader) == 20 && sizeof(FlatEntry) == 8);

bool is_known_tag(std::uint8_t tag) {
  switch (static_cast<AclTag>(tag)) {
    case AclTag::user_obj:
    case AclTag::user:
    case AclTag::group_obj:
    case AclTag::group:
    case AclTag::mask:
    case AclTag::other: return true;
  }
  return false;
}

// Whether `entries` has the owner, owning group and other entries once each and at most one mask.
bool has_required_entries(const AclEntries& entries) {
  const auto count = [&](AclTag tag) {
    return std::count_if(entries.begin(), entries.end(),
                         [tag](const AclEntry& entry) { return entry.tag == tag; });
  };
  return count(AclTag::user_obj) == 1 && count(AclTag::group_obj) == 1 &&
         count(AclTag::other) == 1 && count(AclTag::mask) <= 1;
}

std::byte* write_entries(const AclEntries& entries, std::byte* out) {
  for (const AclEntry& entry : entries) {
    const FlatEntry flat{static_cast<std::uint8_t>(entry.tag), entry.permissions, 0, entry.id};
    std::memcpy(out, &flat, sizeof flat);
    out += sizeof flat;
  }
  return out;
}

// Reads `count` entries from `in`; false when one of them is no valid entry.
bool read_entries(const std::byte* in, std::uint32_t count, AclEntries& entries) {
  entries.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i, in += sizeof(FlatEntry)) {
    FlatEntry flat;
    std::memcpy(&flat, in, sizeof flat);
    if (!is_known_tag(flat.tag) || flat.permissions > (kRead | kWrite | kExecute)) return false;
    const auto tag = static_cast<AclTag>(flat.tag);
    entries.push_back({tag, is_named(tag) ? flat.id : kNoId, flat.permissions});
  }
  return true;
}

}  // namespace

AccessList empty_access_list() {
  AccessList list;
  list.access = {
      {AclTag::user_obj, kNoId, 0}, {AclTag::group_obj, kNoId, 0}, {AclTag::other, kNoId, 0}};
  return list;
}

std::size_t flat_size(const AccessList& list) {
  return sizeof(FlatHeader) + sizeof(FlatEntry) * (list.access.size() + list.defaults.size());
}

void write_flat(const AccessList& list, void* out) {
  const FlatHeader header{kAclMarker, list.owner, list.owning_group,
                          static_cast<std::uint32_t>(list.access.size()),
                          static_cast<std::uint32_t>(list.defaults.size())};
  auto* bytes = static_cast<std::byte*>(out);
  std::memcpy(bytes, &header, sizeof header);
  write_entries(list.defaults, write_entries(list.access, bytes + sizeof header));
}

std::optional<AccessList> read_flat(const void* acl, std::size_t available) {
  // The marker alone first: a block that is no access list may be shorter than the header.
  std::uint32_t marker = 0;
  FlatHeader header;
  if (acl == nullptr || available < sizeof header) return std::nullopt;
  std::memcpy(&marker, acl, sizeof marker);
  if (marker != kAclMarker) return std::nullopt;
  std::memcpy(&header, acl, sizeof header);
  if (header.access_count > kMaxEntries || header.default_count > kMaxEntries ||
      available - sizeof header <
          sizeof(FlatEntry) * (header.access_count + header.default_count)) {
    return std::nullopt;
  }
  AccessList list;
  list.owner = header.owner;
  list.owning_group = header.owning_group;
  const auto* entries = static_cast<const std::byte*>(acl) + sizeof header;
  if (!read_entries(entries, header.access_count, list.access) ||
      !read_entries(entries + sizeof(FlatEntry) * header.access_count, header.default_count,
                    list.defaults) ||
      !has_required_entries(list.access) ||
      (!list.defaults.empty() && !has_required_entries(list.defaults))) {
    return std::nullopt;
  }
  return list;
}

AclEntry* find_entry(AclEntries& entries, AclTag tag, std::uint32_t id) {
  auto found = std::find_if(entries.begin(), entries.end(), [&](const AclEntry& entry) {
    return entry.tag == tag && (!is_named(tag) || entry.id == id);
  });
  return found == entries.end() ? nullptr : &*found;
}

void update_mask(AclEntries& entries) {
  std::uint8_t group_class = 0;
  bool has_named = false;
  for (const AclEntry& entry : entries) {
    if (in_group_class(entry.tag)) group_class |= entry.permissions;
    has_named = has_named || is_named(entry.tag);
  }
  if (AclEntry* mask = find_entry(entries, AclTag::mask)) {
    mask->permissions = group_class;
  } else if (has_named) {
    entries.push_back({AclTag::mask, kNoId, group_class});
  }
}

void sort_entries(AclEntries& entries) {
  std::sort(entries.begin(), entries.end(), [](const AclEntry& a, const AclEntry& b) {
    return std::tie(a.tag, a.id) < std::tie(b.tag, b.id);
  });
}

ACCESS_MASK rights_from_permissions(std::uint8_t permissions, bool owner) {
  ACCESS_MASK rights = READ_CONTROL | SYNCHRONIZE;
  if (permissions & kRead) rights |= FILE_GENERIC_READ;
  if (permissions & kWrite) rights |= FILE_GENERIC_WRITE | FILE_DELETE_CHILD;
  if (permissions & kExecute) rights |= FILE_GENERIC_EXECUTE;
  if (owner) rights |= DELETE | WRITE_DAC | WRITE_OWNER;
  return rights;
}

std::uint8_t permissions_from_rights(ACCESS_MASK rights) {
  std::uint8_t permissions = 0;
  if (rights & (FILE_READ_DATA | GENERIC_READ | GENERIC_ALL)) permissions |= kRead;
  if (rights & (FILE_WRITE_DATA | FILE_APPEND_DATA | GENERIC_WRITE | GENERIC_ALL)) {
    permissions |= kWrite;
  }
  if (rights & (FILE_EXECUTE | GENERIC_EXECUTE | GENERIC_ALL)) permissions |= kExecute;
  return permissions;
}

}  // namespace vtplatform
