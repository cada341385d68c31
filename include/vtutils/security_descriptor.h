// vtuSecurityDescriptor: grants the well-known group Everyone access to a file or folder. Call
// get_named_security_info, then add_everyone_to_dacl, then set_named_security_info; each returns
// a Win32 error code, 0 for success.
#pragma once

#include "vtutils/export.h"
#include "vtutils/platform/security.h"

class VTUTILS_API vtuSecurityDescriptor {
 public:
  // `object_name` is not copied: the text must outlive the object.
  explicit vtuSecurityDescriptor(const char* object_name);
  // Frees the descriptor and the new access list.
  ~vtuSecurityDescriptor();
  vtuSecurityDescriptor(const vtuSecurityDescriptor&) = delete;
  vtuSecurityDescriptor& operator=(const vtuSecurityDescriptor&) = delete;

  // Reads the object's descriptor and its access list (`security_information` says which parts
  // of the descriptor to read). A second call replaces the first one's descriptor.
  unsigned int get_named_security_info(unsigned int security_information);
  // Makes a new access list: the one read, with Everyone's entry set to `access_permissions`
  // and `inheritance`. ERROR_INVALID_ACL (1336) before get_named_security_info, ERROR_INVALID_SID
  // (1337) when the identifier of Everyone cannot be made.
  unsigned int add_everyone_to_dacl(unsigned int inheritance, unsigned int access_permissions);
  // Writes the new access list to the object. ERROR_BAD_INHERITANCE_ACL (1340) before
  // add_everyone_to_dacl.
  unsigned int set_named_security_info(unsigned int security_information);

 private:
  const char* object_name_;
  PSECURITY_DESCRIPTOR security_descriptor_ = nullptr;
  PACL current_dacl_ = nullptr;  // points into security_descriptor_
  PACL new_dacl_ = nullptr;
};
