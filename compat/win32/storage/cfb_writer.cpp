// Writing a compound file: a whole new file in one pass from a tree of nodes.
//
// Every size is known before the first byte is written, so the layout is planned first: the
// header, the FAT, the DIFAT, the directory, the mini FAT, the mini stream, and then the streams of
// 4096 bytes and more, each chain in consecutive sectors in that order. The FAT is complete before
// it is written, and the file is written from front to back, pulling stream content in pieces.
#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <vector>

#include "win32/storage/cfb_format.h"
#include "win32/storage/compound_file.h"

namespace vtplatform::cfb {
namespace {

constexpr std::size_t kPieceSize = std::size_t{1} << 20;
constexpr std::uint8_t kZeros[1u << kVersion4SectorShift] = {};

// One directory entry to write.
struct Entry {
  const Node* node;
  std::uint32_t left = kNoStream;
  std::uint32_t right = kNoStream;
  std::uint32_t child = kNoStream;
  std::uint8_t color = kBlack;
  std::uint32_t start = kEndOfChain;  // streams: the first sector or mini sector
};

bool is_storage(ObjectType type) {
  return type == ObjectType::kStorage || type == ObjectType::kRoot;
}

bool in_mini_stream(const Node& node) {
  return node.type == ObjectType::kStream && node.size != 0 && node.size < kMiniStreamCutoff;
}

// Links the sorted entries [first, first + count) into a balanced binary tree and returns its
// root. Every level is full but perhaps the deepest, `red_depth`, whose nodes are red and all
// others black: every path from the root to an empty link then passes the same number of black
// nodes, and no red node has a red child.
std::uint32_t link_tree(std::vector<Entry>& entries, std::uint32_t first, std::uint32_t count,
                        unsigned depth, unsigned red_depth) {
  if (count == 0) return kNoStream;
  const std::uint32_t half = count / 2;
  const std::uint32_t middle = first + half;
  entries[middle].color = depth == red_depth ? kRed : kBlack;
  entries[middle].left = link_tree(entries, first, half, depth + 1, red_depth);
  entries[middle].right = link_tree(entries, middle + 1, count - half - 1, depth + 1, red_depth);
  return middle;
}

// The directory in entry order: the root, then level by level the children of every storage in
// name order, each storage's children linked into their tree.
HRESULT flatten(const Node& root, std::vector<Entry>& entries) {
  entries.push_back(Entry{&root});
  std::vector<const Node*> sorted;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const Node& node = *entries[i].node;
    if (node.type == ObjectType::kStream) {
      if (node.size != 0 && !node.content) return STG_E_INVALIDPARAMETER;
      continue;
    }
    sorted.clear();
    for (const Node& child : node.children) {
      if (child.name.empty() || child.name.size() > kMaxNameLength ||
          (child.type != ObjectType::kStorage && child.type != ObjectType::kStream)) {
        return STG_E_INVALIDPARAMETER;
      }
      sorted.push_back(&child);
    }
    const auto before = [](const Node* a, const Node* b) {
      return compare_names(a->name, b->name) < 0;
    };
    std::sort(sorted.begin(), sorted.end(), before);
    const auto same = [](const Node* a, const Node* b) {
      return compare_names(a->name, b->name) == 0;
    };
    if (std::adjacent_find(sorted.begin(), sorted.end(), same) != sorted.end()) {
      return STG_E_INVALIDPARAMETER;
    }
    if (entries.size() + sorted.size() >= kMaxRegularSector) return STG_E_DOCFILETOOLARGE;
    const auto first = static_cast<std::uint32_t>(entries.size());
    const auto count = static_cast<std::uint32_t>(sorted.size());
    for (const Node* child : sorted) entries.push_back(Entry{child});
    const auto red_depth = static_cast<unsigned>(std::bit_width(std::uint64_t{count} + 1) - 1);
    entries[i].child = link_tree(entries, first, count, 0, red_depth);
  }
  return S_OK;
}

// The sizes of the file's parts, in sectors.
struct Layout {
  unsigned shift = kVersion3SectorShift;
  std::uint32_t per_sector = 0;  // FAT entries in one sector
  std::uint64_t fat = 0;
  std::uint64_t difat = 0;
  std::uint64_t directory = 0;
  std::uint64_t mini_fat = 0;
  std::uint64_t mini_stream = 0;
  std::uint64_t mini_sectors = 0;  // in the mini stream
  std::uint64_t total = 0;         // every sector of the file, the range-lock sector included
};

HRESULT plan(const std::vector<Entry>& entries, int version, Layout& layout) {
  layout.shift = version == 3 ? kVersion3SectorShift : kVersion4SectorShift;
  layout.per_sector = (1u << layout.shift) / 4;
  // A version 3 file ends before the range-lock sector, so it stays below 2 GiB; a version 4
  // file numbers its sectors up to MAXREGSECT.
  const std::uint64_t limit = version == 3 ? range_lock_sector(layout.shift) : kMaxRegularSector;
  std::uint64_t data = 0;
  for (const Entry& entry : entries) {
    const Node& node = *entry.node;
    if (node.type != ObjectType::kStream) continue;
    if (node.size > (limit << layout.shift)) return STG_E_DOCFILETOOLARGE;
    if (in_mini_stream(node)) {
      layout.mini_sectors += units_for(node.size, kMiniSectorShift);
    } else {
      data += units_for(node.size, layout.shift);
      if (data > limit) return STG_E_DOCFILETOOLARGE;
    }
  }
  layout.directory = units_for(entries.size() * kEntrySize, layout.shift);
  layout.mini_fat = units_for(layout.mini_sectors * 4, layout.shift);
  layout.mini_stream = units_for(layout.mini_sectors << kMiniSectorShift, layout.shift);
  data += layout.directory + layout.mini_fat + layout.mini_stream;

  // The FAT covers every sector, its own and the DIFAT's included: grow both until they fit.
  const std::uint32_t range_lock = range_lock_sector(layout.shift);
  for (;;) {
    std::uint64_t total = layout.fat + layout.difat + data;
    if (total > range_lock) ++total;  // the range-lock sector holds no data
    if (total > limit) return STG_E_DOCFILETOOLARGE;
    const std::uint64_t fat = units_for(total, layout.shift - 2);
    const std::uint64_t difat =
        fat > kHeaderDifatEntries
            ? (fat - kHeaderDifatEntries + layout.per_sector - 2) / (layout.per_sector - 1)
            : 0;
    if (fat == layout.fat && difat == layout.difat) {
      layout.total = total;
      return S_OK;
    }
    layout.fat = fat;
    layout.difat = difat;
  }
}

// Hands out sectors in file order, chained in the FAT, passing over the range-lock sector.
class Allocator {
 public:
  Allocator(std::vector<std::uint32_t>& fat, std::uint32_t range_lock)
      : fat_(fat), range_lock_(range_lock) {}

