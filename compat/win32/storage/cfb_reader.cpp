// Reading a compound file: the header, the allocation tables and the directory, checked while
// they are read, and stream content through the sector chain found for every stream at open.
//
// Every chain is followed with one rule that catches cycles, cross-linked chains and sectors past
// the end alike: a sector must lie inside the file and inside its table, and may belong to one
// chain only, once.
#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "win32/storage/cfb_format.h"
#include "win32/storage/compound_file.h"

namespace vtplatform::cfb {
namespace {

// A stream's sectors in order: sectors of the file, or, for a stream below the cutoff, mini
// sectors of the mini stream.
struct Chain {
  std::vector<std::uint32_t> sectors;
  bool mini = false;
};

constexpr std::uint64_t kWholeChain = std::numeric_limits<std::uint64_t>::max();

// Where byte `position` of the stream on `sectors` (units of 1 << `shift` bytes) lies in the space
// the sector numbers count in, and how many bytes from there on lie in consecutive sectors (at
// least up to `wanted` when the sectors allow).
std::uint64_t contiguous_run(const std::vector<std::uint32_t>& sectors, unsigned shift,
                             std::uint64_t position, std::uint64_t wanted, std::uint64_t& where) {
  const std::uint64_t unit = std::uint64_t{1} << shift;
  std::size_t index = static_cast<std::size_t>(position >> shift);
  const std::uint64_t within = position & (unit - 1);
  where = (static_cast<std::uint64_t>(sectors[index]) << shift) + within;
  std::uint64_t run = unit - within;
  while (run < wanted && index + 1 < sectors.size() && sectors[index + 1] == sectors[index] + 1) {
    ++index;
    run += unit;
  }
  return run;
}

// What open finds: the directory and where every stream's bytes lie.
struct Contents {
  int version = 3;
  unsigned shift = kVersion3SectorShift;
  std::vector<Element> elements;
  std::vector<Chain> chains;  // parallel to elements; empty for storages
  Chain mini_stream;          // the root's chain, which holds the mini stream

  // The file offset of byte `position` of the stream on `chain`, and how many bytes from there
  // on can be read in one piece.
  std::uint64_t locate(const Chain& chain, std::uint64_t position, std::uint64_t wanted,
                       std::uint64_t& file_offset) const {
    std::uint64_t where = 0;
    std::uint64_t run = contiguous_run(chain.sectors, chain.mini ? kMiniSectorShift : shift,
                                       position, wanted, where);
    if (chain.mini) {
      run = std::min(run, contiguous_run(mini_stream.sectors, shift, where, run, where));
    }
    file_offset = where + (std::uint64_t{1} << shift);  // the header comes first
    return run;
  }
};

// Reads a compound file's tables and directory into a Reader::State.
class Loader {
 public:
  explicit Loader(ILockBytes* bytes) : bytes_(bytes) {}

  HRESULT load(Contents& contents) {
    HRESULT result = read_header();
    if (SUCCEEDED(result)) result = read_fat();
    if (SUCCEEDED(result)) result = read_directory();
    if (SUCCEEDED(result)) result = read_mini_fat();
    if (SUCCEEDED(result)) result = walk_directory(contents);
    if (FAILED(result)) return result;
    contents.version = shift_ == kVersion3SectorShift ? 3 : 4;
    contents.shift = shift_;
    return S_OK;
  }

 private:
  const std::uint8_t* entry(std::uint32_t id) const { return directory_.data() + id * kEntrySize; }

  HRESULT read_exactly(std::uint64_t offset, void* buffer, std::size_t count) {
    ULONG read = 0;
    const HRESULT result = bytes_->ReadAt(large(offset), buffer, static_cast<ULONG>(count), &read);
    if (FAILED(result)) return result;
    return read == count ? S_OK : STG_E_DOCFILECORRUPT;
  }

  HRESULT read_sector(std::uint32_t sector, std::uint8_t* buffer) {
    return read_exactly(sector_offset(sector, shift_), buffer, sector_size_);
  }

