// An open compound file: the working tree of its elements, the committed file it was read from,
// and the commit that writes the tree as a new file.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "vtplatform/win32/com_ptr.h"
#include "win32/storage/compound_file.h"
#include "win32/storage/stream_content.h"

namespace vtplatform::storage {

// One storage or stream of the working tree.
struct Entry {
  std::u16string name;
  cfb::ObjectType type = cfb::ObjectType::kStream;
  CLSID clsid = CLSID_NULL;
  DWORD state_bits = 0;
  FILETIME creation_time = {};
  FILETIME modified_time = {};
  std::shared_ptr<StreamContent> content;        // streams
  std::vector<std::shared_ptr<Entry>> children;  // storages
  // COM objects open on the entry; an open element cannot be opened again, replaced or removed.
  int open_count = 0;
  // Set when the entry leaves the tree (destroyed, replaced, reverted): objects still open on it
  // then answer STG_E_REVERTED.
  bool removed = false;

  bool is_stream() const { return type == cfb::ObjectType::kStream; }
  // The child of that name (names compare as the format orders them, so case-insensitively).
  std::shared_ptr<Entry> find(std::u16string_view child_name) const;
  // Takes the child out of the tree and marks it and everything in it removed.
  void remove(const std::shared_ptr<Entry>& child);
};

class Document {
 public:
  // Reads the compound file in `bytes`. `path` is the file's path, or empty for bytes a caller
  // provides; commits then write the new file there, shared as `sharing` says.
  static HRESULT open(ComPtr<ILockBytes> bytes, std::string path, bool writable, bool transacted,
                      const cfb::FileSharing& sharing, std::shared_ptr<Document>& document);
  // Makes a new, empty compound file of `version` and commits it at once: in `bytes`, or as the
  // file `path`. A file already at `path` is replaced when `replace` is set, once no other open
  // of it excludes `sharing`; otherwise it makes the call fail with STG_E_FILEALREADYEXISTS.
  static HRESULT create(ComPtr<ILockBytes> bytes, std::string path, int version, bool transacted,
                        const cfb::FileSharing& sharing, bool replace,
                        std::shared_ptr<Document>& document);

  // Every COM object of the document holds this lock while it works.
  std::recursive_mutex& mutex() { return mutex_; }

  const std::shared_ptr<Entry>& root() const { return root_; }
  const std::string& path() const { return path_; }
  bool writable() const { return writable_; }
  bool transacted() const { return transacted_; }
  // False once the root storage is released: the objects still open are then reverted.
  bool open() const { return open_; }
  // Reverts the objects still open and lets the file go, and with it the document's share of
  // it, as when the root storage of a document is released on Windows.
  void close();

  void mark_changed() { changed_ = true; }
  bool changed() const { return changed_; }

  // Writes the working tree as a new compound file that replaces the committed one: beside the
  // document, renamed over it once complete; for caller bytes, into memory first and then over
  // the caller's bytes. The streams then read from the new file.
  HRESULT commit();
  // Throws the working tree away and reads the committed one again.
  HRESULT revert();

 private:
  Document(ComPtr<ILockBytes> bytes, std::string path, bool writable, bool transacted,
           const cfb::FileSharing& sharing);
  HRESULT load();
  // The commit; `replace` says whether a file at the path may be replaced.
  HRESULT commit(bool replace);
  HRESULT write_to(ILockBytes* bytes) const;
  // Points the streams of the working tree, which `bytes` have just been written from, at them.
  HRESULT read_from(ILockBytes* bytes);

  std::recursive_mutex mutex_;
  ComPtr<ILockBytes> bytes_;
  std::string path_;
  bool writable_;
  bool transacted_;
  cfb::FileSharing sharing_;
  int version_ = 3;
  std::shared_ptr<const cfb::Reader> reader_;
  std::shared_ptr<Entry> root_;
  bool changed_ = false;
  bool open_ = true;
};

// The current time as a FILETIME.
FILETIME now();

}  // namespace vtplatform::storage
