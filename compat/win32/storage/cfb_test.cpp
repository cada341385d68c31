// The compound file engine: files written and read back, the directory's name order and tree
// shape, damaged files refused, and the bytes in memory and in files under them.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "testing/temp_dir.h"
#include "vtplatform/win32/storage.h"
#include "win32/storage/cfb_format.h"
#include "win32/storage/compound_file.h"

namespace {

using vtplatform::ComPtr;
using namespace vtplatform::cfb;
using Bytes = std::vector<std::uint8_t>;

// Stream content that tells every byte's offset apart from other offsets near it and from the
// same offset in another sector.
std::uint8_t pattern(std::uint64_t offset, int seed) {
  return static_cast<std::uint8_t>(offset * 131 + static_cast<unsigned>(seed) + (offset >> 9));
}

Node stream(std::u16string name, std::uint64_t size, int seed = 0) {
  Node node;
  node.name = std::move(name);
  node.size = size;
  node.content = [seed](std::uint64_t offset, void* buffer, std::size_t count) {
    auto* out = static_cast<std::uint8_t*>(buffer);
    for (std::size_t i = 0; i < count; ++i) out[i] = pattern(offset + i, seed);
    return S_OK;
  };
  return node;
}

Node storage(std::u16string name, std::vector<Node> children,
             ObjectType type = ObjectType::kStorage) {
  Node node;
  node.name = std::move(name);
  node.type = type;
  node.children = std::move(children);
  return node;
}

ComPtr<ILockBytes> memory_bytes(const Bytes& content = {}) {
  ComPtr<ILockBytes> bytes;
  EXPECT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.put()), S_OK);
  ULARGE_INTEGER zero{};
  ULONG written = 0;
  EXPECT_EQ(bytes->WriteAt(zero, content.data(), static_cast<ULONG>(content.size()), &written),
            S_OK);
  return bytes;
}

Bytes content_of(ILockBytes* bytes) {
  STATSTG stat{};
  EXPECT_EQ(bytes->Stat(&stat, STATFLAG_NONAME), S_OK);
  Bytes content(stat.cbSize.QuadPart);
  ULARGE_INTEGER zero{};
  ULONG read = 0;
  EXPECT_EQ(bytes->ReadAt(zero, content.data(), static_cast<ULONG>(content.size()), &read), S_OK);
  return content;
}

Bytes write_file(const Node& root, int version) {
  const ComPtr<ILockBytes> bytes = memory_bytes();
  EXPECT_EQ(write(root, version, bytes.get()), S_OK);
  return content_of(bytes.get());
}

HRESULT open_file(const Bytes& content, std::unique_ptr<Reader>& reader) {
  return Reader::open(memory_bytes(content).get(), reader);
}

// The element called `name` directly inside element `parent`, or -1.
int find_child(const Reader& reader, std::uint32_t parent, std::u16string_view name) {
  for (const std::uint32_t index : reader.elements()[parent].children) {
    if (reader.elements()[index].name == name) return static_cast<int>(index);
  }
  return -1;
}

// Whether the stream `index` reads back as pattern(seed), read in pieces that cross sectors.
bool reads_pattern(const Reader& reader, std::uint32_t index, int seed) {
  const std::uint64_t size = reader.elements()[index].size;
  Bytes piece(7777);
  std::uint64_t offset = 0;
  for (std::size_t read = 0; offset < size; offset += read) {
    if (reader.read(index, offset, piece.data(), piece.size(), read) != S_OK || read == 0) {
      return false;
    }
    for (std::size_t i = 0; i < read; ++i) {
      if (piece[i] != pattern(offset + i, seed)) return false;
    }
  }
  std::size_t read = 1;
  return reader.read(index, size, piece.data(), piece.size(), read) == S_OK && read == 0;
}

