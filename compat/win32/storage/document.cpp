// The working tree of an open compound file and its commit as a new file.
#include "win32/storage/document.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <vector>

#include "win32/core/error_or.h"
#include "win32/core/unique_fd.h"
#include "win32/files/file_info.h"
#include "win32/files/sibling_file.h"

namespace vtplatform::storage {
namespace {

// Storages nested deeper than this are refused when a file is read: the tree is walked
// recursively, and no real document comes near it.
constexpr int kMaxDepth = 1000;
constexpr ULONG kCopyChunk = 1u << 20;

void mark_removed(Entry& entry) {
  entry.removed = true;
  for (const auto& child : entry.children) mark_removed(*child);
}

void release_contents(Entry& entry) {
  entry.content.reset();
  for (const auto& child : entry.children) release_contents(*child);
}

HRESULT build_tree(const std::shared_ptr<const cfb::Reader>& reader, std::uint32_t index,
                   int depth, std::shared_ptr<Entry>& entry) {
  if (depth > kMaxDepth) return STG_E_DOCFILECORRUPT;
  const cfb::Element& element = reader->elements()[index];
  entry = std::make_shared<Entry>();
  entry->name = element.name;
  entry->type = element.type;
  entry->clsid = element.clsid;
  entry->state_bits = element.state_bits;
  entry->creation_time = element.creation_time;
  entry->modified_time = element.modified_time;
  if (element.type == cfb::ObjectType::kStream) {
    entry->content = std::make_shared<StreamContent>(reader, index, element.size);
    return S_OK;
  }
  for (const std::uint32_t child_index : element.children) {
    std::shared_ptr<Entry> child;
    const HRESULT result = build_tree(reader, child_index, depth + 1, child);
    if (FAILED(result)) return result;
    entry->children.push_back(std::move(child));
  }
  return S_OK;
}

// Points the streams of `entry` at the file just committed, whose element `index` it is.
HRESULT rebind(Entry& entry, const std::shared_ptr<const cfb::Reader>& reader, std::uint32_t index) {
  const cfb::Element& element = reader->elements()[index];
  for (const auto& child : entry.children) {
    const auto found = std::find_if(
        element.children.begin(), element.children.end(), [&](std::uint32_t candidate) {
          return cfb::compare_names(reader->elements()[candidate].name, child->name) == 0;
        });
    if (found == element.children.end()) return STG_E_DOCFILECORRUPT;
    if (child->is_stream()) {
      child->content =
          std::make_shared<StreamContent>(reader, *found, reader->elements()[*found].size);
    } else {
      const HRESULT result = rebind(*child, reader, *found);
      if (FAILED(result)) return result;
    }
  }
  return S_OK;
}

cfb::Node to_node(const Entry& entry) {
  cfb::Node node;
  node.name = entry.name;
  node.type = entry.type;
  node.clsid = entry.clsid;
  node.state_bits = entry.state_bits;
  node.creation_time = entry.creation_time;
  node.modified_time = entry.modified_time;
  if (entry.is_stream()) {
    node.size = entry.content->size();
    node.content = [content = entry.content](std::uint64_t offset, void* buffer,
                                             std::size_t count) {
      std::size_t read = 0;
      const HRESULT result = content->read(offset, buffer, count, read);
      return FAILED(result) ? result : read == count ? S_OK : STG_E_READFAULT;
    };
  }
  for (const auto& child : entry.children) node.children.push_back(to_node(*child));
  return node;
}

HRESULT error_from_errno(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
    case EROFS: return STG_E_ACCESSDENIED;
    case ENOSPC:
    case EDQUOT: return STG_E_MEDIUMFULL;
    case ENOENT:
    case ENOTDIR: return STG_E_PATHNOTFOUND;
    default: return STG_E_WRITEFAULT;
  }
}

// Copies all of `from` over `to` and cuts `to` to the same size.
HRESULT copy_bytes(ILockBytes* from, ILockBytes* to) {
  STATSTG stat{};
  HRESULT result = from->Stat(&stat, STATFLAG_NONAME);
  std::vector<char> chunk(std::min<std::uint64_t>(stat.cbSize.QuadPart, kCopyChunk));
  ULARGE_INTEGER offset{};
  while (SUCCEEDED(result) && offset.QuadPart < stat.cbSize.QuadPart) {
    ULONG read = 0;
    result = from->ReadAt(offset, chunk.data(), static_cast<ULONG>(chunk.size()), &read);
    ULONG written = 0;
    if (SUCCEEDED(result)) result = to->WriteAt(offset, chunk.data(), read, &written);
    if (SUCCEEDED(result) && (read == 0 || written != read)) result = STG_E_WRITEFAULT;
    offset.QuadPart += read;
  }
  if (SUCCEEDED(result)) result = to->SetSize(stat.cbSize);
  if (SUCCEEDED(result)) result = to->Flush();
  return result;
}

}  // namespace

std::shared_ptr<Entry> Entry::find(std::u16string_view child_name) const {
  for (const auto& child : children) {
    if (cfb::compare_names(child->name, child_name) == 0) return child;
  }
  return nullptr;
}

void Entry::remove(const std::shared_ptr<Entry>& child) {
  children.erase(std::remove(children.begin(), children.end(), child), children.end());
  mark_removed(*child);
}

FILETIME now() {
  timespec time{};
  ::clock_gettime(CLOCK_REALTIME, &time);
  return filetime_from_timespec(time);
}