  HRESULT read_header() {
    ULONG read = 0;
    const HRESULT result = bytes_->ReadAt(large(0), header_, kHeaderSize, &read);
    if (FAILED(result)) return result;
    if (read < sizeof kSignature || std::memcmp(header_, kSignature, sizeof kSignature) != 0) {
      return STG_E_FILEALREADYEXISTS;
    }
    if (read < kHeaderSize) return STG_E_INVALIDHEADER;
    const std::uint16_t major = load16(header_ + kHeaderMajorVersion);
    shift_ = load16(header_ + kHeaderSectorShift);
    const bool version3 = major == 3 && shift_ == kVersion3SectorShift;
    const bool version4 = major == 4 && shift_ == kVersion4SectorShift;
    if ((!version3 && !version4) || load16(header_ + kHeaderByteOrder) != kByteOrderMark ||
        load16(header_ + kHeaderMiniSectorShift) != kMiniSectorShift ||
        load32(header_ + kHeaderMiniStreamCutoff) != kMiniStreamCutoff ||
        (version3 && load32(header_ + kHeaderDirectorySectors) != 0)) {
      return STG_E_INVALIDHEADER;
    }
    sector_size_ = 1u << shift_;

    STATSTG stat{};
    const HRESULT stat_result = bytes_->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(stat_result)) return stat_result;
    CoTaskMemFree(stat.pwcsName);
    // A last sector that the file holds only in part still counts: reads past the end fail when
    // they happen.
    const std::uint64_t size = stat.cbSize.QuadPart;
    const std::uint64_t sectors = size > sector_size_ ? units_for(size - sector_size_, shift_) : 0;
    sector_count_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(sectors, kMaxRegularSector));
    claimed_.assign(sector_count_, false);
    return S_OK;
  }

  // Claims `sector` for one chain or table: it must lie below `bound` and belong to nothing yet.
  static bool claim(std::vector<bool>& claimed, std::uint64_t bound, std::uint32_t sector) {
    if (sector >= bound || claimed[sector]) return false;
    claimed[sector] = true;
    return true;
  }

  // Follows the chain from `start` in `table` for `count` sectors, or to its end for kWholeChain.
  // A chain that ends early is corruption.
  static HRESULT follow(const std::vector<std::uint32_t>& table, std::vector<bool>& claimed,
                        std::uint64_t bound, std::uint32_t start, std::uint64_t count,
                        std::vector<std::uint32_t>& chain) {
    bound = std::min<std::uint64_t>({bound, table.size(), claimed.size()});
    chain.clear();
    chain.reserve(static_cast<std::size_t>(std::min(count, bound)));
    std::uint32_t sector = start;
    while (chain.size() < count) {
      if (sector == kEndOfChain && count == kWholeChain) break;
      if (!claim(claimed, bound, sector)) return STG_E_DOCFILECORRUPT;
      chain.push_back(sector);
      sector = table[sector];
    }
    return S_OK;
  }

  // The FAT: its sectors are listed by the header and then by the chain of DIFAT sectors.
  HRESULT read_fat() {
    const std::uint32_t fat_sectors = load32(header_ + kHeaderFatSectors);
    if (fat_sectors > sector_count_) return STG_E_DOCFILECORRUPT;
    std::vector<std::uint32_t> locations;
    locations.reserve(fat_sectors);
    for (std::uint32_t i = 0; i < std::min(fat_sectors, kHeaderDifatEntries); ++i) {
      locations.push_back(load32(header_ + kHeaderDifat + 4 * i));
    }
    std::vector<std::uint8_t> sector(sector_size_);
    const std::uint32_t per_sector = sector_size_ / 4;
    std::uint32_t difat = load32(header_ + kHeaderFirstDifatSector);
    while (locations.size() < fat_sectors) {
      if (!claim(claimed_, sector_count_, difat)) return STG_E_DOCFILECORRUPT;
      const HRESULT result = read_sector(difat, sector.data());
      if (FAILED(result)) return result;
      for (std::uint32_t i = 0; i + 1 < per_sector && locations.size() < fat_sectors; ++i) {
        locations.push_back(load32(sector.data() + 4 * i));
      }
      difat = load32(sector.data() + sector_size_ - 4);
    }

    fat_.resize(static_cast<std::size_t>(fat_sectors) * per_sector);
    for (std::size_t i = 0; i < locations.size(); ++i) {
      if (!claim(claimed_, sector_count_, locations[i])) return STG_E_DOCFILECORRUPT;
      const HRESULT result = read_sector(locations[i], sector.data());
      if (FAILED(result)) return result;
      for (std::uint32_t j = 0; j < per_sector; ++j) {
        fat_[i * per_sector + j] = load32(sector.data() + 4 * j);
      }
    }
    return S_OK;
  }

