// vtuSecurityDescriptor: read an object's access list, set Everyone's entry, write it back.
#include "vtutils/security_descriptor.h"

#include <memory>

#include "vtutils/platform/win32_types.h"

namespace {

// A security identifier from AllocateAndInitializeSid, freed when the owner goes.
struct SidFree {
  void operator()(void* sid) const { LocalFree(sid); }
};
using SidHandle = std::unique_ptr<void, SidFree>;

}  // namespace

vtuSecurityDescriptor::vtuSecurityDescriptor(const char* object_name)
    : object_name_(object_name) {}

vtuSecurityDescriptor::~vtuSecurityDescriptor() {
  LocalFree(security_descriptor_);
  LocalFree(new_dacl_);
}

unsigned int vtuSecurityDescriptor::get_named_security_info(unsigned int security_information) {
  // The descriptor of an earlier call is freed here: current_dacl_ is about to be replaced too.
  LocalFree(security_descriptor_);
  security_descriptor_ = nullptr;
  current_dacl_ = nullptr;
  return GetNamedSecurityInfoA(object_name_, SE_FILE_OBJECT, security_information, nullptr,
                               nullptr, &current_dacl_, nullptr, &security_descriptor_);
}

unsigned int vtuSecurityDescriptor::add_everyone_to_dacl(unsigned int inheritance,
                                                         unsigned int access_permissions) {
  if (current_dacl_ == nullptr) return ERROR_INVALID_ACL;

  SID_IDENTIFIER_AUTHORITY world_authority = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  if (!AllocateAndInitializeSid(&world_authority, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0,
                                &everyone)) {
    return ERROR_INVALID_SID;
  }
  const SidHandle everyone_owner(everyone);

  EXPLICIT_ACCESS_A access = {};
  access.grfAccessPermissions = access_permissions;
  access.grfAccessMode = SET_ACCESS;
  access.grfInheritance = inheritance;
  access.Trustee.pMultipleTrustee = nullptr;
  access.Trustee.MultipleTrusteeOperation = NO_MULTIPLE_TRUSTEE;
  access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
  access.Trustee.TrusteeType = TRUSTEE_IS_UNKNOWN;
  access.Trustee.ptstrName = static_cast<LPSTR>(everyone);

  PACL merged = nullptr;
  const DWORD result = SetEntriesInAclA(1, &access, current_dacl_, &merged);
  if (result == ERROR_SUCCESS) {
    LocalFree(new_dacl_);
    new_dacl_ = merged;
  }
  return result;
}

unsigned int vtuSecurityDescriptor::set_named_security_info(unsigned int security_information) {
  if (new_dacl_ == nullptr) return ERROR_BAD_INHERITANCE_ACL;
  return SetNamedSecurityInfoA(const_cast<LPSTR>(object_name_), SE_FILE_OBJECT,
                               security_information, nullptr, nullptr, new_dacl_, nullptr);
}
