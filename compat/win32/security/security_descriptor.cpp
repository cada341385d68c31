// Security descriptors in flat form: a header (a marker, flags, the total size and the offsets of
// the owner SID, the group SID and the access list, 0 for a part left out) followed by the parts.
// Offsets count from the start of the block, so the block can be copied and moved as a whole.
#include "win32/security/security_descriptor.h"

#include <cstring>

#include "win32/security/sid.h"

namespace vtplatform {
namespace {

constexpr std::uint32_t kDescriptorMarker = 0x44535456;  // "VTSD"
constexpr std::uint32_t kFolderFlag = 0x1;

struct Header {
  std::uint32_t marker;
  std::uint32_t flags;
  std::uint32_t size;
  std::uint32_t owner_offset;
  std::uint32_t group_offset;
  std::uint32_t dacl_offset;
};

// The uid or gid of the SID of `kind` at `offset` in a descriptor of `size` bytes.
std::optional<std::uint32_t> read_unix_sid(const std::byte* block, std::uint32_t size,
                                           std::uint32_t offset, SidKind kind) {
  if (offset < sizeof(Header) || offset > size || size - offset < kUnixSidLength) {
    return std::nullopt;
  }
  if (sid_length(block + offset) != kUnixSidLength) return std::nullopt;
  const std::optional<SidIdentity> identity = identify_sid(block + offset);
  if (!identity || identity->kind != kind) return std::nullopt;
  return identity->id;
}

}  // namespace

std::size_t descriptor_size(const FileSecurity& security, SECURITY_INFORMATION parts) {
  std::size_t size = sizeof(Header);
  if (parts & OWNER_SECURITY_INFORMATION) size += kUnixSidLength;
  if (parts & GROUP_SECURITY_INFORMATION) size += kUnixSidLength;
  if (parts & DACL_SECURITY_INFORMATION) size += flat_size(security.dacl);
  return size;
}

DescriptorParts write_descriptor(const FileSecurity& security, SECURITY_INFORMATION parts,
                                 void* out) {
  auto* block = static_cast<std::byte*>(out);
  Header header{};
  header.marker = kDescriptorMarker;
  header.flags = security.is_folder ? kFolderFlag : 0;
  header.size = static_cast<std::uint32_t>(descriptor_size(security, parts));
  DescriptorParts written;
  std::uint32_t offset = sizeof header;
  if (parts & OWNER_SECURITY_INFORMATION) {
    header.owner_offset = offset;
    written.owner = block + offset;
    write_unix_sid(SidKind::user, security.owner, written.owner);
    offset += kUnixSidLength;
  }
  if (parts & GROUP_SECURITY_INFORMATION) {
    header.group_offset = offset;
    written.group = block + offset;
    write_unix_sid(SidKind::group, security.group, written.group);
    offset += kUnixSidLength;
  }
  if (parts & DACL_SECURITY_INFORMATION) {
    header.dacl_offset = offset;
    written.dacl = reinterpret_cast<PACL>(block + offset);
    write_flat(security.dacl, written.dacl);
  }
  std::memcpy(block, &header, sizeof header);
  return written;
}

std::optional<Descriptor> read_descriptor(const void* descriptor) {
  // The marker alone first: a block that is no descriptor may be shorter than the header.
  std::uint32_t marker = 0;
  if (descriptor == nullptr) return std::nullopt;
  std::memcpy(&marker, descriptor, sizeof marker);
  if (marker != kDescriptorMarker) return std::nullopt;
  Header header;
  std::memcpy(&header, descriptor, sizeof header);
  if (header.size < sizeof header) return std::nullopt;
  const auto* block = static_cast<const std::byte*>(descriptor);
  Descriptor read;
  read.is_folder = (header.flags & kFolderFlag) != 0;
  if (header.owner_offset != 0) {
    read.owner = read_unix_sid(block, header.size, header.owner_offset, SidKind::user);
    if (!read.owner) return std::nullopt;
  }
  if (header.group_offset != 0) {
    read.group = read_unix_sid(block, header.size, header.group_offset, SidKind::group);
    if (!read.group) return std::nullopt;
  }
  if (header.dacl_offset != 0) {
    if (header.dacl_offset < sizeof header || header.dacl_offset > header.size) return std::nullopt;
    read.dacl = read_flat(block + header.dacl_offset, header.size - header.dacl_offset);
    if (!read.dacl) return std::nullopt;
  }
  return read;
}

}  // namespace vtplatform