  std::uint32_t take(std::uint32_t mark) {
    if (next_ == range_lock_) fat_[next_++] = kEndOfChain;
    fat_[next_] = mark;
    return next_++;
  }

  // A chain of `count` sectors; its first, or ENDOFCHAIN for none.
  std::uint32_t chain(std::uint64_t count) {
    if (count == 0) return kEndOfChain;
    const std::uint32_t first = take(kEndOfChain);
    std::uint32_t last = first;
    for (std::uint64_t i = 1; i < count; ++i) {
      const std::uint32_t sector = take(kEndOfChain);
      fat_[last] = sector;
      last = sector;
    }
    return first;
  }

 private:
  std::vector<std::uint32_t>& fat_;
  std::uint32_t range_lock_;
  std::uint32_t next_ = 0;
};

// The file's bytes from front to back, buffered into large writes. The range-lock sector is
// written as zeros when the file grows past it.
class Output {
 public:
  Output(ILockBytes* bytes, unsigned shift)
      : bytes_(bytes),
        sector_size_(1u << shift),
        range_lock_offset_(sector_offset(range_lock_sector(shift), shift)) {
    buffer_.reserve(kPieceSize);
  }

  HRESULT append(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
      if (position() == range_lock_offset_) {
        const HRESULT result = put(kZeros, sector_size_);
        if (FAILED(result)) return result;
      }
      std::size_t piece = size;
      if (position() < range_lock_offset_) {
        piece = static_cast<std::size_t>(
            std::min<std::uint64_t>(piece, range_lock_offset_ - position()));
      }
      const HRESULT result = put(bytes, piece);
      if (FAILED(result)) return result;
      bytes += piece;
      size -= piece;
    }
    return S_OK;
  }

