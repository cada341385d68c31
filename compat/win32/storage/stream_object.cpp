// IStream on a stream entry of an open document: a seek position over the entry's content.
#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "win32/core/com_object.h"
#include "win32/storage/storage_objects.h"
#include "win32/text/code_pages.h"

namespace vtplatform::storage {
namespace {

constexpr ULONG kCopyChunk = 1u << 16;

class StreamObject final : public ComObject<IStream> {
 public:
  StreamObject(std::shared_ptr<Document> document, std::shared_ptr<Entry> entry, DWORD mode,
               std::uint64_t position)
      : document_(std::move(document)), entry_(std::move(entry)), mode_(mode),
        position_(position) {
    ++entry_->open_count;
  }
  ~StreamObject() override {
    std::lock_guard lock(document_->mutex());
    --entry_->open_count;
  }

  HRESULT QueryInterface(REFIID iid, void** object) override {
    return query(iid, object, {IID_ISequentialStream, IID_IStream});
  }

  HRESULT Read(void* buffer, ULONG count, ULONG* read) override {
    std::lock_guard lock(document_->mutex());
    if (read != nullptr) *read = 0;
    if (const HRESULT state = usable(); FAILED(state)) return state;
    if (buffer == nullptr && count > 0) return STG_E_INVALIDPOINTER;
    std::size_t got = 0;
    const HRESULT result = entry_->content->read(position_, buffer, count, got);
    position_ += got;
    if (read != nullptr) *read = static_cast<ULONG>(got);
    return result;
  }

  HRESULT Write(const void* buffer, ULONG count, ULONG* written) override {
    std::lock_guard lock(document_->mutex());
    if (written != nullptr) *written = 0;
    if (const HRESULT state = usable(); FAILED(state)) return state;
    if (!may_write(mode_)) return STG_E_ACCESSDENIED;
    if (buffer == nullptr && count > 0) return STG_E_INVALIDPOINTER;
    const HRESULT result = entry_->content->write(position_, buffer, count);
    if (FAILED(result)) return result;
    position_ += count;
    document_->mark_changed();
    if (written != nullptr) *written = count;
    return S_OK;
  }

  HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* new_position) override {
    std::lock_guard lock(document_->mutex());
    if (const HRESULT state = usable(); FAILED(state)) return state;
    std::int64_t base = 0;
    switch (origin) {
      case STREAM_SEEK_SET: base = 0; break;
      case STREAM_SEEK_CUR: base = static_cast<std::int64_t>(position_); break;
      case STREAM_SEEK_END: base = static_cast<std::int64_t>(entry_->content->size()); break;
      default: return STG_E_INVALIDFUNCTION;
    }
    // A position before the start is refused; one past the end is allowed, as on Windows.
    if ((move.QuadPart < 0 && base < -move.QuadPart) ||
        (move.QuadPart > 0 && base > std::numeric_limits<std::int64_t>::max() - move.QuadPart)) {
      return STG_E_INVALIDFUNCTION;
    }
    position_ = static_cast<std::uint64_t>(base + move.QuadPart);
    if (new_position != nullptr) new_position->QuadPart = position_;
    return S_OK;
  }

  HRESULT SetSize(ULARGE_INTEGER new_size) override {
    std::lock_guard lock(document_->mutex());
    if (const HRESULT state = usable(); FAILED(state)) return state;
    if (!may_write(mode_)) return STG_E_ACCESSDENIED;
    const HRESULT result = entry_->content->set_size(new_size.QuadPart);
    if (SUCCEEDED(result)) document_->mark_changed();
    return result;
  }

  HRESULT CopyTo(IStream* destination, ULARGE_INTEGER count, ULARGE_INTEGER* read,
                 ULARGE_INTEGER* written) override {
    if (destination == nullptr) return STG_E_INVALIDPOINTER;
    std::vector<char> chunk(kCopyChunk);
    std::uint64_t total_read = 0;
    std::uint64_t total_written = 0;
    HRESULT result = S_OK;
    while (SUCCEEDED(result) && total_read < count.QuadPart) {
      ULONG got = 0;
      result = Read(chunk.data(),
                    static_cast<ULONG>(std::min<std::uint64_t>(kCopyChunk, count.QuadPart - total_read)),
                    &got);
      if (FAILED(result) || got == 0) break;
      total_read += got;
      ULONG put = 0;
      result = destination->Write(chunk.data(), got, &put);
      total_written += put;
    }
    if (read != nullptr) read->QuadPart = total_read;
    if (written != nullptr) written->QuadPart = total_written;
    return result;
  }

  // Streams of a compound file have no transactions of their own: their changes belong to the
  // storage that holds them.
  HRESULT Commit(DWORD) override { return usable_locked(); }
  HRESULT Revert() override { return usable_locked(); }
  HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }

  HRESULT Stat(STATSTG* stat, DWORD stat_flag) override {
    std::lock_guard lock(document_->mutex());
    if (stat == nullptr) return STG_E_INVALIDPOINTER;
    if (const HRESULT state = usable(); FAILED(state)) return state;
    return stat_entry(*entry_, mode_, entry_->name, stat_flag, *stat);
  }

  HRESULT Clone(IStream** clone) override {
    std::lock_guard lock(document_->mutex());
    if (clone == nullptr) return STG_E_INVALIDPOINTER;
    *clone = nullptr;
    if (const HRESULT state = usable(); FAILED(state)) return state;
    *clone = new StreamObject(document_, entry_, mode_, position_);
    return S_OK;
  }

 private:
  HRESULT usable() const {
    return entry_->removed || !document_->open() ? STG_E_REVERTED : S_OK;
  }
  HRESULT usable_locked() {
    std::lock_guard lock(document_->mutex());
    return usable();
  }

  std::shared_ptr<Document> document_;
  std::shared_ptr<Entry> entry_;
  DWORD mode_;
  std::uint64_t position_;
};

}  // namespace

IStream* new_stream(std::shared_ptr<Document> document, std::shared_ptr<Entry> entry, DWORD mode,
                    std::uint64_t position) {
  return new StreamObject(std::move(document), std::move(entry), mode, position);
}

HRESULT stat_entry(const Entry& entry, DWORD mode, std::u16string_view name, DWORD flag,
                   STATSTG& stat) {
  stat = STATSTG{};
  if (flag != STATFLAG_NONAME) {
    bool lossy = false;
    const std::wstring wide = wide_from_utf16(name, lossy);
    stat.pwcsName = static_cast<LPOLESTR>(CoTaskMemAlloc((wide.size() + 1) * sizeof(wchar_t)));
    if (stat.pwcsName == nullptr) return STG_E_INSUFFICIENTMEMORY;
    std::copy(wide.begin(), wide.end(), stat.pwcsName);
    stat.pwcsName[wide.size()] = L'\0';
  }
  stat.type = entry.is_stream() ? STGTY_STREAM : STGTY_STORAGE;
  if (entry.is_stream()) stat.cbSize.QuadPart = entry.content->size();
  stat.mtime = entry.modified_time;
  stat.ctime = entry.creation_time;
  stat.grfMode = mode;
  stat.clsid = entry.clsid;
  stat.grfStateBits = entry.state_bits;
  return S_OK;
}

}  // namespace vtplatform::storage