  HRESULT read_directory() {
    std::vector<std::uint32_t> chain;
    HRESULT result = follow(fat_, claimed_, sector_count_,
                            load32(header_ + kHeaderFirstDirectorySector), kWholeChain, chain);
    if (FAILED(result)) return result;
    if (chain.empty()) return STG_E_DOCFILECORRUPT;
    directory_.resize(chain.size() * sector_size_);
    for (std::size_t i = 0; i < chain.size(); ++i) {
      result = read_sector(chain[i], directory_.data() + i * sector_size_);
      if (FAILED(result)) return result;
    }
    entry_count_ = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(directory_.size() / kEntrySize, kMaxRegularSector));
    return S_OK;
  }

  // The mini FAT, and the mini stream that the root entry holds.
  HRESULT read_mini_fat() {
    std::vector<std::uint32_t> chain;
    HRESULT result = follow(fat_, claimed_, sector_count_,
                            load32(header_ + kHeaderFirstMiniFatSector), kWholeChain, chain);
    if (FAILED(result)) return result;
    std::vector<std::uint8_t> sector(sector_size_);
    const std::uint32_t per_sector = sector_size_ / 4;
    mini_fat_.resize(chain.size() * per_sector);
    for (std::size_t i = 0; i < chain.size(); ++i) {
      result = read_sector(chain[i], sector.data());
      if (FAILED(result)) return result;
      for (std::uint32_t j = 0; j < per_sector; ++j) {
        mini_fat_[i * per_sector + j] = load32(sector.data() + 4 * j);
      }
    }

    const std::uint8_t* root = entry(0);
    if (static_cast<ObjectType>(root[kEntryType]) != ObjectType::kRoot) {
      return STG_E_DOCFILECORRUPT;
    }
    const std::uint64_t size = stream_size(root);
    result = follow(fat_, claimed_, sector_count_, load32(root + kEntryStartSector),
                    units_for(size, shift_), mini_stream_.sectors);
    if (FAILED(result)) return result;
    mini_claimed_.assign(static_cast<std::size_t>(std::min<std::uint64_t>(
                             units_for(size, kMiniSectorShift), mini_fat_.size())),
                         false);
    return S_OK;
  }

  // Version 3 files keep stream sizes below 2 GiB; old writers left garbage in the high half.
  std::uint64_t stream_size(const std::uint8_t* data) const {
    const std::uint64_t size = load64(data + kEntryStreamSize);
    return shift_ == kVersion3SectorShift ? size & 0xFFFFFFFF : size;
  }

  HRESULT parse_entry(const std::uint8_t* data, Element& element, Chain& chain) {
    const std::uint16_t name_bytes = load16(data + kEntryNameLength);
    if (name_bytes < 2 || name_bytes % 2 != 0 || name_bytes > 2 * (kMaxNameLength + 1)) {
      return STG_E_DOCFILECORRUPT;
    }
    const std::size_t length = name_bytes / 2 - 1;
    for (std::size_t i = 0; i < length; ++i) {
      const char16_t unit = load16(data + kEntryName + 2 * i);
      if (unit == 0) return STG_E_DOCFILECORRUPT;
      element.name.push_back(unit);
    }
    if (load16(data + kEntryName + 2 * length) != 0) return STG_E_DOCFILECORRUPT;
    element.type = static_cast<ObjectType>(data[kEntryType]);
    element.clsid = load_guid(data + kEntryClsid);
    element.state_bits = load32(data + kEntryStateBits);
    element.creation_time = load_filetime(data + kEntryCreationTime);
    element.modified_time = load_filetime(data + kEntryModifiedTime);
    if (element.type != ObjectType::kStream) return S_OK;

    element.size = stream_size(data);
    if (element.size == 0) return S_OK;
    const std::uint32_t start = load32(data + kEntryStartSector);
    chain.mini = element.size < kMiniStreamCutoff;
    if (chain.mini) {
      return follow(mini_fat_, mini_claimed_, mini_claimed_.size(), start,
                    units_for(element.size, kMiniSectorShift), chain.sectors);
    }
    return follow(fat_, claimed_, sector_count_, start, units_for(element.size, shift_),
                  chain.sectors);
  }

  // Walks the sibling tree under every storage in order, from the root down. The trees need not
  // be sorted or balanced; an entry reached twice is corruption.
  HRESULT walk_directory(Contents& contents) {
    std::vector<bool> visited(entry_count_, false);
    visited[0] = true;
    contents.elements.emplace_back();
    contents.chains.emplace_back();
    HRESULT result = parse_entry(entry(0), contents.elements[0], contents.chains[0]);
    if (FAILED(result)) return result;
    contents.mini_stream = Chain{std::move(mini_stream_.sectors), false};

    struct Storage {
      std::uint32_t entry;
      std::uint32_t element;
    };
    std::vector<Storage> storages{{0, 0}};
    std::vector<std::uint32_t> path;
    while (!storages.empty()) {
      const Storage storage = storages.back();
      storages.pop_back();
      std::uint32_t current = load32(entry(storage.entry) + kEntryChild);
      while (current != kNoStream || !path.empty()) {
        for (; current != kNoStream; current = load32(entry(current) + kEntryLeft)) {
          if (current >= entry_count_ || visited[current]) return STG_E_DOCFILECORRUPT;
          visited[current] = true;
          path.push_back(current);
        }
        const std::uint32_t id = path.back();
        path.pop_back();
        current = load32(entry(id) + kEntryRight);

        const auto type = static_cast<ObjectType>(entry(id)[kEntryType]);
        if (type == ObjectType::kUnknown) continue;
        if (type != ObjectType::kStorage && type != ObjectType::kStream) {
          return STG_E_DOCFILECORRUPT;
        }
        Element element;
        Chain chain;
        result = parse_entry(entry(id), element, chain);
        if (FAILED(result)) return result;
        const auto index = static_cast<std::uint32_t>(contents.elements.size());
        contents.elements.push_back(std::move(element));
        contents.chains.push_back(std::move(chain));
        contents.elements[storage.element].children.push_back(index);
        if (type == ObjectType::kStorage) storages.push_back({id, index});
      }
    }
    return S_OK;
  }

  ILockBytes* bytes_;
  std::uint8_t header_[kHeaderSize] = {};
  unsigned shift_ = 0;
  std::uint32_t sector_size_ = 0;
  std::uint32_t sector_count_ = 0;  // sectors that the file holds, whole or in part
  std::vector<bool> claimed_;       // sectors that belong to a table or chain
  std::vector<std::uint32_t> fat_;
  std::vector<std::uint8_t> directory_;
  std::uint32_t entry_count_ = 0;
  std::vector<std::uint32_t> mini_fat_;
  std::vector<bool> mini_claimed_;  // the same for mini sectors
  Chain mini_stream_;
};

}  // namespace

