// Binary SIDs and the identities they stand for on Linux: Everyone (S-1-1-0) is the POSIX "other"
// class, user uid is S-1-22-1-uid and group gid is S-1-22-2-gid.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace vtplatform {

// The length of a user's or a group's SID: one authority and two sub-authorities.
inline constexpr std::size_t kUnixSidLength = 16;

// The length of the SID at `sid`, or 0 when it is null or no well-formed SID.
std::size_t sid_length(const void* sid);

enum class SidKind { everyone, user, group };

struct SidIdentity {
  SidKind kind;
  std::uint32_t id;  // the uid or gid; 0 for Everyone
};

// What the well-formed SID `sid` stands for, or nothing when it has no POSIX counterpart.
std::optional<SidIdentity> identify_sid(const void* sid);

// Writes the kUnixSidLength bytes of the SID of the user or group `id` to `out`.
void write_unix_sid(SidKind kind, std::uint32_t id, void* out);

}  // namespace vtplatform
