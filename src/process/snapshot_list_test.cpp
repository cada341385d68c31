// Tests of the snapshot routine's requests, with a stand-in for the system's enumeration.
#include "process/snapshot_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

using vtutils::kPastTheEnd;
using vtutils::next_entry;
using vtutils::take_snapshot;

// A system list of `size` ids 1..size that fills what room it is given, recording each request.
struct FakeList {
  DWORD size;
  std::vector<DWORD> requests;  // entries offered per call

  BOOL operator()(DWORD* ids, DWORD bytes, DWORD* needed) {
    const DWORD room = bytes / sizeof(DWORD);
    requests.push_back(room);
    const DWORD filled = std::min(room, size);
    for (DWORD i = 0; i < filled; ++i) ids[i] = i + 1;
    *needed = filled * sizeof(DWORD);
    return TRUE;
  }
};

TEST(SnapshotList, AsksAgainWithTwiceTheRoomWhileTheListMayBeCut) {
  for (const auto& [size, expected] : std::vector<std::pair<DWORD, std::vector<DWORD>>>{
           {3, {1024}}, {1023, {1024}}, {1024, {1024, 2048}}, {3000, {1024, 2048, 4096}}}) {
    FakeList list{size, {}};
    std::vector<DWORD> ids;
    std::uint64_t position = 0;
    take_snapshot(ids, position, 1, std::ref(list));
    EXPECT_EQ(list.requests, expected) << size;
    EXPECT_EQ(ids.size(), size);
    EXPECT_EQ(position, 1u);
    EXPECT_EQ(next_entry(ids, position), 2u) << "the walk starts at the position given";
  }
}

TEST(SnapshotList, AFailedRequestLeavesNothingToWalk) {
  std::vector<DWORD> ids{7, 8};
  std::uint64_t position = 0;
  take_snapshot(ids, position, 0, [](DWORD*, DWORD, DWORD*) { return FALSE; });
  EXPECT_EQ(position, kPastTheEnd);
  EXPECT_EQ(next_entry(ids, position), 0u);
}

}  // namespace