struct Reader::State {
  ComPtr<ILockBytes> bytes;
  Contents contents;
};

HRESULT Reader::open(ILockBytes* bytes, std::unique_ptr<Reader>& reader) {
  reader.reset();
  if (bytes == nullptr) return STG_E_INVALIDPOINTER;
  auto state = std::make_unique<State>();
  try {
    const HRESULT result = Loader(bytes).load(state->contents);
    if (FAILED(result)) return result;
  } catch (const std::bad_alloc&) {
    return STG_E_INSUFFICIENTMEMORY;
  }
  state->bytes = ComPtr<ILockBytes>(bytes);
  reader.reset(new Reader(std::move(state)));
  return S_OK;
}

Reader::Reader(std::unique_ptr<State> state) : state_(std::move(state)) {}
Reader::~Reader() = default;

int Reader::version() const { return state_->contents.version; }

const std::vector<Element>& Reader::elements() const { return state_->contents.elements; }

HRESULT Reader::read(std::uint32_t index, std::uint64_t offset, void* buffer, std::size_t count,
                     std::size_t& read) const {
  read = 0;
  const Contents& contents = state_->contents;
  if (index >= contents.elements.size() || contents.elements[index].type != ObjectType::kStream) {
    return STG_E_INVALIDPARAMETER;
  }
  const std::uint64_t size = contents.elements[index].size;
  if (offset >= size) return S_OK;
  count = static_cast<std::size_t>(std::min<std::uint64_t>(count, size - offset));
  auto* out = static_cast<std::uint8_t*>(buffer);
  while (read < count) {
    constexpr std::uint64_t kMaxPiece = 1u << 30;
    const std::uint64_t wanted = std::min<std::uint64_t>(count - read, kMaxPiece);
    std::uint64_t file_offset = 0;
    const std::uint64_t run =
        contents.locate(contents.chains[index], offset + read, wanted, file_offset);
    const auto piece = static_cast<ULONG>(std::min(run, wanted));
    ULONG done = 0;
    const HRESULT result = state_->bytes->ReadAt(large(file_offset), out + read, piece, &done);
    if (FAILED(result)) return result;
    read += done;
    if (done < piece) return STG_E_DOCFILECORRUPT;
  }
  return S_OK;
}

}  // namespace vtplatform::cfb
