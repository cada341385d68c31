// IStorage and IEnumSTATSTG on the storage entries of an open document.
#include <algorithm>
#include <cstring>
#include <vector>

#include "vtplatform/win32/com_ptr.h"
#include "win32/core/com_object.h"
#include "win32/core/exception_barrier.h"
#include "win32/storage/storage_objects.h"
#include "win32/text/code_pages.h"

namespace vtplatform::storage {
namespace {

constexpr std::size_t kMaxNameLength = 31;  // UTF-16 units, without the terminator
constexpr DWORD kShareMask = 0x70;
constexpr ULONG kCopyChunk = 1u << 16;

// The UTF-16 form of an element name: 1 to 31 units, none of them '/', '\', ':' or '!'.
HRESULT element_name(LPCOLESTR name, std::u16string& result) {
  if (name == nullptr) return STG_E_INVALIDPOINTER;
  bool lossy = false;
  result = utf16_from_wide(name, lossy);
  if (lossy || result.empty() || result.size() > kMaxNameLength ||
      result.find_first_of(u"/\\:!") != std::u16string::npos) {
    return STG_E_INVALIDNAME;
  }
  return S_OK;
}

// The checks Windows makes on the mode of an element opened or created inside a storage.
HRESULT check_element_mode(DWORD mode, DWORD parent_mode) {
  if (access_of(mode) == 0x3 || (mode & kShareMask) != STGM_SHARE_EXCLUSIVE) return STG_E_INVALIDFLAG;
  if ((mode & STGM_DELETEONRELEASE) != 0) return STG_E_INVALIDFUNCTION;
  if (may_write(mode) && !may_write(parent_mode)) return STG_E_ACCESSDENIED;
  return S_OK;
}

// A snapshot of a storage's elements, handed out one STATSTG at a time.
class EnumObject final : public ComObject<IEnumSTATSTG> {
 public:
  explicit EnumObject(std::vector<STATSTG> elements, std::size_t next = 0)
      : elements_(std::move(elements)), next_(next) {}
  ~EnumObject() override {
    for (STATSTG& element : elements_) CoTaskMemFree(element.pwcsName);
  }

  HRESULT QueryInterface(REFIID iid, void** object) override {
    return query(iid, object, {IID_IEnumSTATSTG});
  }

