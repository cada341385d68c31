// Security descriptors, access control lists, identifiers and access tokens of files and folders.
//
// On Linux these stand on the POSIX permissions and POSIX access control lists of the file
// system:
//
// - A security descriptor is one relocatable block of memory that holds, as the caller asked,
//   the object's owner, its group and its access list, and records whether the object is a
//   folder. Its layout is private to this layer; use the functions below to make and read it.
// - An access list (ACL) holds the object's POSIX access ACL and, for a folder, its default ACL,
//   which new objects in the folder inherit. An object without an extended ACL has the three
//   entries of its mode bits.
// - Identifiers (SIDs) are binary Windows SIDs. Everyone, S-1-1-0, is the POSIX "other" class;
//   user uid is S-1-22-1-uid and group gid is S-1-22-2-gid.
// - Rights: read permission holds FILE_GENERIC_READ, write permission FILE_GENERIC_WRITE and
//   FILE_DELETE_CHILD, execute permission FILE_GENERIC_EXECUTE. Every class holds READ_CONTROL
//   and SYNCHRONIZE (anyone may look at an object's attributes); the owner holds DELETE,
//   WRITE_DAC and WRITE_OWNER as well, so an owner with rwx holds FILE_ALL_ACCESS. Going the
//   other way, a mask gives read permission when it has FILE_READ_DATA, write permission when it
//   has FILE_WRITE_DATA or FILE_APPEND_DATA, execute permission when it has FILE_EXECUTE; each
//   generic right gives its own permission and GENERIC_ALL gives all three.
#pragma once

#include "vtplatform/export.h"
#include "vtplatform/win32/access_rights.h"
#include "vtplatform/win32/error.h"
#include "vtplatform/win32/types.h"

using SECURITY_INFORMATION = DWORD;
using PSECURITY_DESCRIPTOR = void*;
using PSID = void*;
using HLOCAL = HANDLE;

// An access list; opaque to callers.
struct ACL;
using PACL = ACL*;

struct SID_IDENTIFIER_AUTHORITY {
  BYTE Value[6];
};
using PSID_IDENTIFIER_AUTHORITY = SID_IDENTIFIER_AUTHORITY*;

struct GENERIC_MAPPING {
  ACCESS_MASK GenericRead;
  ACCESS_MASK GenericWrite;
  ACCESS_MASK GenericExecute;
  ACCESS_MASK GenericAll;
};
using PGENERIC_MAPPING = GENERIC_MAPPING*;

struct LUID {
  DWORD LowPart;
  LONG HighPart;
};

struct LUID_AND_ATTRIBUTES {
  LUID Luid;
  DWORD Attributes;
};

struct PRIVILEGE_SET {
  DWORD PrivilegeCount;
  DWORD Control;
  LUID_AND_ATTRIBUTES Privilege[1];
};
using PPRIVILEGE_SET = PRIVILEGE_SET*;
static_assert(sizeof(PRIVILEGE_SET) == 20, "PRIVILEGE_SET keeps its Windows size");

enum SE_OBJECT_TYPE : int {
  SE_UNKNOWN_OBJECT_TYPE = 0,
  SE_FILE_OBJECT,
  SE_SERVICE,
  SE_PRINTER,
  SE_REGISTRY_KEY,
  SE_LMSHARE,
  SE_KERNEL_OBJECT,
  SE_WINDOW_OBJECT,
  SE_DS_OBJECT,
  SE_DS_OBJECT_ALL,
  SE_PROVIDER_DEFINED_OBJECT,
  SE_WMIGUID_OBJECT,
  SE_REGISTRY_WOW64_32KEY,
  SE_REGISTRY_WOW64_64KEY,
};

enum ACCESS_MODE : int {
  NOT_USED_ACCESS = 0,
  GRANT_ACCESS,
  SET_ACCESS,
  DENY_ACCESS,
  REVOKE_ACCESS,
  SET_AUDIT_SUCCESS,
  SET_AUDIT_FAILURE,
};