// The raw structures of a small file this writer made: its FAT, as far as the header lists it,
// and the entries of its directory, for checks and for damage done on purpose.
struct RawFile {
  explicit RawFile(Bytes content) : data(std::move(content)) {
    shift = load16(&data[kHeaderSectorShift]);
    const std::uint32_t fat_count = std::min(load32(&data[kHeaderFatSectors]), kHeaderDifatEntries);
    for (std::uint32_t i = 0; i < fat_count; ++i) {
      fat_sectors.push_back(load32(&data[kHeaderDifat + 4 * i]));
      for (std::uint32_t j = 0; j < per_sector(); ++j) {
        fat.push_back(load32(at(fat_sectors.back()) + 4 * j));
      }
    }
    for (std::uint32_t s = load32(&data[kHeaderFirstDirectorySector]); s != kEndOfChain;
         s = fat[s]) {
      for (std::uint32_t j = 0; j < (1u << shift); j += kEntrySize) entries.push_back(at(s) + j);
    }
  }
  RawFile(const RawFile&) = delete;  // the entries point into `data`
  std::uint32_t per_sector() const { return (1u << shift) / 4; }
  std::uint8_t* at(std::uint32_t sector) { return &data[sector_offset(sector, shift)]; }
  void set_fat(std::uint32_t sector, std::uint32_t next) {
    store32(at(fat_sectors[sector / per_sector()]) + 4 * (sector % per_sector()), next);
  }
  std::u16string name(std::uint32_t id) const {
    std::u16string name;
    for (std::size_t i = 0; i + 1 < load16(entries[id] + kEntryNameLength) / 2u; ++i) {
      name.push_back(load16(entries[id] + kEntryName + 2 * i));
    }
    return name;
  }
  std::uint32_t id(std::u16string_view wanted) const {
    for (std::uint32_t id = 0; id < entries.size(); ++id) {
      if (name(id) == wanted) return id;
    }
    ADD_FAILURE() << "no such entry";
    return 0;
  }
  std::uint8_t* entry(std::u16string_view wanted) { return entries[id(wanted)]; }
  std::uint32_t link(std::uint32_t id, std::size_t field) const {
    return load32(entries[id] + field);
  }

  Bytes data;
  unsigned shift;
  std::vector<std::uint32_t> fat_sectors;
  std::vector<std::uint32_t> fat;
  std::vector<std::uint8_t*> entries;
};

class CompoundFileTest : public ::testing::TestWithParam<int> {};
INSTANTIATE_TEST_SUITE_P(Versions, CompoundFileTest, ::testing::Values(3, 4));

TEST_P(CompoundFileTest, StreamsAroundTheMiniStreamCutoffRoundTrip) {
  const std::uint64_t sizes[] = {0, 1, 63, 64, 4095, 4096, 4097, 3 << 20};
  Node root = storage(u"", {}, ObjectType::kRoot);
  for (int i = 0; i < 8; ++i) {
    root.children.push_back(stream(u"s" + std::u16string(1, u'0' + i), sizes[i], i));
  }
  const Bytes file = write_file(root, GetParam());
  EXPECT_EQ(file.size() % (GetParam() == 3 ? 512 : 4096), 0u);

  std::unique_ptr<Reader> reader;
  ASSERT_EQ(open_file(file, reader), S_OK);
  EXPECT_EQ(reader->version(), GetParam());
  ASSERT_EQ(reader->elements()[0].children.size(), 8u);
  for (int i = 0; i < 8; ++i) {
    const int index = find_child(*reader, 0, u"s" + std::u16string(1, u'0' + i));
    ASSERT_GE(index, 0);
    EXPECT_EQ(reader->elements()[index].size, sizes[i]);
    EXPECT_TRUE(reads_pattern(*reader, index, i)) << sizes[i];
  }
  RawFile raw(file);
  EXPECT_EQ(load32(raw.entry(u"s0") + kEntryStartSector), kEndOfChain);
  // 1 + 1 + 1 + 64 mini sectors of the streams below the cutoff, 4096 bytes and more outside.
  EXPECT_EQ(load64(raw.entries[0] + kEntryStreamSize), 67u * 64);
}

