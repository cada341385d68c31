// POSIX ACLs through libacl. Every ACL and qualifier that libacl allocates is owned by a
// unique_ptr that returns it with acl_free.
#include "win32/security/posix_acl_linux.h"

#include <acl/libacl.h>

#include <cerrno>

#include "win32/core/error_or.h"

namespace vtplatform {
namespace {

static_assert(static_cast<acl_tag_t>(AclTag::user_obj) == ACL_USER_OBJ &&
              static_cast<acl_tag_t>(AclTag::user) == ACL_USER &&
              static_cast<acl_tag_t>(AclTag::group_obj) == ACL_GROUP_OBJ &&
              static_cast<acl_tag_t>(AclTag::group) == ACL_GROUP &&
              static_cast<acl_tag_t>(AclTag::mask) == ACL_MASK &&
              static_cast<acl_tag_t>(AclTag::other) == ACL_OTHER);
static_assert(kRead == ACL_READ && kWrite == ACL_WRITE && kExecute == ACL_EXECUTE);

constexpr acl_perm_t kPermissions[] = {ACL_READ, ACL_WRITE, ACL_EXECUTE};

// Appends the entries of `acl` to `entries`; false with errno set when libacl fails.
bool read_entries(acl_t acl, AclEntries& entries) {
  acl_entry_t entry;
  int got = acl_get_entry(acl, ACL_FIRST_ENTRY, &entry);
  for (; got == 1; got = acl_get_entry(acl, ACL_NEXT_ENTRY, &entry)) {
    acl_tag_t raw_tag = ACL_UNDEFINED_TAG;
    acl_permset_t permset;
    if (acl_get_tag_type(entry, &raw_tag) != 0 || acl_get_permset(entry, &permset) != 0) {
      return false;
    }
    const auto tag = static_cast<AclTag>(raw_tag);
    std::uint8_t permissions = 0;
    for (acl_perm_t permission : kPermissions) {
      if (acl_get_perm(permset, permission) == 1) {
        permissions |= static_cast<std::uint8_t>(permission);
      }
    }
    std::uint32_t id = kNoId;
    if (is_named(tag)) {
      const std::unique_ptr<void, AclFree> qualifier(acl_get_qualifier(entry));
      if (qualifier == nullptr) return false;
      id = *static_cast<const id_t*>(qualifier.get());
    }
    entries.push_back({tag, id, permissions});
  }
  return got == 0;
}

// Reads the ACL of `type` of `path`. A file system without ACLs has no default ACL.
bool read_acl(const char* path, acl_type_t type, AclEntries& entries) {
  const AclHandle acl(acl_get_file(path, type));
  if (acl == nullptr) return type == ACL_TYPE_DEFAULT && errno == ENOTSUP;
  return read_entries(acl.get(), entries);
}

}  // namespace

std::error_code read_posix_acls(const char* path, bool is_folder, AccessList& list) {
  if (!read_acl(path, ACL_TYPE_ACCESS, list.access)) return errno_code();
  if (is_folder && !read_acl(path, ACL_TYPE_DEFAULT, list.defaults)) return errno_code();
  sort_entries(list.access);
  sort_entries(list.defaults);
  return {};
}

std::optional<PosixAcls> PosixAcls::make(const AccessList& list, bool is_folder) {
  AclHandle access = make_acl(list.access);
  if (access == nullptr) return std::nullopt;
  AclHandle defaults;
  if (is_folder && !list.defaults.empty()) {
    defaults = make_acl(list.defaults);
    if (defaults == nullptr) return std::nullopt;
  }
  return PosixAcls(std::move(access), std::move(defaults), is_folder);
}

std::error_code PosixAcls::apply(const char* path) const {
  if (acl_set_file(path, ACL_TYPE_ACCESS, access_.get()) != 0) return errno_code();
  if (!is_folder_) return {};
  const int result = defaults_ != nullptr ? acl_set_file(path, ACL_TYPE_DEFAULT, defaults_.get())
                                          : acl_delete_def_file(path);
  return result == 0 ? std::error_code() : errno_code();
}

AclHandle PosixAcls::make_acl(const AclEntries& entries) {
  AclHandle acl(acl_init(static_cast<int>(entries.size())));
  if (acl == nullptr) return nullptr;
  for (const AclEntry& entry : entries) {
    acl_t raw = acl.release();  // acl_create_entry may move the ACL
    acl_entry_t created;
    const int result = acl_create_entry(&raw, &created);
    acl.reset(raw);
    acl_permset_t permset;
    if (result != 0 || acl_set_tag_type(created, static_cast<acl_tag_t>(entry.tag)) != 0 ||
        (is_named(entry.tag) && acl_set_qualifier(created, &entry.id) != 0) ||
        acl_get_permset(created, &permset) != 0 || acl_clear_perms(permset) != 0) {
      return nullptr;
    }
    for (acl_perm_t permission : kPermissions) {
      if ((entry.permissions & permission) != 0 && acl_add_perm(permset, permission) != 0) {
        return nullptr;
      }
    }
    if (acl_set_permset(created, permset) != 0) return nullptr;
  }
  return acl_valid(acl.get()) == 0 ? std::move(acl) : nullptr;
}

}  // namespace vtplatform