Document::Document(ComPtr<ILockBytes> bytes, std::string path, bool writable, bool transacted,
                   const cfb::FileSharing& sharing)
    : bytes_(std::move(bytes)), path_(std::move(path)), writable_(writable),
      transacted_(transacted), sharing_(sharing) {}

HRESULT Document::open(ComPtr<ILockBytes> bytes, std::string path, bool writable,
                       bool transacted, const cfb::FileSharing& sharing,
                       std::shared_ptr<Document>& document) {
  std::shared_ptr<Document> opened(
      new Document(std::move(bytes), std::move(path), writable, transacted, sharing));
  const HRESULT result = opened->load();
  if (FAILED(result)) return result;
  document = std::move(opened);
  return S_OK;
}

HRESULT Document::create(ComPtr<ILockBytes> bytes, std::string path, int version,
                         bool transacted, const cfb::FileSharing& sharing, bool replace,
                         std::shared_ptr<Document>& document) {
  std::shared_ptr<Document> created(
      new Document(std::move(bytes), std::move(path), true, transacted, sharing));
  created->version_ = version;
  created->root_ = std::make_shared<Entry>();
  created->root_->name = u"Root Entry";
  created->root_->type = cfb::ObjectType::kRoot;
  struct stat existing {};
  if (replace && !created->path_.empty() && ::stat(created->path_.c_str(), &existing) == 0) {
    // The file being replaced is held as an open would hold it until the new one is in place,
    // so that no other open of it is working on it meanwhile.
    const HRESULT held = cfb::open_file_bytes(created->path_.c_str(), true, false, sharing,
                                              created->bytes_);
    if (FAILED(held)) return held;
  }
  const HRESULT result = created->commit(replace);
  if (FAILED(result)) return result;
  document = std::move(created);
  return S_OK;
}

HRESULT Document::load() {
  std::unique_ptr<cfb::Reader> opened;
  const HRESULT result = cfb::Reader::open(bytes_.get(), opened);
  if (FAILED(result)) return result;
  std::shared_ptr<const cfb::Reader> reader = std::move(opened);
  std::shared_ptr<Entry> root;
  const HRESULT built = build_tree(reader, 0, 0, root);
  if (FAILED(built)) return built;
  root_ = std::move(root);
  reader_ = std::move(reader);
  version_ = reader_->version();
  changed_ = false;
  return S_OK;
}

HRESULT Document::write_to(ILockBytes* bytes) const {
  return cfb::write(to_node(*root_), version_, bytes);
}

void Document::close() {
  open_ = false;
  // Reverted streams read nothing more: their hold on the file goes with their content.
  release_contents(*root_);
  reader_.reset();
  bytes_ = ComPtr<ILockBytes>();
}

HRESULT Document::commit() { return commit(true); }

HRESULT Document::commit(bool replace) {
  if (!writable_) return STG_E_ACCESSDENIED;
  ComPtr<ILockBytes> committed;
  if (path_.empty()) {
    // The caller's bytes are the only copy: write the new file in memory first, then over them.
    // Until they do, the streams read from the copy in memory, so that a copy over the caller's
    // bytes that fails part-way loses nothing.
    ComPtr<ILockBytes> scratch;
    HRESULT result = CreateILockBytesOnHGlobal(nullptr, TRUE, scratch.put());
    if (SUCCEEDED(result)) result = write_to(scratch.get());
    if (SUCCEEDED(result)) result = read_from(scratch.get());
    if (SUCCEEDED(result)) result = copy_bytes(scratch.get(), bytes_.get());
    if (FAILED(result)) return result;
    committed = bytes_;
  } else {
    ErrorOr<SiblingFile> file = SiblingFile::create(path_);
    if (!file) return error_from_errno(file.error().value());
    // The new file keeps the rights of the document it replaces; a new document gets those of
    // any new file (0666 less the umask).
    struct stat status {};
    const mode_t rights =
        ::stat(path_.c_str(), &status) == 0 ? status.st_mode & 07777 : new_file_rights();
    if (::fchmod(file->fd(), rights) != 0) return error_from_errno(errno);
    // The new file is shared as the document is before it takes the document's place, so that
    // the path never names a file that another open could take against this one's sharing.
    HRESULT result = cfb::open_file_bytes(file->path().c_str(), true, false, sharing_, committed);
    if (SUCCEEDED(result)) result = write_to(committed.get());
    if (SUCCEEDED(result)) result = committed->Flush();
    if (FAILED(result)) return result;
    if (const std::error_code error = file->rename_to_target(!replace)) {
      return error == std::errc::file_exists ? STG_E_FILEALREADYEXISTS
                                             : error_from_errno(error.value());
    }
    bytes_ = committed;
  }

  const HRESULT result = read_from(committed.get());
  if (SUCCEEDED(result)) changed_ = false;
  return result;
}

HRESULT Document::read_from(ILockBytes* bytes) {
  std::unique_ptr<cfb::Reader> opened;
  HRESULT result = cfb::Reader::open(bytes, opened);
  if (FAILED(result)) return result;
  std::shared_ptr<const cfb::Reader> reader = std::move(opened);
  result = rebind(*root_, reader, 0);
  if (FAILED(result)) return result;
  reader_ = std::move(reader);
  return S_OK;
}

HRESULT Document::revert() {
  if (reader_ == nullptr) return S_OK;
  std::shared_ptr<Entry> root;
  const HRESULT result = build_tree(reader_, 0, 0, root);
  if (FAILED(result)) return result;
  mark_removed(*root_);
  root_ = std::move(root);
  changed_ = false;
  return S_OK;
}

}  // namespace vtplatform::storage
