// Security descriptors in their flat form: what GetFileSecurityA and GetNamedSecurityInfoA hand
// out and AccessCheck reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "vtplatform/win32/security.h"
#include "win32/security/access_list.h"

namespace vtplatform {

// The security of a file or folder as the file system holds it.
struct FileSecurity {
  std::uint32_t owner = kNoId;  // uid
  std::uint32_t group = kNoId;  // gid
  bool is_folder = false;
  AccessList dacl;
};

// Where write_descriptor put each part; null for a part it left out.
struct DescriptorParts {
  PSID owner = nullptr;
  PSID group = nullptr;
  PACL dacl = nullptr;
};

// The size of the descriptor of `security` with the parts that `parts` names (owner, group,
// DACL; other bits are ignored).
std::size_t descriptor_size(const FileSecurity& security, SECURITY_INFORMATION parts);

// Writes that descriptor, descriptor_size bytes, to `out`.
DescriptorParts write_descriptor(const FileSecurity& security, SECURITY_INFORMATION parts,
                                 void* out);

// A descriptor read back: the parts it holds.
struct Descriptor {
  std::optional<std::uint32_t> owner;  // uid
  std::optional<std::uint32_t> group;  // gid
  bool is_folder = false;
  std::optional<AccessList> dacl;
};

// The descriptor at `descriptor`, or nothing when it is null or no well-formed descriptor.
std::optional<Descriptor> read_descriptor(const void* descriptor);

}  // namespace vtplatform
