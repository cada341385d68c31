// The on-disk layout of a compound file: the header's and the directory entries' fields, the
// special sector numbers, and little-endian loads and stores of the values they hold. Shared by
// the reader and the writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "vtplatform/win32/com.h"
#include "vtplatform/win32/file.h"
#include "vtplatform/win32/storage.h"

namespace vtplatform::cfb {

inline constexpr std::uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

// Sector sizes: version 3 files have 512-byte sectors, version 4 files 4096-byte ones. The header
// is 512 bytes; in a version 4 file it fills a whole sector, padded with zeros.
inline constexpr unsigned kVersion3SectorShift = 9;
inline constexpr unsigned kVersion4SectorShift = 12;
inline constexpr std::size_t kHeaderSize = 512;
inline constexpr unsigned kMiniSectorShift = 6;
inline constexpr std::uint32_t kMiniSectorSize = 1u << kMiniSectorShift;
// Streams below this size live in the mini stream.
inline constexpr std::uint32_t kMiniStreamCutoff = 4096;
inline constexpr std::uint16_t kMinorVersion = 0x003E;
inline constexpr std::uint16_t kByteOrderMark = 0xFFFE;

// Sector numbers with a special meaning in the FAT, the mini FAT and the DIFAT.
inline constexpr std::uint32_t kMaxRegularSector = 0xFFFFFFFA;
inline constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
inline constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
inline constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
inline constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
// The empty link of the directory's trees.
inline constexpr std::uint32_t kNoStream = 0xFFFFFFFF;

// Header fields: byte offsets.
inline constexpr std::size_t kHeaderClsid = 0x08;
inline constexpr std::size_t kHeaderMinorVersion = 0x18;
inline constexpr std::size_t kHeaderMajorVersion = 0x1A;
inline constexpr std::size_t kHeaderByteOrder = 0x1C;
inline constexpr std::size_t kHeaderSectorShift = 0x1E;
inline constexpr std::size_t kHeaderMiniSectorShift = 0x20;
inline constexpr std::size_t kHeaderDirectorySectors = 0x28;
inline constexpr std::size_t kHeaderFatSectors = 0x2C;
inline constexpr std::size_t kHeaderFirstDirectorySector = 0x30;
inline constexpr std::size_t kHeaderMiniStreamCutoff = 0x38;
inline constexpr std::size_t kHeaderFirstMiniFatSector = 0x3C;
inline constexpr std::size_t kHeaderMiniFatSectors = 0x40;
inline constexpr std::size_t kHeaderFirstDifatSector = 0x44;
inline constexpr std::size_t kHeaderDifatSectors = 0x48;
inline constexpr std::size_t kHeaderDifat = 0x4C;
// The header lists the first FAT sectors itself; DIFAT sectors list the rest.
inline constexpr std::uint32_t kHeaderDifatEntries = 109;

// Directory entries: 128 bytes each, fields at these offsets.
inline constexpr std::size_t kEntrySize = 128;
inline constexpr std::size_t kEntryName = 0;
inline constexpr std::size_t kEntryNameLength = 64;
inline constexpr std::size_t kEntryType = 66;
inline constexpr std::size_t kEntryColor = 67;
inline constexpr std::size_t kEntryLeft = 68;
inline constexpr std::size_t kEntryRight = 72;
inline constexpr std::size_t kEntryChild = 76;
inline constexpr std::size_t kEntryClsid = 80;
inline constexpr std::size_t kEntryStateBits = 96;
inline constexpr std::size_t kEntryCreationTime = 100;
inline constexpr std::size_t kEntryModifiedTime = 108;
inline constexpr std::size_t kEntryStartSector = 116;
inline constexpr std::size_t kEntryStreamSize = 120;
// A name holds at most 31 UTF-16 units and its terminator.
inline constexpr std::size_t kMaxNameLength = 31;
inline constexpr std::uint8_t kRed = 0;
inline constexpr std::uint8_t kBlack = 1;

// The range-lock sector covers these file offsets. Its content belongs to whoever locks the file;
// it never holds data, and a version 4 file that grows past it marks it ENDOFCHAIN in the FAT.
inline constexpr std::uint64_t kRangeLockOffset = 0x7FFFFF00;

// The number of the sector that covers kRangeLockOffset, for sectors of 1 << `shift` bytes. The
// header occupies the place of sector -1.
constexpr std::uint32_t range_lock_sector(unsigned shift) {
  return static_cast<std::uint32_t>((kRangeLockOffset >> shift) - 1);
}

// The file offset of sector `sector`.
constexpr std::uint64_t sector_offset(std::uint32_t sector, unsigned shift) {
  return (static_cast<std::uint64_t>(sector) + 1) << shift;
}

inline std::uint16_t load16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
inline std::uint32_t load32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
inline std::uint64_t load64(const std::uint8_t* p) {
  return load32(p) | static_cast<std::uint64_t>(load32(p + 4)) << 32;
}
inline void store16(std::uint8_t* p, std::uint16_t value) {
  p[0] = static_cast<std::uint8_t>(value);
  p[1] = static_cast<std::uint8_t>(value >> 8);
}
inline void store32(std::uint8_t* p, std::uint32_t value) {
  store16(p, static_cast<std::uint16_t>(value));
  store16(p + 2, static_cast<std::uint16_t>(value >> 16));
}
inline void store64(std::uint8_t* p, std::uint64_t value) {
  store32(p, static_cast<std::uint32_t>(value));
  store32(p + 4, static_cast<std::uint32_t>(value >> 32));
}

inline GUID load_guid(const std::uint8_t* p) {
  GUID guid;
  guid.Data1 = load32(p);
  guid.Data2 = load16(p + 4);
  guid.Data3 = load16(p + 6);
  std::memcpy(guid.Data4, p + 8, sizeof guid.Data4);
  return guid;
}
inline void store_guid(std::uint8_t* p, const GUID& guid) {
  store32(p, guid.Data1);
  store16(p + 4, guid.Data2);
  store16(p + 6, guid.Data3);
  std::memcpy(p + 8, guid.Data4, sizeof guid.Data4);
}

inline FILETIME load_filetime(const std::uint8_t* p) { return FILETIME{load32(p), load32(p + 4)}; }
inline void store_filetime(std::uint8_t* p, const FILETIME& time) {
  store32(p, time.dwLowDateTime);
  store32(p + 4, time.dwHighDateTime);
}

// The number of units of 1 << `shift` bytes that hold `size` bytes.
constexpr std::uint64_t units_for(std::uint64_t size, unsigned shift) {
  return (size >> shift) + ((size & ((std::uint64_t{1} << shift) - 1)) != 0 ? 1 : 0);
}

inline ULARGE_INTEGER large(std::uint64_t value) {
  ULARGE_INTEGER result;
  result.QuadPart = value;
  return result;
}

}  // namespace vtplatform::cfb
