// Fuzzes the /proc/PID/maps parser on text parsed in place, so that a read past its end is a
// fault: any text parses without fault. No region runs backwards, its device and path are text of
// the input, and a region written back as a maps line parses to the same region. Every module
// starts where a file region of the same path starts and does not run backwards either.
#include <algorithm>
#include <cinttypes>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "win32/process/proc_maps_linux.h"

namespace {

using vtplatform::MemoryRegion;

// The region as the kernel writes its line: range, rights, offset, device, inode and path.
std::string maps_line(const MemoryRegion& region) {
  char fields[128];
  std::snprintf(fields, sizeof fields, "%" PRIxPTR "-%" PRIxPTR " %c%c%c%c %" PRIx64 " ",
                region.start, region.end, region.readable ? 'r' : '-',
                region.writable ? 'w' : '-', region.executable ? 'x' : '-',
                region.shared ? 's' : 'p', region.offset);
  return fields + region.device + ' ' + std::to_string(region.inode) + "   " + region.path + '\n';
}

bool same_region(const MemoryRegion& a, const MemoryRegion& b) {
  return a.start == b.start && a.end == b.end && a.readable == b.readable &&
         a.writable == b.writable && a.executable == b.executable && a.shared == b.shared &&
         a.offset == b.offset && a.device == b.device && a.inode == b.inode && a.path == b.path;
}

// Whether `part` is text of one line of `text`.
bool within_a_line(std::string_view text, const std::string& part) {
  return part.find('\n') == std::string::npos && text.find(part) != std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view maps(reinterpret_cast<const char*>(data), size);
  const std::vector<MemoryRegion> regions = vtplatform::parse_memory_regions(maps);
  if (regions.size() > static_cast<std::size_t>(std::count(maps.begin(), maps.end(), '\n')) + 1) {
    __builtin_trap();
  }
  for (const MemoryRegion& region : regions) {
    if (region.end < region.start) __builtin_trap();
    if (!within_a_line(maps, region.device) || !within_a_line(maps, region.path)) __builtin_trap();
    const auto again = vtplatform::parse_memory_regions(maps_line(region));
    if (again.size() != 1 || !same_region(again.front(), region)) __builtin_trap();
  }

  for (const vtplatform::MappedModule& module : vtplatform::parse_mapped_modules(maps)) {
    if (module.end < module.base) __builtin_trap();
    const bool mapped = std::any_of(regions.begin(), regions.end(), [&](const MemoryRegion& r) {
      return r.is_file() && r.start == module.base &&
             vtplatform::without_deleted_mark(r.path) == module.path;
    });
    if (!mapped) __builtin_trap();
  }
  return 0;
}