enum MULTIPLE_TRUSTEE_OPERATION : int {
  NO_MULTIPLE_TRUSTEE = 0,
  TRUSTEE_IS_IMPERSONATE,
};

enum TRUSTEE_FORM : int {
  TRUSTEE_IS_SID = 0,
  TRUSTEE_IS_NAME,
  TRUSTEE_BAD_FORM,
  TRUSTEE_IS_OBJECTS_AND_SID,
  TRUSTEE_IS_OBJECTS_AND_NAME,
};

enum TRUSTEE_TYPE : int {
  TRUSTEE_IS_UNKNOWN = 0,
  TRUSTEE_IS_USER,
  TRUSTEE_IS_GROUP,
  TRUSTEE_IS_DOMAIN,
  TRUSTEE_IS_ALIAS,
  TRUSTEE_IS_WELL_KNOWN_GROUP,
  TRUSTEE_IS_DELETED,
  TRUSTEE_IS_INVALID,
  TRUSTEE_IS_COMPUTER,
};

enum SECURITY_IMPERSONATION_LEVEL : int {
  SecurityAnonymous = 0,
  SecurityIdentification,
  SecurityImpersonation,
  SecurityDelegation,
};

struct TRUSTEE_A {
  TRUSTEE_A* pMultipleTrustee;
  MULTIPLE_TRUSTEE_OPERATION MultipleTrusteeOperation;
  TRUSTEE_FORM TrusteeForm;
  TRUSTEE_TYPE TrusteeType;
  LPSTR ptstrName;  // the name, or the PSID for TRUSTEE_IS_SID
};
using PTRUSTEE_A = TRUSTEE_A*;

struct EXPLICIT_ACCESS_A {
  DWORD grfAccessPermissions;
  ACCESS_MODE grfAccessMode;
  DWORD grfInheritance;
  TRUSTEE_A Trustee;
};
using PEXPLICIT_ACCESS_A = EXPLICIT_ACCESS_A*;

// Which parts of a security descriptor a call reads or writes.
inline constexpr SECURITY_INFORMATION OWNER_SECURITY_INFORMATION = 0x00000001;
inline constexpr SECURITY_INFORMATION GROUP_SECURITY_INFORMATION = 0x00000002;
inline constexpr SECURITY_INFORMATION DACL_SECURITY_INFORMATION = 0x00000004;
inline constexpr SECURITY_INFORMATION SACL_SECURITY_INFORMATION = 0x00000008;
inline constexpr SECURITY_INFORMATION PROTECTED_DACL_SECURITY_INFORMATION = 0x80000000;
inline constexpr SECURITY_INFORMATION PROTECTED_SACL_SECURITY_INFORMATION = 0x40000000;
inline constexpr SECURITY_INFORMATION UNPROTECTED_DACL_SECURITY_INFORMATION = 0x20000000;
inline constexpr SECURITY_INFORMATION UNPROTECTED_SACL_SECURITY_INFORMATION = 0x10000000;

// Inheritance of an explicit access entry.
inline constexpr DWORD NO_INHERITANCE = 0x0;
inline constexpr DWORD OBJECT_INHERIT_ACE = 0x1;
inline constexpr DWORD CONTAINER_INHERIT_ACE = 0x2;
inline constexpr DWORD NO_PROPAGATE_INHERIT_ACE = 0x4;
inline constexpr DWORD INHERIT_ONLY_ACE = 0x8;
inline constexpr DWORD SUB_OBJECTS_ONLY_INHERIT = 0x1;
inline constexpr DWORD SUB_CONTAINERS_ONLY_INHERIT = 0x2;
inline constexpr DWORD SUB_CONTAINERS_AND_OBJECTS_INHERIT = 0x3;