TEST_P(CompoundFileTest, EmptyRootIsTheSmallestFile) {
  const Bytes file = write_file(storage(u"ignored", {}, ObjectType::kRoot), GetParam());
  const std::size_t sector = GetParam() == 3 ? 512 : 4096;
  ASSERT_EQ(file.size(), 3 * sector);  // header, FAT, directory
  EXPECT_EQ(load32(&file[kHeaderDirectorySectors]), GetParam() == 3 ? 0u : 1u);
  EXPECT_EQ(load32(&file[kHeaderFirstMiniFatSector]), kEndOfChain);
  EXPECT_EQ(load32(&file[kHeaderFirstDifatSector]), kEndOfChain);
  RawFile raw(file);
  EXPECT_EQ(raw.fat[0], kFatSector);
  EXPECT_EQ(raw.fat[1], kEndOfChain);
  EXPECT_EQ(raw.fat[2], kFreeSector);
  EXPECT_EQ(load32(raw.entries[0] + kEntryStartSector), kEndOfChain);
  EXPECT_EQ(load32(raw.entries[0] + kEntryChild), kNoStream);
  // Unused entries are zeros but for their links.
  Bytes unused(kEntrySize);
  for (const std::size_t link : {kEntryLeft, kEntryRight, kEntryChild}) {
    store32(&unused[link], kNoStream);
  }
  for (std::size_t i = 1; i < raw.entries.size(); ++i) {
    EXPECT_EQ(std::memcmp(raw.entries[i], unused.data(), kEntrySize), 0);
  }

  std::unique_ptr<Reader> reader;
  ASSERT_EQ(open_file(file, reader), S_OK);
  ASSERT_EQ(reader->elements().size(), 1u);
  EXPECT_EQ(reader->elements()[0].name, u"Root Entry");
  EXPECT_EQ(reader->elements()[0].type, ObjectType::kRoot);
}

TEST_P(CompoundFileTest, NestedStoragesKeepNamesClassesStateAndTimes) {
  const CLSID root_class = {0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};
  const CLSID inner_class = {0xCAFEF00D, 1, 2, {8, 7, 6, 5, 4, 3, 2, 1}};
  Node inner = storage(u"Ïnner 日本", {stream(u"\U0001F600", 5000, 7), stream(u"Tiny", 10, 8)});
  inner.clsid = inner_class;
  inner.state_bits = 0x80000001;
  inner.creation_time = {111, 222};
  inner.modified_time = {333, 444};
  Node root = storage(u"", {storage(u"Outer", {std::move(inner)}), stream(u"MiXeD", 100, 9)},
                      ObjectType::kRoot);
  root.clsid = root_class;
  root.state_bits = 42;
  root.creation_time = {5, 6};  // the format keeps the root's creation time on the file itself
  root.modified_time = {7, 8};

  std::unique_ptr<Reader> reader;
  ASSERT_EQ(open_file(write_file(root, GetParam()), reader), S_OK);
  const Element& read_root = reader->elements()[0];
  EXPECT_EQ(read_root.clsid, root_class);
  EXPECT_EQ(read_root.state_bits, 42u);
  EXPECT_EQ(read_root.creation_time.dwLowDateTime, 0u);
  EXPECT_EQ(read_root.modified_time.dwHighDateTime, 8u);
  EXPECT_TRUE(reads_pattern(*reader, find_child(*reader, 0, u"MiXeD"), 9));

  const int outer = find_child(*reader, 0, u"Outer");
  ASSERT_GE(outer, 0);
  const int index = find_child(*reader, outer, u"Ïnner 日本");
  ASSERT_GE(index, 0);
  const Element& element = reader->elements()[index];
  EXPECT_EQ(element.type, ObjectType::kStorage);
  EXPECT_EQ(element.clsid, inner_class);
  EXPECT_EQ(element.state_bits, 0x80000001u);
  EXPECT_EQ(element.creation_time.dwHighDateTime, 222u);
  EXPECT_EQ(element.modified_time.dwLowDateTime, 333u);
  EXPECT_TRUE(reads_pattern(*reader, find_child(*reader, index, u"\U0001F600"), 7));
  EXPECT_TRUE(reads_pattern(*reader, find_child(*reader, index, u"Tiny"), 8));
}