  HRESULT Next(ULONG count, STATSTG* elements, ULONG* fetched) override {
    if (elements == nullptr || (count > 1 && fetched == nullptr)) return STG_E_INVALIDPOINTER;
    ULONG given = 0;
    for (; given < count && next_ < elements_.size(); ++given, ++next_) {
      elements[given] = elements_[next_];
      elements[given].pwcsName = copy_name(elements_[next_].pwcsName);
    }
    if (fetched != nullptr) *fetched = given;
    return given == count ? S_OK : S_FALSE;
  }
  HRESULT Skip(ULONG count) override {
    const std::size_t left = elements_.size() - next_;
    next_ += std::min<std::size_t>(count, left);
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT Reset() override {
    next_ = 0;
    return S_OK;
  }
  HRESULT Clone(IEnumSTATSTG** clone) override {
    if (clone == nullptr) return STG_E_INVALIDPOINTER;
    std::vector<STATSTG> copy = elements_;
    for (STATSTG& element : copy) element.pwcsName = copy_name(element.pwcsName);
    *clone = new EnumObject(std::move(copy), next_);
    return S_OK;
  }

 private:
  static LPOLESTR copy_name(LPCOLESTR name) {
    const std::size_t bytes = (std::wcslen(name) + 1) * sizeof(OLECHAR);
    auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (copy != nullptr) std::memcpy(copy, name, bytes);
    return copy;
  }

  std::vector<STATSTG> elements_;
  std::size_t next_;
};

bool excluded(SNB names, std::u16string_view name) {
  for (; names != nullptr && *names != nullptr; ++names) {
    std::u16string excluded_name;
    if (SUCCEEDED(element_name(*names, excluded_name)) && cfb::compare_names(excluded_name, name) == 0) {
      return true;
    }
  }
  return false;
}

HRESULT copy_stream(const Entry& entry, IStream* destination) {
  std::vector<char> chunk(kCopyChunk);
  HRESULT result = S_OK;
  for (std::uint64_t offset = 0; SUCCEEDED(result) && offset < entry.content->size();) {
    std::size_t got = 0;
    result = entry.content->read(offset, chunk.data(), chunk.size(), got);
    if (SUCCEEDED(result)) result = destination->Write(chunk.data(), static_cast<ULONG>(got), nullptr);
    offset += got;
  }
  return result;
}

// Copies `entry` into `destination` under `name`, through destination's own interface so that
// any storage can receive it.
HRESULT copy_entry(const Entry& entry, std::u16string_view name, IStorage* destination) {
  bool lossy = false;
  const std::wstring wide_name = wide_from_utf16(name, lossy);
  constexpr DWORD kCreate = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
  if (entry.is_stream()) {
    ComPtr<IStream> stream;
    HRESULT result = destination->CreateStream(wide_name.c_str(), kCreate, 0, 0, stream.put());
    return SUCCEEDED(result) ? copy_stream(entry, stream.get()) : result;
  }
  // A storage of that name in the destination is merged into, as Windows does; only streams are
  // replaced.
  ComPtr<IStorage> storage;
  HRESULT result = destination->OpenStorage(wide_name.c_str(), nullptr,
                                            STGM_READWRITE | STGM_SHARE_EXCLUSIVE, nullptr, 0,
                                            storage.put());
  if (FAILED(result)) {
    result = destination->CreateStorage(wide_name.c_str(), kCreate, 0, 0, storage.put());
  }
  if (SUCCEEDED(result)) result = storage->SetClass(entry.clsid);
  if (SUCCEEDED(result)) result = storage->SetStateBits(entry.state_bits, 0xFFFFFFFF);
  for (const auto& child : entry.children) {
    if (SUCCEEDED(result)) result = copy_entry(*child, child->name, storage.get());
  }
  return result;
}

// Whether `target` is `tree` or lies inside it.
bool contains(const Entry& tree, const Entry* target) {
  if (&tree == target) return true;
  return std::any_of(tree.children.begin(), tree.children.end(),
                     [target](const auto& child) { return contains(*child, target); });
}

class StorageObject final : public ComObject<IStorage> {
 public:
  // A null entry stands for the document's root, which a revert replaces.
  StorageObject(std::shared_ptr<Document> document, std::shared_ptr<Entry> entry, DWORD mode)
      : document_(std::move(document)), entry_(std::move(entry)), mode_(mode) {
    if (entry_ != nullptr) ++entry_->open_count;
  }
  ~StorageObject() override {
    std::lock_guard lock(document_->mutex());
    if (entry_ != nullptr) {
      --entry_->open_count;
      return;
    }
    // The root goes: a direct document keeps what was done, and the document closes.
    if (document_->open() && !document_->transacted() && document_->changed()) {
      document_->commit();
    }
    document_->close();
  }

  HRESULT QueryInterface(REFIID iid, void** object) override {
    return query(iid, object, {IID_IStorage});
  }

  // The methods that convert names keep exceptions in: a failed allocation is E_OUTOFMEMORY.
  HRESULT CreateStream(LPCOLESTR name, DWORD mode, DWORD, DWORD, IStream** stream) override {
    return com_without_exceptions(STG_E_INVALIDNAME, [&] {
      std::lock_guard lock(document_->mutex());
      std::shared_ptr<Entry> created;
      const HRESULT result = create_element(name, mode, cfb::ObjectType::kStream, stream, created);
      if (SUCCEEDED(result)) *stream = new_stream(document_, created, mode);
      return result;
    });
  }

  HRESULT OpenStream(LPCOLESTR name, void* reserved1, DWORD mode, DWORD,
                     IStream** stream) override {
    return com_without_exceptions(STG_E_INVALIDNAME, [&] {
      std::lock_guard lock(document_->mutex());
      std::shared_ptr<Entry> found;
      const HRESULT result = open_element(name, reserved1, mode, cfb::ObjectType::kStream, stream, found);
      if (SUCCEEDED(result)) *stream = new_stream(document_, found, mode);
      return result;
    });
  }