  // Zeros up to the next multiple of `unit` bytes.
  HRESULT pad_to(std::uint32_t unit) {
    const std::uint32_t used = static_cast<std::uint32_t>(position() % unit);
    return used == 0 ? S_OK : append(kZeros, unit - used);
  }
  HRESULT end_sector() { return pad_to(sector_size_); }
  // A sector of 32-bit values.
  HRESULT append_table(const std::uint32_t* values) {
    std::uint8_t sector[sizeof kZeros];
    for (std::uint32_t i = 0; i < sector_size_ / 4; ++i) store32(sector + 4 * i, values[i]);
    return append(sector, sector_size_);
  }

  HRESULT flush() {
    if (buffer_.empty()) return S_OK;
    ULONG written = 0;
    const HRESULT result = bytes_->WriteAt(large(flushed_), buffer_.data(),
                                           static_cast<ULONG>(buffer_.size()), &written);
    if (FAILED(result)) return result;
    if (written != buffer_.size()) return STG_E_WRITEFAULT;
    flushed_ += buffer_.size();
    buffer_.clear();
    return S_OK;
  }

 private:
  std::uint64_t position() const { return flushed_ + buffer_.size(); }

  HRESULT put(const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
      const std::size_t piece = std::min(size, kPieceSize - buffer_.size());
      buffer_.insert(buffer_.end(), data, data + piece);
      data += piece;
      size -= piece;
      if (buffer_.size() == kPieceSize) {
        const HRESULT result = flush();
        if (FAILED(result)) return result;
      }
    }
    return S_OK;
  }

  ILockBytes* bytes_;
  std::uint32_t sector_size_;
  std::uint64_t range_lock_offset_;
  std::vector<std::uint8_t> buffer_;
  std::uint64_t flushed_ = 0;
};

// Writes a file planned by plan(): allocates the sectors, then writes every part in order.
class Writer {
 public:
  Writer(std::vector<Entry>& entries, const Layout& layout, int version, ILockBytes* bytes)
      : entries_(entries),
        layout_(layout),
        version_(version),
        bytes_(bytes),
        out_(bytes, layout.shift) {}

  HRESULT write() {
    allocate();
    // The header stands in for sector -1, so the file ends where sector `total` would begin.
    const std::uint64_t file_size =
        sector_offset(static_cast<std::uint32_t>(layout_.total), layout_.shift);
    HRESULT result = write_header();
    if (SUCCEEDED(result)) result = write_tables();
    if (SUCCEEDED(result)) result = write_directory();
    if (SUCCEEDED(result)) result = write_mini_stream();
    if (SUCCEEDED(result)) result = write_streams();
    if (SUCCEEDED(result)) result = out_.flush();
    if (SUCCEEDED(result)) result = bytes_->SetSize(large(file_size));
    if (SUCCEEDED(result)) result = bytes_->Flush();
    return result;
  }

 private:
  void allocate() {
    fat_.assign(layout_.fat * layout_.per_sector, kFreeSector);
    Allocator sectors(fat_, range_lock_sector(layout_.shift));
    for (std::uint64_t i = 0; i < layout_.fat; ++i) {
      fat_sectors_.push_back(sectors.take(kFatSector));
    }
    for (std::uint64_t i = 0; i < layout_.difat; ++i) {
      difat_sectors_.push_back(sectors.take(kDifatSector));
    }
    directory_start_ = sectors.chain(layout_.directory);
    mini_fat_start_ = sectors.chain(layout_.mini_fat);
    entries_[0].start = sectors.chain(layout_.mini_stream);

    mini_fat_.assign(layout_.mini_fat * layout_.per_sector, kFreeSector);
    std::uint32_t next_mini = 0;
    for (Entry& entry : entries_) {
      const Node& node = *entry.node;
      if (node.type != ObjectType::kStream || node.size == 0) continue;
      if (!in_mini_stream(node)) {
        entry.start = sectors.chain(units_for(node.size, layout_.shift));
        continue;
      }
      entry.start = next_mini;
      const auto count = static_cast<std::uint32_t>(units_for(node.size, kMiniSectorShift));
      for (std::uint32_t i = 1; i < count; ++i, ++next_mini) mini_fat_[next_mini] = next_mini + 1;
      mini_fat_[next_mini++] = kEndOfChain;
    }
  }