TEST(CompoundFileNamesTest, ShorterFirstThenUpperCasedUnits) {
  EXPECT_LT(compare_names(u"a", u"B"), 0);
  EXPECT_LT(compare_names(u"B", u"ab"), 0);
  EXPECT_GT(compare_names(u"ab", u"B"), 0);
  EXPECT_EQ(compare_names(u"abc", u"ABC"), 0);
  // '_' sorts after the letters once they are upper-cased, though it comes before 'a'.
  EXPECT_GT(compare_names(u"_", u"a"), 0);
  EXPECT_EQ(compare_names(u"é", u"É"), 0);
  EXPECT_EQ(compare_names(u"σ", u"ς"), 0);  // both upper-case to Σ
  EXPECT_LT(compare_names(u"Z", u"é"), 0);
  // Surrogate halves are compared as they are.
  EXPECT_LT(compare_names(u"\U0001F600", u"\U0001F601"), 0);
}

// What check_tree finds in a sibling tree.
struct TreeShape {
  bool valid = true;  // sorted, no red node with a red child, equal black heights
  int black_height = 0;
  int height = 0;
};

TreeShape check_tree(const RawFile& raw, std::uint32_t top, std::u16string& previous) {
  if (top == kNoStream) return {};
  const bool red = raw.entries[top][kEntryColor] == kRed;
  const TreeShape left = check_tree(raw, raw.link(top, kEntryLeft), previous);
  const std::u16string name = raw.name(top);
  const bool sorted = previous.empty() || compare_names(previous, name) < 0;
  previous = name;
  const TreeShape right = check_tree(raw, raw.link(top, kEntryRight), previous);
  bool red_child = false;
  for (const std::uint32_t child : {raw.link(top, kEntryLeft), raw.link(top, kEntryRight)}) {
    red_child = red_child || (child != kNoStream && raw.entries[child][kEntryColor] == kRed);
  }
  return {left.valid && right.valid && sorted && !(red && red_child) &&
              left.black_height == right.black_height,
          left.black_height + (red ? 0 : 1), 1 + std::max(left.height, right.height)};
}

TEST_P(CompoundFileTest, SiblingTreesAreSortedBalancedRedBlackTrees) {
  for (const int count : {1, 2, 3, 4, 6, 7, 8, 100, 2000}) {
    Node root = storage(u"", {}, ObjectType::kRoot);
    for (int i = 0; i < count; ++i) {
      // Names of mixed lengths and cases, in no particular order.
      const int n = (i * 7919) % count;
      const std::string digits = std::to_string(n);
      std::u16string name = n % 2 ? u"s" : u"Stream";
      name.append(digits.begin(), digits.end());
      root.children.push_back(stream(name, n % 3 == 0 ? 70 : 0, n));
    }
    const Bytes file = write_file(root, GetParam());
    const RawFile raw(file);
    const std::uint32_t top = raw.link(0, kEntryChild);
    EXPECT_EQ(raw.entries[top][kEntryColor], kBlack);
    std::u16string previous;
    const TreeShape shape = check_tree(raw, top, previous);
    EXPECT_TRUE(shape.valid) << count;
    EXPECT_EQ(shape.height, std::bit_width(static_cast<unsigned>(count))) << count;

    std::unique_ptr<Reader> reader;
    ASSERT_EQ(open_file(file, reader), S_OK);
    ASSERT_EQ(reader->elements()[0].children.size(), static_cast<std::size_t>(count));
    const int probe = find_child(*reader, 0, root.children[count / 2].name);
    ASSERT_GE(probe, 0);
    EXPECT_TRUE(reads_pattern(*reader, probe, (count / 2 * 7919) % count));
  }
}