// Rights on access tokens.
inline constexpr ACCESS_MASK TOKEN_ASSIGN_PRIMARY = 0x0001;
inline constexpr ACCESS_MASK TOKEN_DUPLICATE = 0x0002;
inline constexpr ACCESS_MASK TOKEN_IMPERSONATE = 0x0004;
inline constexpr ACCESS_MASK TOKEN_QUERY = 0x0008;
inline constexpr ACCESS_MASK TOKEN_QUERY_SOURCE = 0x0010;
inline constexpr ACCESS_MASK TOKEN_ADJUST_PRIVILEGES = 0x0020;
inline constexpr ACCESS_MASK TOKEN_ADJUST_GROUPS = 0x0040;
inline constexpr ACCESS_MASK TOKEN_ADJUST_DEFAULT = 0x0080;
inline constexpr ACCESS_MASK TOKEN_ADJUST_SESSIONID = 0x0100;
inline constexpr ACCESS_MASK TOKEN_READ = STANDARD_RIGHTS_READ | TOKEN_QUERY;
inline constexpr ACCESS_MASK TOKEN_WRITE =
    STANDARD_RIGHTS_WRITE | TOKEN_ADJUST_PRIVILEGES | TOKEN_ADJUST_GROUPS | TOKEN_ADJUST_DEFAULT;
inline constexpr ACCESS_MASK TOKEN_EXECUTE = STANDARD_RIGHTS_EXECUTE;
inline constexpr ACCESS_MASK TOKEN_ALL_ACCESS = STANDARD_RIGHTS_REQUIRED | 0x01FF;

// The authority and relative identifier of Everyone, S-1-1-0.
inline constexpr SID_IDENTIFIER_AUTHORITY SECURITY_WORLD_SID_AUTHORITY = {{0, 0, 0, 0, 0, 1}};
inline constexpr DWORD SECURITY_WORLD_RID = 0;

// Error codes of the security functions.
inline constexpr DWORD ERROR_INVALID_OWNER = 1307;
inline constexpr DWORD ERROR_INVALID_PRIMARY_GROUP = 1308;
inline constexpr DWORD ERROR_NO_IMPERSONATION_TOKEN = 1309;
inline constexpr DWORD ERROR_PRIVILEGE_NOT_HELD = 1314;
inline constexpr DWORD ERROR_NONE_MAPPED = 1332;
inline constexpr DWORD ERROR_INVALID_ACL = 1336;
inline constexpr DWORD ERROR_INVALID_SID = 1337;
inline constexpr DWORD ERROR_INVALID_SECURITY_DESCR = 1338;
inline constexpr DWORD ERROR_BAD_INHERITANCE_ACL = 1340;
inline constexpr DWORD ERROR_BAD_IMPERSONATION_LEVEL = 1346;
inline constexpr DWORD ERROR_GENERIC_NOT_MAPPED = 1360;

// Copies the parts of the security descriptor of the file or folder `file_name` that `requested`
// names (owner, group, access list) into `descriptor`, and sets `*length_needed` to the
// descriptor's size. FALSE with ERROR_INSUFFICIENT_BUFFER when `length` is smaller than that
// size (the buffer is left as it was), so a first call without a buffer asks for the size.
// Symbolic links are followed. FALSE with ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND for a
// missing object (ERROR_PATH_NOT_FOUND for an empty name), ERROR_INVALID_PARAMETER for a null
// name or length pointer, ERROR_PRIVILEGE_NOT_HELD when the audit list is asked for: Linux
// files have none.
VTPLATFORM_API BOOL GetFileSecurityA(LPCSTR file_name, SECURITY_INFORMATION requested,
                                     PSECURITY_DESCRIPTOR descriptor, DWORD length,
                                     DWORD* length_needed);