  HRESULT write_header() {
    std::uint8_t header[kHeaderSize] = {};
    std::memcpy(header, kSignature, sizeof kSignature);
    store16(header + kHeaderMinorVersion, kMinorVersion);
    store16(header + kHeaderMajorVersion, static_cast<std::uint16_t>(version_));
    store16(header + kHeaderByteOrder, kByteOrderMark);
    store16(header + kHeaderSectorShift, static_cast<std::uint16_t>(layout_.shift));
    store16(header + kHeaderMiniSectorShift, kMiniSectorShift);
    // Version 3 files leave the count of directory sectors zero.
    store32(header + kHeaderDirectorySectors,
            version_ == 3 ? 0 : static_cast<std::uint32_t>(layout_.directory));
    store32(header + kHeaderFatSectors, static_cast<std::uint32_t>(layout_.fat));
    store32(header + kHeaderFirstDirectorySector, directory_start_);
    store32(header + kHeaderMiniStreamCutoff, kMiniStreamCutoff);
    store32(header + kHeaderFirstMiniFatSector, mini_fat_start_);
    store32(header + kHeaderMiniFatSectors, static_cast<std::uint32_t>(layout_.mini_fat));
    store32(header + kHeaderFirstDifatSector,
            difat_sectors_.empty() ? kEndOfChain : difat_sectors_.front());
    store32(header + kHeaderDifatSectors, static_cast<std::uint32_t>(layout_.difat));
    for (std::uint32_t i = 0; i < kHeaderDifatEntries; ++i) {
      store32(header + kHeaderDifat + 4 * i,
              i < fat_sectors_.size() ? fat_sectors_[i] : kFreeSector);
    }
    const HRESULT result = out_.append(header, sizeof header);
    return SUCCEEDED(result) ? out_.end_sector() : result;
  }

  // The FAT, then the DIFAT sectors, which list the FAT sectors that the header has no room for
  // and end with the next DIFAT sector.
  HRESULT write_tables() {
    for (std::size_t i = 0; i < fat_.size(); i += layout_.per_sector) {
      const HRESULT result = out_.append_table(fat_.data() + i);
      if (FAILED(result)) return result;
    }
    std::vector<std::uint32_t> difat(layout_.per_sector);
    std::size_t listed = kHeaderDifatEntries;
    for (std::size_t i = 0; i < difat_sectors_.size(); ++i) {
      for (std::uint32_t j = 0; j + 1 < layout_.per_sector; ++j, ++listed) {
        difat[j] = listed < fat_sectors_.size() ? fat_sectors_[listed] : kFreeSector;
      }
      difat.back() = i + 1 < difat_sectors_.size() ? difat_sectors_[i + 1] : kEndOfChain;
      const HRESULT result = out_.append_table(difat.data());
      if (FAILED(result)) return result;
    }
    return S_OK;
  }

  void encode(const Entry& entry, bool root, std::uint8_t* data) const {
    const Node& node = *entry.node;
    std::memset(data, 0, kEntrySize);
    const std::u16string_view name = root ? std::u16string_view(u"Root Entry") : node.name;
    for (std::size_t i = 0; i < name.size(); ++i) store16(data + kEntryName + 2 * i, name[i]);
    store16(data + kEntryNameLength, static_cast<std::uint16_t>((name.size() + 1) * 2));
    data[kEntryType] = static_cast<std::uint8_t>(node.type);
    data[kEntryColor] = entry.color;
    store32(data + kEntryLeft, entry.left);
    store32(data + kEntryRight, entry.right);
    store32(data + kEntryChild, entry.child);
    store32(data + kEntryStateBits, node.state_bits);
    if (is_storage(node.type)) {
      store_guid(data + kEntryClsid, node.clsid);
      if (!root) store_filetime(data + kEntryCreationTime, node.creation_time);
      store_filetime(data + kEntryModifiedTime, node.modified_time);
    }
    if (root) {
      store32(data + kEntryStartSector, entry.start);
      store64(data + kEntryStreamSize, layout_.mini_sectors << kMiniSectorShift);
    } else if (node.type == ObjectType::kStream) {
      store32(data + kEntryStartSector, entry.start);
      store64(data + kEntryStreamSize, node.size);
    }
  }

