// Binary SIDs: a revision byte (1), the count of sub-authorities, the 48-bit identifier
// authority in big-endian order and the 32-bit sub-authorities, as Windows lays them out.
#include "win32/security/sid.h"

#include <cstring>

#include "vtplatform/win32/error.h"
#include "vtplatform/win32/security.h"
#include "win32/core/local_memory.h"

namespace vtplatform {
namespace {

constexpr BYTE kSidRevision = 1;
constexpr std::size_t kHeaderLength = 8;
constexpr std::size_t kMaxSubAuthorities = 15;
constexpr std::size_t kMaxAllocatedSubAuthorities = 8;
// The authority of the Unix identities, S-1-22, and the first sub-authority of users and groups.
constexpr BYTE kUnixAuthority = 22;
constexpr DWORD kUnixUserRid = 1;
constexpr DWORD kUnixGroupRid = 2;

// The SID's 48-bit identifier authority.
std::uint64_t authority_of(const BYTE* sid) {
  std::uint64_t authority = 0;
  for (std::size_t i = 2; i < kHeaderLength; ++i) authority = authority << 8 | sid[i];
  return authority;
}

DWORD sub_authority(const BYTE* sid, std::size_t index) {
  DWORD value = 0;
  std::memcpy(&value, sid + kHeaderLength + 4 * index, sizeof value);
  return value;
}

void write_sid(void* out, const SID_IDENTIFIER_AUTHORITY& authority, const DWORD* sub_authorities,
               std::size_t count) {
  auto* bytes = static_cast<BYTE*>(out);
  bytes[0] = kSidRevision;
  bytes[1] = static_cast<BYTE>(count);
  std::memcpy(bytes + 2, authority.Value, sizeof authority.Value);
  std::memcpy(bytes + kHeaderLength, sub_authorities, 4 * count);
}

}  // namespace

std::size_t sid_length(const void* sid) {
  const auto* bytes = static_cast<const BYTE*>(sid);
  if (bytes == nullptr || bytes[0] != kSidRevision || bytes[1] > kMaxSubAuthorities) return 0;
  return kHeaderLength + 4 * std::size_t{bytes[1]};
}

std::optional<SidIdentity> identify_sid(const void* sid) {
  const auto* bytes = static_cast<const BYTE*>(sid);
  const std::uint64_t authority = authority_of(bytes);
  const std::size_t count = bytes[1];
  if (authority == 1 && count == 1 && sub_authority(bytes, 0) == SECURITY_WORLD_RID) {
    return SidIdentity{SidKind::everyone, 0};
  }
  if (authority == kUnixAuthority && count == 2) {
    const DWORD rid = sub_authority(bytes, 0);
    if (rid == kUnixUserRid) return SidIdentity{SidKind::user, sub_authority(bytes, 1)};
    if (rid == kUnixGroupRid) return SidIdentity{SidKind::group, sub_authority(bytes, 1)};
  }
  return std::nullopt;
}

void write_unix_sid(SidKind kind, std::uint32_t id, void* out) {
  const DWORD sub_authorities[] = {kind == SidKind::group ? kUnixGroupRid : kUnixUserRid, id};
  write_sid(out, SID_IDENTIFIER_AUTHORITY{{0, 0, 0, 0, 0, kUnixAuthority}}, sub_authorities, 2);
}

}  // namespace vtplatform

BOOL AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY authority, BYTE sub_authority_count,
                              DWORD sub_authority0, DWORD sub_authority1, DWORD sub_authority2,
                              DWORD sub_authority3, DWORD sub_authority4, DWORD sub_authority5,
                              DWORD sub_authority6, DWORD sub_authority7, PSID* sid) {
  if (authority == nullptr || sid == nullptr ||
      sub_authority_count > vtplatform::kMaxAllocatedSubAuthorities) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const DWORD sub_authorities[] = {sub_authority0, sub_authority1, sub_authority2, sub_authority3,
                                   sub_authority4, sub_authority5, sub_authority6, sub_authority7};
  void* memory = vtplatform::local_alloc(vtplatform::kHeaderLength + 4 * sub_authority_count);
  if (memory == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  vtplatform::write_sid(memory, *authority, sub_authorities, sub_authority_count);
  *sid = memory;
  return TRUE;
}

void* FreeSid(PSID sid) { return LocalFree(sid); }