  HRESULT CreateStorage(LPCOLESTR name, DWORD mode, DWORD, DWORD, IStorage** storage) override {
    return com_without_exceptions(STG_E_INVALIDNAME, [&] {
      std::lock_guard lock(document_->mutex());
      std::shared_ptr<Entry> created;
      const HRESULT result = create_element(name, mode, cfb::ObjectType::kStorage, storage, created);
      if (SUCCEEDED(result)) *storage = new StorageObject(document_, created, mode);
      return result;
    });
  }

  HRESULT OpenStorage(LPCOLESTR name, IStorage*, DWORD mode, SNB, DWORD,
                      IStorage** storage) override {
    return com_without_exceptions(STG_E_INVALIDNAME, [&] {
      std::lock_guard lock(document_->mutex());
      std::shared_ptr<Entry> found;
      const HRESULT result = open_element(name, nullptr, mode, cfb::ObjectType::kStorage, storage, found);
      if (SUCCEEDED(result)) *storage = new StorageObject(document_, found, mode);
      return result;
    });
  }

  HRESULT CopyTo(DWORD exclude_count, const IID* exclude_iids, SNB exclude_names,
                 IStorage* destination) override {
    std::lock_guard lock(document_->mutex());
    if (destination == nullptr || (exclude_count > 0 && exclude_iids == nullptr)) {
      return STG_E_INVALIDPOINTER;
    }
    if (const HRESULT state = usable(); FAILED(state)) return state;
    const IID* exclude_end = exclude_iids + exclude_count;
    const bool skip_storages = std::find(exclude_iids, exclude_end, IID_IStorage) != exclude_end;
    const bool skip_streams = std::find(exclude_iids, exclude_end, IID_IStream) != exclude_end;
    // A copy into this storage or into one inside it would never end.
    if (const Entry* target = same_document_entry(destination);
        target != nullptr && contains(entry(), target)) {
      return STG_E_ACCESSDENIED;
    }
    const Entry& self = entry();
    HRESULT result = destination->SetClass(self.clsid);
    // The destination may be another storage of this document, whose changes must not disturb
    // the walk.
    const std::vector<std::shared_ptr<Entry>> children = self.children;
    for (const auto& child : children) {
      if (FAILED(result)) break;
      if ((child->is_stream() ? skip_streams : skip_storages) || excluded(exclude_names, child->name)) {
        continue;
      }
      result = copy_entry(*child, child->name, destination);
    }
    return result;
  }

  HRESULT MoveElementTo(LPCOLESTR name, IStorage* destination, LPCOLESTR new_name,
                        DWORD flags) override {
    return com_without_exceptions(STG_E_INVALIDNAME, [&] {
      std::lock_guard lock(document_->mutex());
      std::u16string element;
      std::u16string target_name;
      if (destination == nullptr) return STG_E_INVALIDPOINTER;
      if (HRESULT result = element_name(name, element); FAILED(result)) return result;
      if (HRESULT result = element_name(new_name, target_name); FAILED(result)) return result;
      if (flags != STGMOVE_MOVE && flags != STGMOVE_COPY) return STG_E_INVALIDFLAG;
      if (const HRESULT state = usable(); FAILED(state)) return state;
      const std::shared_ptr<Entry> found = entry().find(element);
      if (found == nullptr) return STG_E_FILENOTFOUND;
      if (found->open_count > 0) return STG_E_ACCESSDENIED;
      if (flags == STGMOVE_MOVE && !may_write(mode_)) return STG_E_ACCESSDENIED;
      // An element cannot go into itself, nor onto itself.
      if (const Entry* target = same_document_entry(destination);
          target != nullptr && (contains(*found, target) ||
                                (target == &entry() && cfb::compare_names(element, target_name) == 0))) {
        return STG_E_ACCESSDENIED;
      }
      const HRESULT result = copy_entry(*found, target_name, destination);
      if (SUCCEEDED(result) && flags == STGMOVE_MOVE) remove(found);
      return result;
    });
  }

  HRESULT Commit(DWORD) override {
    std::lock_guard lock(document_->mutex());
    if (const HRESULT state = usable(); FAILED(state)) return state;
    // Inner storages commit into the root's tree, which they change directly; the root writes
    // the document.
    if (entry_ != nullptr || !may_write(mode_)) return S_OK;
    return document_->commit();
  }