TEST(CompoundFileWriteTest, ManyFatSectorsAreListedByDifatSectors) {
  // 16384 sectors of data, 1 of directory, 130 of FAT and 1 of DIFAT: the FAT covers itself.
  const Bytes file = write_file(storage(u"", {stream(u"big", 8 << 20, 3)}, ObjectType::kRoot), 3);
  EXPECT_EQ(load32(&file[kHeaderFatSectors]), 130u);
  EXPECT_EQ(load32(&file[kHeaderDifatSectors]), 1u);
  RawFile raw(file);
  EXPECT_EQ(raw.fat[load32(&file[kHeaderFirstDifatSector])], kDifatSector);
  std::unique_ptr<Reader> reader;
  ASSERT_EQ(open_file(file, reader), S_OK);
  EXPECT_TRUE(reads_pattern(*reader, 1, 3));
}

TEST(CompoundFileWriteTest, RefusesWhatTheFormatCannotHold) {
  const ComPtr<ILockBytes> bytes = memory_bytes();
  const auto write_root = [&](std::vector<Node> children, int version = 3) {
    return write(storage(u"", std::move(children), ObjectType::kRoot), version, bytes.get());
  };
  EXPECT_EQ(write_root({stream(std::u16string(32, u'n'), 1)}), STG_E_INVALIDPARAMETER);
  EXPECT_EQ(write_root({stream(u"", 1)}), STG_E_INVALIDPARAMETER);
  EXPECT_EQ(write_root({stream(u"Same", 1), storage(u"sAME", {})}), STG_E_INVALIDPARAMETER);
  EXPECT_EQ(write_root({}, 5), STG_E_INVALIDPARAMETER);
  EXPECT_EQ(write(storage(u"", {}), 3, bytes.get()), STG_E_INVALIDPARAMETER);
  // Sizes are checked before any content is asked for.
  EXPECT_EQ(write_root({stream(u"huge", 3ull << 30)}), STG_E_DOCFILETOOLARGE);
  EXPECT_EQ(write_root({stream(u"a", 1ull << 30), stream(u"b", 1ull << 30)}),
            STG_E_DOCFILETOOLARGE);
  EXPECT_EQ(write_root({stream(std::u16string(31, u'n'), 1)}, 4), S_OK);

  Node failing = stream(u"failing", 10000);
  failing.content = [](std::uint64_t, void*, std::size_t) { return STG_E_READFAULT; };
  EXPECT_EQ(write_root({std::move(failing)}), STG_E_READFAULT);
}

class DamagedFileTest : public ::testing::Test {
 protected:
  // A good file: "big" fills 10 sectors, "small" 2 mini sectors.
  DamagedFileTest()
      : raw(write_file(storage(u"",
                               {stream(u"big", 5000, 1), stream(u"small", 100, 2),
                                storage(u"dir", {stream(u"inner", 10, 3)})},
                               ObjectType::kRoot),
                       3)) {}

  HRESULT open() {
    std::unique_ptr<Reader> reader;
    return open_file(raw.data, reader);
  }
  std::uint8_t* big() { return raw.entry(u"big"); }

  RawFile raw;
};

TEST_F(DamagedFileTest, HeaderErrors) {
  ASSERT_EQ(open(), S_OK);
  const Bytes good = raw.data;
  const auto patched = [&](std::size_t offset, std::uint16_t value) {
    raw.data = good;
    store16(&raw.data[offset], value);
    return open();
  };
  EXPECT_EQ(patched(0, 0x4D5A), STG_E_FILEALREADYEXISTS);
  EXPECT_EQ(patched(kHeaderMajorVersion, 5), STG_E_INVALIDHEADER);
  EXPECT_EQ(patched(kHeaderSectorShift, 12), STG_E_INVALIDHEADER);
  EXPECT_EQ(patched(kHeaderByteOrder, 0xFEFF), STG_E_INVALIDHEADER);
  EXPECT_EQ(patched(kHeaderMiniSectorShift, 7), STG_E_INVALIDHEADER);
  EXPECT_EQ(patched(kHeaderMiniStreamCutoff, 0x2000), STG_E_INVALIDHEADER);
  EXPECT_EQ(patched(kHeaderDirectorySectors, 1), STG_E_INVALIDHEADER);
  raw.data.assign(good.begin(), good.begin() + 300);
  EXPECT_EQ(open(), STG_E_INVALIDHEADER);
  raw.data.clear();
  EXPECT_EQ(open(), STG_E_FILEALREADYEXISTS);
}