// Reads the security descriptor of the file or folder `object_name` (only SE_FILE_OBJECT is
// supported) into a new block that `*security_descriptor` receives and LocalFree releases.
// `owner`, `group` and `dacl`, where given, point into that block at the parts `info` asked for
// (null for parts not asked for). Returns ERROR_SUCCESS or the error: ERROR_INVALID_PARAMETER for
// another object type, a null name or a null `security_descriptor`; ERROR_PRIVILEGE_NOT_HELD for
// the audit list; ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND for a missing object.
VTPLATFORM_API DWORD GetNamedSecurityInfoA(LPCSTR object_name, SE_OBJECT_TYPE object_type,
                                           SECURITY_INFORMATION info, PSID* owner, PSID* group,
                                           PACL* dacl, PACL* sacl,
                                           PSECURITY_DESCRIPTOR* security_descriptor);

// Writes the parts that `info` names to the file or folder `object_name` (only SE_FILE_OBJECT).
// The access list becomes the object's POSIX access ACL, which sets its mode bits too; for a
// folder its default entries become the default ACL, and a list without default entries removes
// the folder's default ACL. Objects that already exist in a folder keep their ACLs: only objects
// created later inherit. A null `dacl` (full access for everyone on Windows) is refused with
// ERROR_INVALID_ACL. The owner and group must be S-1-22 identifiers (the object is given to that
// uid or gid), else ERROR_INVALID_OWNER or ERROR_INVALID_PRIMARY_GROUP. The protection flags are
// accepted and have no effect: POSIX ACLs are not inherited after the object is made. The audit
// list gives ERROR_PRIVILEGE_NOT_HELD. Returns ERROR_SUCCESS or the error (ERROR_ACCESS_DENIED
// when the caller may not change the object).
VTPLATFORM_API DWORD SetNamedSecurityInfoA(LPSTR object_name, SE_OBJECT_TYPE object_type,
                                           SECURITY_INFORMATION info, PSID owner, PSID group,
                                           PACL dacl, PACL sacl);

// Makes `*new_acl`, a copy of `old_acl` (or, when null, of an empty list: owner, owning group and
// other with no permissions) changed by the `count` entries, in order; LocalFree releases it.
// Modes: SET_ACCESS replaces the trustee's permissions, GRANT_ACCESS adds to them, REVOKE_ACCESS
// removes the trustee's named entries, or takes every permission from the owner, the owning group
// or other, in both the access and the default entries. Without inheritance an entry changes the
// access entries only; with OBJECT_INHERIT_ACE or CONTAINER_INHERIT_ACE it also changes the
// default entries (made from the access entries when there are none), and with INHERIT_ONLY_ACE
// only those. The default ACL cannot stop inheritance after one level, so
// NO_PROPAGATE_INHERIT_ACE has no effect. After a change to the group class the ACL mask becomes
// the union of its permissions, as setfacl makes it. Trustees are SIDs (Everyone, S-1-22 users
// and groups; the owner's and the owning group's identifiers name the owner and owning group
// entries) or names: "Everyone", "CURRENT_USER", a user or group name. Returns ERROR_SUCCESS or
// the error: ERROR_INVALID_ACL for an `old_acl` that is no access list, ERROR_NONE_MAPPED for a
// trustee with no POSIX counterpart, ERROR_INVALID_SID for a malformed SID,
// ERROR_INVALID_PARAMETER for another mode, a multiple trustee or a bad inheritance.
VTPLATFORM_API DWORD SetEntriesInAclA(DWORD count, PEXPLICIT_ACCESS_A entries, PACL old_acl,
                                      PACL* new_acl);

// Makes a SID of `sub_authority_count` (at most 8) sub-authorities; FreeSid or LocalFree releases
// it. FALSE with ERROR_INVALID_PARAMETER for a null authority or result, or too many
// sub-authorities.
VTPLATFORM_API BOOL AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY authority,
                                             BYTE sub_authority_count, DWORD sub_authority0,
                                             DWORD sub_authority1, DWORD sub_authority2,
                                             DWORD sub_authority3, DWORD sub_authority4,
                                             DWORD sub_authority5, DWORD sub_authority6,
                                             DWORD sub_authority7, PSID* sid);

