// Tests of the FNV hashes: published vectors for ASCII, the sign-widened bytes above it, and the
// agreement of the two forms, and of hashes taken in pieces with the hash of the whole.
#include <gtest/gtest.h>

#include "vtutils/hash.h"

namespace {

TEST(FnvHash, MatchesPublishedValuesForAscii) {
  EXPECT_EQ(vtu_fnv_hash("abc", 3), 0x439C2F4Bu);
  EXPECT_EQ(vtu_fnv1a_hash("abc", 3), 0x1A47E90Bu);
  EXPECT_EQ(vtu_fnv_hash("a", 1), 0x050C5D7Eu);
  EXPECT_EQ(vtu_fnv1a_hash("a", 1), 0xE40C292Cu);
  EXPECT_EQ(vtu_fnv_hash("foobar", 6), 0x31F0B262u);
  EXPECT_EQ(vtu_fnv1a_hash("foobar", 6), 0xBF9CF968u);
}

TEST(FnvHash, WidensBytesWithTheirSign) {
  EXPECT_EQ(vtu_fnv_hash("\xE9", 1), 0xFAF3A2F6u);
  EXPECT_EQ(vtu_fnv1a_hash("\xE9", 1), 0xEBF38B44u);
}

TEST(FnvHash, EmptyInputGivesTheOffsetBasisWithoutReadingData) {
  for (auto hash : {vtu_fnv_hash(nullptr, 0), vtu_fnv1a_hash(nullptr, 0), vtu_fnv_hash(nullptr, -5),
                    vtu_fnv_hash(utString()), vtu_fnv1a_hash(utString()),
                    vtu_fnv_hash(utString("")), vtu_fnv1a_hash(utString("")),
                    vtu_fnv_hash_append(vtu_fnv_offset_basis, nullptr, 0),
                    vtu_fnv1a_hash_append(vtu_fnv_offset_basis, nullptr, -1)}) {
    EXPECT_EQ(hash, 0x811C9DC5u);
  }
}

TEST(FnvHash, HashesCountedBytesIncludingNuls) {
  EXPECT_NE(vtu_fnv_hash("a\0", 2), vtu_fnv_hash("a", 1));
  EXPECT_NE(vtu_fnv1a_hash("a\0", 2), vtu_fnv1a_hash("a", 1));
  const utString bytes("M\xE4\0\xDF", 4);
  EXPECT_EQ(vtu_fnv_hash(bytes), vtu_fnv_hash("M\xE4\0\xDF", 4));
  EXPECT_EQ(vtu_fnv1a_hash(bytes), vtu_fnv1a_hash("M\xE4\0\xDF", 4));
}

// Input hashed piece by piece, as a file read in blocks is, gives the hash of the whole wherever
// it is cut.
TEST(FnvHash, PiecesHashedInTurnGiveTheHashOfTheWhole) {
  const char text[] = "M\xE4\0\xDF foobar";
  const int length = sizeof text - 1;
  for (int cut = 0; cut <= length; ++cut) {
    SCOPED_TRACE(cut);
    EXPECT_EQ(vtu_fnv_hash_append(vtu_fnv_hash(text, cut), text + cut, length - cut),
              vtu_fnv_hash(text, length));
    EXPECT_EQ(vtu_fnv1a_hash_append(vtu_fnv1a_hash(text, cut), text + cut, length - cut),
              vtu_fnv1a_hash(text, length));
  }
}

}  // namespace