TEST_F(DamagedFileTest, ChainErrors) {
  const std::uint32_t start = load32(big() + kEntryStartSector);
  raw.set_fat(start + 4, start + 1);  // a cycle inside the stream's chain
  EXPECT_EQ(open(), STG_E_DOCFILECORRUPT);
  raw.set_fat(start + 4, start + 5);
  ASSERT_EQ(open(), S_OK);

  store32(big() + kEntryStartSector, 0x00FFFFFF);  // past the end of the file
  EXPECT_EQ(open(), STG_E_DOCFILECORRUPT);
  store32(big() + kEntryStartSector, load32(raw.entries[0] + kEntryStartSector));
  EXPECT_EQ(open(), STG_E_DOCFILECORRUPT);  // the mini stream's sectors, linked twice
  store32(big() + kEntryStartSector, start);

  store64(big() + kEntryStreamSize, 9000);  // more than its 10 sectors hold
  EXPECT_EQ(open(), STG_E_DOCFILECORRUPT);
  store64(big() + kEntryStreamSize, 0xABCD000000000000 + 5000);  // version 3 ignores the high half
  std::unique_ptr<Reader> reader;
  ASSERT_EQ(open_file(raw.data, reader), S_OK);
  EXPECT_TRUE(reads_pattern(*reader, find_child(*reader, 0, u"big"), 1));
}

TEST_F(DamagedFileTest, DirectoryErrors) {
  std::uint8_t* small = raw.entry(u"small");
  const std::uint32_t left = load32(small + kEntryLeft);
  store32(small + kEntryLeft, 0);  // back to the root
  EXPECT_EQ(open(), STG_E_DOCFILECORRUPT);
  store32(small + kEntryLeft, raw.link(0, kEntryChild));  // a loop among siblings
  EXPECT_EQ(open(), STG_E_DOCFILECORRUPT);
  store32(small + kEntryLeft, 1000);  // past the directory
  EXPECT_EQ(open(), STG_E_DOCFILECORRUPT);
  store32(small + kEntryLeft, left);
  for (const std::uint16_t length : {0, 7, 66}) {
    store16(small + kEntryNameLength, length);
    EXPECT_EQ(open(), STG_E_DOCFILECORRUPT) << length;
  }
  store16(small + kEntryNameLength, 12);
  ASSERT_EQ(open(), S_OK);
}

TEST_F(DamagedFileTest, UnsortedTreesAndUnusedEntriesStillOpen) {
  // Relink the root's children into a list against the name order, through the entry of "inner"
  // marked unused on the way.
  const std::uint32_t big_id = raw.id(u"big"), dir = raw.id(u"dir"), small = raw.id(u"small");
  const std::uint32_t inner = raw.link(dir, kEntryChild);
  store32(raw.entries[0] + kEntryChild, small);
  store32(raw.entries[small] + kEntryRight, inner);
  raw.entries[inner][kEntryType] = 0;
  store32(raw.entries[inner] + kEntryRight, dir);
  store32(raw.entries[dir] + kEntryLeft, kNoStream);
  store32(raw.entries[dir] + kEntryRight, big_id);
  store32(raw.entries[dir] + kEntryChild, kNoStream);
  std::unique_ptr<Reader> reader;
  ASSERT_EQ(open_file(raw.data, reader), S_OK);
  std::vector<std::u16string> names;
  for (const std::uint32_t index : reader->elements()[0].children) {
    names.push_back(reader->elements()[index].name);
  }
  EXPECT_EQ(names, (std::vector<std::u16string>{u"small", u"dir", u"big"}));
}

