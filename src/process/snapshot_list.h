// The snapshot that both process iterators take: a list the system fills into a buffer of the
// caller's, asked again with twice the room for as long as the answer may have been cut short,
// and a position that walks it.
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "vtutils/platform/win32_types.h"

namespace vtutils {

// The position of an iterator that has nothing (more) to return.
inline constexpr std::uint64_t kPastTheEnd = std::numeric_limits<std::uint64_t>::max();

// Fills `list` through `enumerate(entries, bytes, bytes_needed)`, a K32Enum* call. The first
// request offers room for 1024 entries. On success the list holds what the system reported and
// `position` is `start`; on failure the walk stays past the end.
template <class Entry, class Enumerate>
void take_snapshot(std::vector<Entry>& list, std::uint64_t& position, std::uint64_t start,
                   Enumerate enumerate) {
  position = kPastTheEnd;
  std::uint64_t capacity = 512;
  for (;;) {
    capacity *= 2;
    list.resize(capacity);
    DWORD needed = 0;
    if (!enumerate(list.data(), static_cast<DWORD>(capacity * sizeof(Entry)), &needed)) return;
    const std::uint64_t count = needed / sizeof(Entry);
    list.resize(count);
    position = start;
    // A list that filled all the room may have been cut short.
    if (count < capacity) return;
  }
}

// The entry at `position`, advancing it; a value-initialised Entry (0, null) past the end.
template <class Entry>
Entry next_entry(const std::vector<Entry>& list, std::uint64_t& position) {
  if (position >= list.size()) return Entry{};
  return list[position++];
}

}  // namespace vtutils
