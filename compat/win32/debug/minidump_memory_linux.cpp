// The thread list and the memory of a Linux minidump: each thread's registers and stack, and the
// memory list that holds the stacks with whatever else the dump type asks for.
#include <algorithm>
#include <charconv>
#include <set>
#include <string_view>

#include "win32/core/read_file.h"
#include "win32/debug/minidump_context_linux.h"
#include "win32/debug/minidump_streams_linux.h"

namespace vtplatform::minidump {
namespace {

// The stack is taken from a little below the stack pointer (the red zone that leaf functions
// use without moving it) up towards the base of the stack, at most this far: enough for the
// frames of a thread that waits somewhere, without copying a deep recursion whole.
constexpr std::uint64_t kRedZone = 128;
constexpr std::uint64_t kMaxStackSize = 256 * 1024;
// Memory is copied into the file in pieces of this size.
constexpr std::size_t kCopyChunk = 1 << 20;

struct Range {
  std::uint64_t start;
  std::uint64_t end;
};

// Sorted, with overlapping and touching ranges joined, empty ones left out.
std::vector<Range> merged(std::vector<Range> ranges) {
  std::erase_if(ranges, [](const Range& r) { return r.end <= r.start; });
  std::sort(ranges.begin(), ranges.end(),
            [](const Range& a, const Range& b) { return a.start < b.start; });
  std::vector<Range> result;
  for (const Range& range : ranges) {
    if (!result.empty() && range.start <= result.back().end) {
      result.back().end = std::max(result.back().end, range.end);
    } else {
      result.push_back(range);
    }
  }
  return result;
}

// The starts of the mappings that the process excluded from core dumps with MADV_DONTDUMP ("dd"
// among the VmFlags of /proc/PID/smaps), or that map device memory ("io"): the sanitizers' shadow
// memory, for example, reserves terabytes that nobody wants in a dump.
std::set<std::uint64_t> excluded_from_dumps(pid_t pid) {
  std::set<std::uint64_t> excluded;
  const auto smaps = read_file("/proc/" + std::to_string(pid) + "/smaps");
  if (!smaps) return excluded;
  std::string_view text = *smaps;
  std::uint64_t current = 0;
  while (!text.empty()) {
    const auto end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    std::uint64_t start = 0;
    const auto [number_end, error] = std::from_chars(line.data(), line.data() + line.size(),
                                                     start, 16);
    if (error == std::errc() && number_end != line.data() + line.size() && *number_end == '-') {
      current = start;
    } else if (line.starts_with("VmFlags:")) {
      const std::string flags = std::string(line.substr(8)) + ' ';
      if (flags.find(" dd ") != std::string::npos || flags.find(" io ") != std::string::npos) {
        excluded.insert(current);
      }
    }
  }
  return excluded;
}

// What a full-memory dump holds: every readable mapping but the excluded ones and the kernel's
// pages that cannot be read through the memory file.
std::vector<Range> all_memory(const DumpSource& source) {
  const auto excluded = excluded_from_dumps(source.pid);
  std::vector<Range> ranges;
  for (const MemoryRegion& region : source.regions) {
    if (region.readable && !excluded.contains(region.start) && region.path != "[vvar]" &&
        region.path != "[vsyscall]") {
      ranges.push_back({region.start, region.end});
    }
  }
  return ranges;
}

// The mappings that the type's flags add to the stacks of a dump without full memory.
std::vector<Range> selected_memory(const DumpSource& source) {
  std::vector<Range> ranges;
  for (const MemoryRegion& region : source.regions) {
    if (!region.readable) continue;
    const bool module = source.is_module_mapping(region);
    const bool wanted =
        ((source.type & MiniDumpWithDataSegs) != 0 && module && region.writable) ||
        ((source.type & MiniDumpWithCodeSegs) != 0 && module && region.executable) ||
        ((source.type & MiniDumpWithPrivateReadWriteMemory) != 0 && !region.is_file() &&
         region.writable && !region.shared && region.path != "[vvar]");
    if (wanted) ranges.push_back({region.start, region.end});
  }
  return ranges;
}

// The part of the stack mapping that holds the thread's frames.
Range stack_of(const DumpSource& source, std::uint64_t stack_pointer) {
  for (const MemoryRegion& region : source.regions) {
    if (region.start <= stack_pointer && stack_pointer < region.end && region.readable) {
      const std::uint64_t start = std::max<std::uint64_t>(region.start, stack_pointer - kRedZone);
      return {start, std::min<std::uint64_t>(region.end, start + kMaxStackSize)};
    }
  }
  return {stack_pointer, stack_pointer};
}

void copy_memory(DumpFile& file, const ProcessMemory& memory, const Range& range, bool bulk) {
  std::vector<char> buffer(kCopyChunk);
  for (std::uint64_t at = range.start; at < range.end && file.error() == 0;) {
    const auto size = static_cast<std::size_t>(std::min<std::uint64_t>(kCopyChunk, range.end - at));
    memory.read_zero_filled(at, buffer.data(), size);
    if (bulk) {
      file.append_bulk(buffer.data(), size);
    } else {
      file.append(buffer.data(), size);
    }
    at += size;
  }
}

}  // namespace

void write_threads_and_memory(DumpFile& file, const DumpSource& source) {
  std::vector<Thread> threads;
  std::vector<Range> stacks;
  for (const pid_t tid : source.threads) {
    const auto registers = read_thread_registers(tid);
    if (!registers) continue;  // ended since it was attached
    Thread thread{};
    thread.thread_id = static_cast<std::uint32_t>(tid);
    thread.teb = registers->fs_base;
    thread.thread_context = file.append(registers->context);
    const Range stack = stack_of(source, registers->context.rsp);
    thread.stack.start_of_memory_range = stack.start;
    threads.push_back(thread);
    stacks.push_back(stack);
  }

  const bool full = (source.type & MiniDumpWithFullMemory) != 0;
  std::vector<Range> ranges = full ? all_memory(source) : selected_memory(source);
  if (!full) ranges.insert(ranges.end(), stacks.begin(), stacks.end());
  ranges = merged(std::move(ranges));

  // Where each range's bytes go: with full memory after the thread list and the 64-bit memory
  // list, which must come first so that their offsets stay below 4 GiB; else right here.
  std::uint64_t data_start = file.end();
  if (full) {
    data_start += sizeof(std::uint32_t) + threads.size() * sizeof(Thread) +
                  sizeof(Memory64ListHeader) + ranges.size() * sizeof(MemoryDescriptor64);
  }
  std::vector<std::uint64_t> offsets;
  std::uint64_t offset = data_start;
  for (const Range& range : ranges) {
    offsets.push_back(offset);
    offset += range.end - range.start;
  }
  for (std::size_t i = 0; i < threads.size(); ++i) {
    const auto holder = std::find_if(ranges.begin(), ranges.end(), [&](const Range& r) {
      return r.start <= stacks[i].start && stacks[i].end <= r.end;
    });
    if (holder == ranges.end() || stacks[i].end == stacks[i].start) continue;
    const auto index = static_cast<std::size_t>(holder - ranges.begin());
    const std::uint64_t rva = offsets[index] + stacks[i].start - holder->start;
    if (rva + (stacks[i].end - stacks[i].start) <= UINT32_MAX) {
      threads[i].stack.memory = {static_cast<std::uint32_t>(stacks[i].end - stacks[i].start),
                                 static_cast<std::uint32_t>(rva)};
    }
  }

  if (full) {
    file.add_stream(kThreadListStream,
                    file.append_list(static_cast<std::uint32_t>(threads.size()), threads));
    std::vector<MemoryDescriptor64> descriptors;
    for (const Range& range : ranges) descriptors.push_back({range.start, range.end - range.start});
    file.add_stream(kMemory64ListStream,
                    file.append_list(Memory64ListHeader{ranges.size(), data_start}, descriptors));
    for (const Range& range : ranges) copy_memory(file, source.memory, range, true);
    return;
  }
  std::vector<MemoryDescriptor> descriptors;
  for (std::size_t i = 0; i < ranges.size(); ++i) {
    descriptors.push_back({ranges[i].start,
                           {static_cast<std::uint32_t>(ranges[i].end - ranges[i].start),
                            static_cast<std::uint32_t>(offsets[i])}});
    copy_memory(file, source.memory, ranges[i], false);
  }
  file.add_stream(kThreadListStream,
                  file.append_list(static_cast<std::uint32_t>(threads.size()), threads));
  file.add_stream(kMemoryListStream,
                  file.append_list(static_cast<std::uint32_t>(descriptors.size()), descriptors));
}

}  // namespace vtplatform::minidump