TEST_F(DamagedFileTest, TruncatedFiles) {
  const Bytes good = raw.data;
  raw.data.resize(good.size() - 200);  // into the last sector of "big"
  std::unique_ptr<Reader> reader;
  ASSERT_EQ(open_file(raw.data, reader), S_OK);
  Bytes buffer(5000);
  std::size_t read = 0;
  EXPECT_EQ(reader->read(find_child(*reader, 0, u"big"), 0, buffer.data(), 5000, read),
            STG_E_DOCFILECORRUPT);
  EXPECT_EQ(reader->read(0, 0, buffer.data(), 1, read), STG_E_INVALIDPARAMETER);
  raw.data.resize(good.size() / 2);
  EXPECT_EQ(open(), STG_E_DOCFILECORRUPT);
}

TEST(LockBytesTest, MemoryGrowsAsItIsWritten) {
  int block = 0;
  ILockBytes* refused = nullptr;
  EXPECT_EQ(CreateILockBytesOnHGlobal(&block, TRUE, &refused), E_INVALIDARG);
  const ComPtr<ILockBytes> bytes = memory_bytes();
  ULARGE_INTEGER at{};
  at.QuadPart = 10;
  ULONG done = 0;
  ASSERT_EQ(bytes->WriteAt(at, "xyz", 3, &done), S_OK);
  EXPECT_EQ(content_of(bytes.get()), (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'x', 'y', 'z'}));
  char buffer[8] = {};
  at.QuadPart = 11;
  ASSERT_EQ(bytes->ReadAt(at, buffer, 8, &done), S_OK);
  EXPECT_EQ(done, 2u);
  at.QuadPart = 100;
  ASSERT_EQ(bytes->ReadAt(at, buffer, 8, &done), S_OK);
  EXPECT_EQ(done, 0u);
  at.QuadPart = 11;
  ASSERT_EQ(bytes->SetSize(at), S_OK);
  EXPECT_EQ(content_of(bytes.get()).size(), 11u);
  EXPECT_EQ(bytes->LockRegion(at, at, 0), STG_E_INVALIDFUNCTION);
}

TEST(LockBytesTest, FilesHoldCompoundFiles) {
  vtutils::testing::TempDir dir;
  const std::string path = dir.file("doc.cfb");
  ComPtr<ILockBytes> bytes;
  EXPECT_EQ(open_file_bytes(path.c_str(), false, false, {}, bytes), STG_E_FILENOTFOUND);
  EXPECT_EQ(open_file_bytes(dir.file("no/doc.cfb").c_str(), false, true, {}, bytes),
            STG_E_PATHNOTFOUND);
  EXPECT_EQ(open_file_bytes(dir.str().c_str(), false, false, {}, bytes), STG_E_ACCESSDENIED);
  ASSERT_EQ(open_file_bytes(path.c_str(), false, true, {}, bytes), S_OK);
  const Node root = storage(u"", {stream(u"data", 70000, 5)}, ObjectType::kRoot);
  ASSERT_EQ(write(root, 4, bytes.get()), S_OK);
  STATSTG stat{};
  ASSERT_EQ(bytes->Stat(&stat, STATFLAG_DEFAULT), S_OK);
  EXPECT_EQ(std::wstring(stat.pwcsName), std::filesystem::path(path).wstring());
  CoTaskMemFree(stat.pwcsName);
  EXPECT_EQ(stat.cbSize.QuadPart, std::filesystem::file_size(path));

  ASSERT_EQ(open_file_bytes(path.c_str(), false, false, {}, bytes), S_OK);
  ULARGE_INTEGER zero{};
  ULONG written = 0;
  EXPECT_EQ(bytes->WriteAt(zero, "x", 1, &written), STG_E_ACCESSDENIED);
  std::unique_ptr<Reader> reader;
  ASSERT_EQ(Reader::open(bytes.get(), reader), S_OK);
  EXPECT_TRUE(reads_pattern(*reader, 1, 5));
}

}  // namespace