  HRESULT Revert() override {
    std::lock_guard lock(document_->mutex());
    if (const HRESULT state = usable(); FAILED(state)) return state;
    if (entry_ != nullptr || !document_->transacted()) return S_OK;
    return document_->revert();
  }

  HRESULT EnumElements(DWORD, void*, DWORD, IEnumSTATSTG** elements) override {
    std::lock_guard lock(document_->mutex());
    if (elements == nullptr) return STG_E_INVALIDPOINTER;
    *elements = nullptr;
    if (const HRESULT state = usable(); FAILED(state)) return state;
    std::vector<std::shared_ptr<Entry>> children = entry().children;
    std::sort(children.begin(), children.end(), [](const auto& a, const auto& b) {
      return cfb::compare_names(a->name, b->name) < 0;
    });
    std::vector<STATSTG> stats;
    for (const auto& child : children) {
      STATSTG stat;
      const HRESULT result = stat_entry(*child, 0, child->name, STATFLAG_DEFAULT, stat);
      if (FAILED(result)) {
        for (STATSTG& made : stats) CoTaskMemFree(made.pwcsName);
        return result;
      }
      stats.push_back(stat);
    }
    *elements = new EnumObject(std::move(stats));
    return S_OK;
  }

  HRESULT DestroyElement(LPCOLESTR name) override {
    return com_without_exceptions(STG_E_INVALIDNAME, [&] {
      std::lock_guard lock(document_->mutex());
      std::shared_ptr<Entry> found;
      const HRESULT result = find_to_change(name, found);
      if (SUCCEEDED(result)) remove(found);
      return result;
    });
  }

  HRESULT RenameElement(LPCOLESTR old_name, LPCOLESTR new_name) override {
    return com_without_exceptions(STG_E_INVALIDNAME, [&] {
      std::lock_guard lock(document_->mutex());
      std::u16string target_name;
      if (HRESULT result = element_name(new_name, target_name); FAILED(result)) return result;
      std::shared_ptr<Entry> found;
      if (HRESULT result = find_to_change(old_name, found); FAILED(result)) return result;
      const std::shared_ptr<Entry> existing = entry().find(target_name);
      if (existing != nullptr && existing != found) return STG_E_FILEALREADYEXISTS;
      found->name = target_name;
      document_->mark_changed();
      return S_OK;
    });
  }

  HRESULT SetElementTimes(LPCOLESTR name, const FILETIME* creation, const FILETIME*,
                          const FILETIME* modification) override {
    return com_without_exceptions(STG_E_INVALIDNAME, [&] {
      std::lock_guard lock(document_->mutex());
      std::shared_ptr<Entry> target;
      if (name == nullptr) {
        // A null name sets the times of this storage itself.
        if (const HRESULT state = usable(); FAILED(state)) return state;
        if (!may_write(mode_)) return STG_E_ACCESSDENIED;
        target = entry_ != nullptr ? entry_ : document_->root();
      } else if (HRESULT result = find_to_change(name, target, false); FAILED(result)) {
        return result;
      }
      if (creation != nullptr) target->creation_time = *creation;
      if (modification != nullptr) target->modified_time = *modification;
      document_->mark_changed();
      return S_OK;
    });
  }

  HRESULT SetClass(REFCLSID clsid) override {
    std::lock_guard lock(document_->mutex());
    if (const HRESULT state = writable(); FAILED(state)) return state;
    entry().clsid = clsid;
    document_->mark_changed();
    return S_OK;
  }

  HRESULT SetStateBits(DWORD state_bits, DWORD mask) override {
    std::lock_guard lock(document_->mutex());
    if (const HRESULT state = writable(); FAILED(state)) return state;
    Entry& self = entry();
    self.state_bits = (self.state_bits & ~mask) | (state_bits & mask);
    document_->mark_changed();
    return S_OK;
  }