  // The entries, then unused ones to the end of the last sector: all zeros but for empty links.
  HRESULT write_directory() {
    std::uint8_t data[kEntrySize];
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      encode(entries_[i], i == 0, data);
      const HRESULT result = out_.append(data, sizeof data);
      if (FAILED(result)) return result;
    }
    std::memset(data, 0, sizeof data);
    for (const std::size_t link : {kEntryLeft, kEntryRight, kEntryChild}) {
      store32(data + link, kNoStream);
    }
    const std::uint64_t slots = (layout_.directory << layout_.shift) / kEntrySize;
    for (std::uint64_t i = entries_.size(); i < slots; ++i) {
      const HRESULT result = out_.append(data, sizeof data);
      if (FAILED(result)) return result;
    }
    return S_OK;
  }

  // The mini FAT, then the small streams one after another, each from a mini sector boundary.
  HRESULT write_mini_stream() {
    for (std::size_t i = 0; i < mini_fat_.size(); i += layout_.per_sector) {
      const HRESULT result = out_.append_table(mini_fat_.data() + i);
      if (FAILED(result)) return result;
    }
    std::uint8_t content[kMiniStreamCutoff];
    for (const Entry& entry : entries_) {
      const Node& node = *entry.node;
      if (!in_mini_stream(node)) continue;
      const auto size = static_cast<std::size_t>(node.size);
      HRESULT result = node.content(0, content, size);
      if (SUCCEEDED(result)) result = out_.append(content, size);
      if (SUCCEEDED(result)) result = out_.pad_to(kMiniSectorSize);
      if (FAILED(result)) return result;
    }
    return out_.end_sector();
  }

  HRESULT write_streams() {
    std::vector<std::uint8_t> piece;
    for (const Entry& entry : entries_) {
      const Node& node = *entry.node;
      if (node.type != ObjectType::kStream || node.size == 0 || in_mini_stream(node)) continue;
      piece.resize(static_cast<std::size_t>(std::min<std::uint64_t>(node.size, kPieceSize)));
      for (std::uint64_t offset = 0; offset < node.size; offset += piece.size()) {
        const auto count =
            static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), node.size - offset));
        HRESULT result = node.content(offset, piece.data(), count);
        if (SUCCEEDED(result)) result = out_.append(piece.data(), count);
        if (FAILED(result)) return result;
      }
      const HRESULT result = out_.end_sector();
      if (FAILED(result)) return result;
    }
    return S_OK;
  }

  std::vector<Entry>& entries_;
  const Layout& layout_;
  int version_;
  ILockBytes* bytes_;
  Output out_;
  std::vector<std::uint32_t> fat_;
  std::vector<std::uint32_t> fat_sectors_;
  std::vector<std::uint32_t> difat_sectors_;
  std::uint32_t directory_start_ = kEndOfChain;
  std::uint32_t mini_fat_start_ = kEndOfChain;
  std::vector<std::uint32_t> mini_fat_;
};

}  // namespace

HRESULT write(const Node& root, int version, ILockBytes* bytes) {
  if (bytes == nullptr) return STG_E_INVALIDPOINTER;
  if ((version != 3 && version != 4) || root.type != ObjectType::kRoot) {
    return STG_E_INVALIDPARAMETER;
  }
  try {
    std::vector<Entry> entries;
    HRESULT result = flatten(root, entries);
    Layout layout;
    if (SUCCEEDED(result)) result = plan(entries, version, layout);
    if (SUCCEEDED(result)) result = Writer(entries, layout, version, bytes).write();
    return result;
  } catch (const std::bad_alloc&) {
    return STG_E_INSUFFICIENTMEMORY;
  }
}

}  // namespace vtplatform::cfb