// Releases a SID made by AllocateAndInitializeSid; null on success, as LocalFree.
VTPLATFORM_API void* FreeSid(PSID sid);

// Releases a block that a function of this layer allocated (security descriptors, access lists,
// SIDs). Returns null on success and for a null block; returns `memory` with
// ERROR_INVALID_HANDLE when it is no such block, which is then left alone.
VTPLATFORM_API HLOCAL LocalFree(HLOCAL memory);

// Replaces the generic rights in `*access_mask` with the specific rights `mapping` gives them.
VTPLATFORM_API void MapGenericMask(DWORD* access_mask, PGENERIC_MAPPING mapping);

// Opens the access token of the calling process, which must be GetCurrentProcess() (else
// ERROR_INVALID_HANDLE). The token is a primary token that records, at the time of the call, the
// effective uid, the effective gid and the supplementary groups, and whether the process has the
// capabilities CAP_DAC_OVERRIDE and CAP_DAC_READ_SEARCH. `desired_access` (generic rights mapped)
// is what the handle may do: DuplicateToken needs TOKEN_DUPLICATE, AccessCheck TOKEN_QUERY.
// CloseHandle closes the token.
VTPLATFORM_API BOOL OpenProcessToken(HANDLE process, DWORD desired_access, HANDLE* token);

// Makes an impersonation token at `level` with the identity of `existing_token`, opened for
// TOKEN_IMPERSONATE and TOKEN_QUERY. FALSE with ERROR_INVALID_HANDLE for a handle that is no
// token, ERROR_ACCESS_DENIED when it was opened without TOKEN_DUPLICATE,
// ERROR_BAD_IMPERSONATION_LEVEL for a level outside the enumeration.
VTPLATFORM_API BOOL DuplicateToken(HANDLE existing_token, SECURITY_IMPERSONATION_LEVEL level,
                                   HANDLE* duplicate_token);

// Decides whether the identity of `client_token` may access an object with `security_descriptor`
// (from GetFileSecurityA or GetNamedSecurityInfoA) in the way `desired_access` asks. The token
// must be an impersonation token at the identification level or above (else
// ERROR_NO_IMPERSONATION_TOKEN or ERROR_BAD_IMPERSONATION_LEVEL), the descriptor must hold an
// owner and a group (else ERROR_INVALID_SECURITY_DESCR), `desired_access` must hold no generic
// rights (else ERROR_GENERIC_NOT_MAPPED) and `*privilege_set_length` must be at least 20 (else
// ERROR_INSUFFICIENT_BUFFER, with the length needed stored). The POSIX ACL check then picks the
// owner entry, a named user entry or the group entries of the token's groups (access when any
// one of them, masked, holds all that is asked), else other; the permissions become rights as
// described at the top of this file. A token with CAP_DAC_OVERRIDE may also read and write
// anything, and execute a folder or a file with an execute bit; CAP_DAC_READ_SEARCH may read
// anything and search folders. MAXIMUM_ALLOWED asks for every right the token holds; asking
// for nothing is denied. A descriptor without access list grants everything, as a null DACL does
// on Windows. When the check is made the result is TRUE: `*access_status` TRUE with
// `*granted_access` the rights asked for (all rights held for MAXIMUM_ALLOWED), or FALSE with
// `*granted_access` 0 and ERROR_ACCESS_DENIED as the last error. `privilege_set` receives no
// privileges.
VTPLATFORM_API BOOL AccessCheck(PSECURITY_DESCRIPTOR security_descriptor, HANDLE client_token,
                                DWORD desired_access, PGENERIC_MAPPING generic_mapping,
                                PPRIVILEGE_SET privilege_set, DWORD* privilege_set_length,
                                DWORD* granted_access, BOOL* access_status);