  HRESULT Stat(STATSTG* stat, DWORD stat_flag) override {
    return com_without_exceptions(E_UNEXPECTED, [&] {
      std::lock_guard lock(document_->mutex());
      if (stat == nullptr) return STG_E_INVALIDPOINTER;
      if (const HRESULT state = usable(); FAILED(state)) return state;
      if (entry_ != nullptr) return stat_entry(*entry_, mode_, entry_->name, stat_flag, *stat);
      // The root is named by the document's path, as Windows names it; the code-page engine
    // that decodes it fails only when its converter does.
      bool lossy = false;
      const std::u16string path = ansi_code_page().decode(document_->path(), lossy);
      return stat_entry(*document_->root(), mode_, path, stat_flag, *stat);
    });
  }

 private:
  Entry& entry() const { return entry_ != nullptr ? *entry_ : *document_->root(); }

  // The entry that `storage` stands for when it is an object on this same document, else null.
  const Entry* same_document_entry(IStorage* storage) const {
    const auto* other = dynamic_cast<const StorageObject*>(storage);
    return other != nullptr && other->document_ == document_ ? &other->entry() : nullptr;
  }

  HRESULT usable() const {
    return !document_->open() || (entry_ != nullptr && entry_->removed) ? STG_E_REVERTED : S_OK;
  }
  HRESULT writable() const {
    if (const HRESULT state = usable(); FAILED(state)) return state;
    return may_write(mode_) ? S_OK : STG_E_ACCESSDENIED;
  }

  void remove(const std::shared_ptr<Entry>& child) {
    entry().remove(child);
    document_->mark_changed();
  }

  // The element `name` of this storage, which must be closed when `closed` is set, in a storage
  // that may be changed.
  HRESULT find_to_change(LPCOLESTR name, std::shared_ptr<Entry>& found, bool closed = true) {
    std::u16string element;
    if (HRESULT result = element_name(name, element); FAILED(result)) return result;
    if (HRESULT result = writable(); FAILED(result)) return result;
    found = entry().find(element);
    if (found == nullptr) return STG_E_FILENOTFOUND;
    if (closed && found->open_count > 0) return STG_E_ACCESSDENIED;
    return S_OK;
  }

  template <class Interface>
  HRESULT create_element(LPCOLESTR name, DWORD mode, cfb::ObjectType type, Interface** object,
                         std::shared_ptr<Entry>& created) {
    if (object == nullptr) return STG_E_INVALIDPOINTER;
    *object = nullptr;
    std::u16string element;
    if (HRESULT result = element_name(name, element); FAILED(result)) return result;
    if (HRESULT result = check_element_mode(mode, mode_); FAILED(result)) return result;
    if (HRESULT result = writable(); FAILED(result)) return result;
    if (const std::shared_ptr<Entry> existing = entry().find(element)) {
      if ((mode & STGM_CREATE) == 0) return STG_E_FILEALREADYEXISTS;
      if (existing->open_count > 0) return STG_E_ACCESSDENIED;
      entry().remove(existing);
    }
    created = std::make_shared<Entry>();
    created->name = std::move(element);
    created->type = type;
    if (type == cfb::ObjectType::kStream) {
      created->content = std::make_shared<StreamContent>();
    } else {
      created->creation_time = created->modified_time = now();
    }
    entry().children.push_back(created);
    document_->mark_changed();
    return S_OK;
  }

  template <class Interface>
  HRESULT open_element(LPCOLESTR name, void* reserved, DWORD mode, cfb::ObjectType type,
                       Interface** object, std::shared_ptr<Entry>& found) {
    if (object == nullptr) return STG_E_INVALIDPOINTER;
    *object = nullptr;
    if (reserved != nullptr) return STG_E_INVALIDPARAMETER;
    std::u16string element;
    if (HRESULT result = element_name(name, element); FAILED(result)) return result;
    if (HRESULT result = check_element_mode(mode, mode_); FAILED(result)) return result;
    if (const HRESULT state = usable(); FAILED(state)) return state;
    found = entry().find(element);
    if (found == nullptr || found->type != type) return STG_E_FILENOTFOUND;
    if (found->open_count > 0) return STG_E_ACCESSDENIED;
    return S_OK;
  }

  std::shared_ptr<Document> document_;
  std::shared_ptr<Entry> entry_;
  DWORD mode_;
};

}  // namespace

IStorage* new_root_storage(std::shared_ptr<Document> document, DWORD mode) {
  return new StorageObject(std::move(document), nullptr, mode);
}

}  // namespace vtplatform::storage
