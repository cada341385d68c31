// Reading and writing the POSIX ACLs of files and folders with libacl.
#pragma once

#include <sys/acl.h>

#include <memory>
#include <optional>
#include <system_error>
#include <type_traits>
#include <utility>

#include "win32/security/access_list.h"

namespace vtplatform {

// Releases what libacl allocated: ACLs, qualifiers, texts.
struct AclFree {
  void operator()(void* object) const { acl_free(object); }
};
using AclHandle = std::unique_ptr<std::remove_pointer_t<acl_t>, AclFree>;

// Reads the access ACL of `path` and, when `is_folder`, its default ACL into `list`. An object
// without an extended ACL has the entries of its mode bits. The errno of the failure, if any.
[[nodiscard]] std::error_code read_posix_acls(const char* path, bool is_folder, AccessList& list);

// The libacl ACLs made from an access list, checked and ready to be set on an object.
class PosixAcls {
 public:
  // The ACLs of `list` for an object that is a folder or not (a file has no default ACL); nothing
  // when the entries make no valid ACL.
  static std::optional<PosixAcls> make(const AccessList& list, bool is_folder);

  // Sets the access ACL of `path`, which updates its mode bits, and for a folder its default ACL,
  // removing the default ACL when the list has no default entries. The errno of the failure, if
  // any.
  [[nodiscard]] std::error_code apply(const char* path) const;

 private:
  PosixAcls(AclHandle access, AclHandle defaults, bool is_folder)
      : access_(std::move(access)), defaults_(std::move(defaults)), is_folder_(is_folder) {}

  // The libacl ACL of `entries`, or null when they make no valid ACL.
  static AclHandle make_acl(const AclEntries& entries);

  AclHandle access_;
  AclHandle defaults_;  // null when the folder's default ACL is removed, or for a file
  bool is_folder_;
};

}  // namespace vtplatform
