// The compound file format: reading the directory and streams of an OLE2 compound file (versions
// 3 and 4) from bytes, and writing a whole new file from a tree of elements.
//
// This is the format engine under the structured-storage objects; it knows nothing of COM
// objects, modes or transactions. Every file read is checked before it is used: the header, the
// sector chains (no cycles, nothing past the end of the bytes), the directory (no loops, sizes
// that fit their chains), so that a damaged file is refused and never read out of bounds.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vtplatform/win32/com_ptr.h"
#include "vtplatform/win32/storage.h"
#include "win32/storage/file_sharing.h"

namespace vtplatform::cfb {

enum class ObjectType : BYTE { kUnknown = 0, kStorage = 1, kStream = 2, kRoot = 5 };

// One element of a compound file's directory, with the fields as its entry stores them (the
// format keeps the CLSID and the times of streams, and the root's creation time, zero).
struct Element {
  std::u16string name;
  ObjectType type = ObjectType::kUnknown;
  CLSID clsid = CLSID_NULL;
  DWORD state_bits = 0;
  FILETIME creation_time = {};
  FILETIME modified_time = {};
  std::uint64_t size = 0;  // streams only
  // Storages and the root: the elements directly inside, as indices into Reader::elements(), in
  // the order of an in-order walk of the directory's sibling tree.
  std::vector<std::uint32_t> children;
};

// A compound file opened for reading. The directory and the allocation tables are read and
// checked when it opens, and so is the chain of every stream against its size; stream content is
// read from the bytes when asked for. Reading from several threads at once is safe when the
// bytes allow it.
class Reader {
 public:
  // Opens the compound file in `bytes` (the reader keeps a reference). STG_E_FILEALREADYEXISTS
  // when the bytes do not start with the signature, STG_E_INVALIDHEADER for a header that breaks
  // the format, STG_E_DOCFILECORRUPT for damage in the tables or the directory, and the error of
  // ILockBytes when reading fails.
  static HRESULT open(ILockBytes* bytes, std::unique_ptr<Reader>& reader);

  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;
  ~Reader();

  // 3 (512-byte sectors) or 4 (4096-byte sectors).
  int version() const;
  // The directory: the elements reachable from the root, which is element 0. Unused entries and
  // entries that no storage links to are left out.
  const std::vector<Element>& elements() const;
  // Reads up to `count` bytes of the stream element `index` from `offset` into `buffer`; `read`
  // tells how many (fewer only at the end of the stream). STG_E_INVALIDPARAMETER for an index that
  // is no stream, STG_E_DOCFILECORRUPT when the bytes end before the stream's sectors do.
  HRESULT read(std::uint32_t index, std::uint64_t offset, void* buffer, std::size_t count,
               std::size_t& read) const;

 private:
  struct State;
  explicit Reader(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

// What write() writes: a tree of elements whose stream content comes from a callback. The root is
// always written with the name "Root Entry" and no creation time, and streams without CLSID and
// times, as the format asks; their fields here are not used.
struct Node {
  std::u16string name;
  ObjectType type = ObjectType::kStream;
  CLSID clsid = CLSID_NULL;
  DWORD state_bits = 0;
  FILETIME creation_time = {};
  FILETIME modified_time = {};
  // Streams: the size and the content, which `content` delivers: exactly `count` bytes from
  // `offset` into `buffer`, or an error that ends the write.
  std::uint64_t size = 0;
  std::function<HRESULT(std::uint64_t offset, void* buffer, std::size_t count)> content;
  // Storages and the root: the elements inside, in any order; names are unique among them.
  std::vector<Node> children;
};

// Writes a complete compound file of `version` (3 or 4) with `root` (of type kRoot) as its root
// storage into `bytes`, from offset 0 and in one pass, cuts `bytes` to the file's size and
// flushes them. Streams below 4096 bytes go to the mini stream; every storage's children form a
// balanced red-black tree in compare_names order. Stream content is pulled in pieces of at most
// 1 MiB, so the memory used does not grow with the streams' sizes. STG_E_DOCFILETOOLARGE when a
// version 3 file would reach the range-lock sector at 2 GiB or a version 4 file pass the format's
// limit; STG_E_INVALIDPARAMETER for a bad version or root, and for a name that is empty, longer
// than 31 UTF-16 units or repeated (in compare_names order) among its siblings. Errors of
// `content` and of `bytes` end the write and are returned as they are.
HRESULT write(const Node& root, int version, ILockBytes* bytes);

// The directory order of names: the shorter name first, then UTF-16 unit by unit after the
// format's upper-casing. Negative, zero or positive as a comes before, equals, or follows b.
// Upper-casing is Unicode's simple upper-case mapping of each UTF-16 unit on its own.
int compare_names(std::u16string_view a, std::u16string_view b);

// Bytes in a file: the document's own file, or the temporary file a commit writes. Opens `path`
// for reading (and writing when `writable`), or creates it, empty, when `create` (which implies
// `writable`; an existing file is emptied), and takes the locks of `sharing` on it
// (file_sharing.h); when a commit replaced the file between the open and the locks, the file
// that `path` names then is opened instead. Errors are the STG_E codes of the system error:
// STG_E_FILENOTFOUND, STG_E_PATHNOTFOUND, STG_E_ACCESSDENIED, ..., and STG_E_SHAREVIOLATION.
// The object's LockRegion and UnlockRegion answer STG_E_INVALIDFUNCTION.
HRESULT open_file_bytes(const char* path, bool writable, bool create, const FileSharing& sharing,
                        ComPtr<ILockBytes>& bytes);

}  // namespace vtplatform::cfb
