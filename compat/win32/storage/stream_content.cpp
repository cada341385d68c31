// Stream content: committed bytes read through the format engine, private bytes in memory or in
// an unnamed temporary file.
#include "win32/storage/stream_content.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "win32/core/eintr.h"
#include "win32/core/error_or.h"

namespace vtplatform::storage {
namespace {

// Private bytes beyond this size live in a temporary file.
constexpr std::uint64_t kMemoryLimit = 8u << 20;
// Copies run in pieces of this size.
constexpr std::size_t kChunk = 1u << 20;

HRESULT error_from_errno(int error) {
  return error == ENOSPC || error == EDQUOT ? STG_E_MEDIUMFULL : STG_E_WRITEFAULT;
}

// An unnamed file in `folder`: O_TMPFILE where the file system has it, else a named file that
// is removed at once; the errno of the named file's creation when neither can be made.
ErrorOr<UniqueFd> unnamed_file(const std::string& folder) {
  UniqueFd file(::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
  if (file.valid()) return file;
  std::string name = folder + "/.vtstream-XXXXXX";
  file = UniqueFd(::mkostemp(name.data(), O_CLOEXEC));
  if (!file.valid()) return errno_code();
  ::unlink(name.c_str());
  return file;
}

}  // namespace

HRESULT ScratchBytes::read(std::uint64_t offset, void* buffer, std::size_t count) const {
  if (!file_.valid()) {
    std::memcpy(buffer, memory_.data() + offset, count);
    return S_OK;
  }
  auto* bytes = static_cast<char*>(buffer);
  while (count > 0) {
    const ssize_t got = retry_on_eintr(
        [&] { return ::pread(file_.get(), bytes, count, static_cast<off_t>(offset)); });
    if (got <= 0) return STG_E_READFAULT;
    bytes += got;
    offset += static_cast<std::uint64_t>(got);
    count -= static_cast<std::size_t>(got);
  }
  return S_OK;
}

HRESULT ScratchBytes::write(std::uint64_t offset, const void* buffer, std::size_t count) {
  const std::uint64_t end = offset + count;
  if (end > size_) {
    const HRESULT grown = resize(end);
    if (FAILED(grown)) return grown;
  }
  if (!file_.valid()) {
    std::memcpy(memory_.data() + offset, buffer, count);
    return S_OK;
  }
  const auto* bytes = static_cast<const char*>(buffer);
  while (count > 0) {
    const ssize_t put = retry_on_eintr(
        [&] { return ::pwrite(file_.get(), bytes, count, static_cast<off_t>(offset)); });
    if (put <= 0) return error_from_errno(errno);
    bytes += put;
    offset += static_cast<std::uint64_t>(put);
    count -= static_cast<std::size_t>(put);
  }
  return S_OK;
}

HRESULT ScratchBytes::resize(std::uint64_t size) {
  if (!file_.valid() && size > kMemoryLimit) {
    const HRESULT moved = move_to_file();
    if (FAILED(moved)) return moved;
  }
  if (file_.valid()) {
    if (::ftruncate(file_.get(), static_cast<off_t>(size)) != 0) return error_from_errno(errno);
  } else {
    try {
      memory_.resize(size);
    } catch (const std::bad_alloc&) {
      return STG_E_INSUFFICIENTMEMORY;
    }
  }
  size_ = size;
  return S_OK;
}

HRESULT ScratchBytes::move_to_file() {
  // $TMPDIR first, as for every temporary file; /tmp when that is not usable.
  const char* folder = ::getenv("TMPDIR");
  const bool use_tmpdir = folder != nullptr && *folder == '/';
  ErrorOr<UniqueFd> file = unnamed_file(use_tmpdir ? folder : "/tmp");
  if (!file && use_tmpdir) file = unnamed_file("/tmp");
  if (!file) return error_from_errno(file.error().value());
  for (std::uint64_t offset = 0; offset < memory_.size();) {
    const ssize_t put = retry_on_eintr([&] {
      return ::pwrite(file->get(), memory_.data() + offset,
                      std::min<std::uint64_t>(memory_.size() - offset, kChunk),
                      static_cast<off_t>(offset));
    });
    if (put <= 0) return error_from_errno(errno);
    offset += static_cast<std::uint64_t>(put);
  }
  file_ = *std::move(file);
  std::vector<char>().swap(memory_);
  return S_OK;
}

StreamContent::StreamContent(std::shared_ptr<const cfb::Reader> reader, std::uint32_t index,
                             std::uint64_t size)
    : reader_(std::move(reader)), index_(index), size_(size) {}

HRESULT StreamContent::read(std::uint64_t offset, void* buffer, std::size_t count,
                            std::size_t& read) const {
  read = 0;
  if (offset >= size_) return S_OK;
  count = static_cast<std::size_t>(std::min<std::uint64_t>(count, size_ - offset));
  if (reader_ != nullptr) return reader_->read(index_, offset, buffer, count, read);
  const HRESULT result = scratch_.read(offset, buffer, count);
  if (SUCCEEDED(result)) read = count;
  return result;
}

HRESULT StreamContent::write(std::uint64_t offset, const void* buffer, std::size_t count) {
  if (count == 0) return S_OK;
  const HRESULT made = make_private();
  if (FAILED(made)) return made;
  const HRESULT result = scratch_.write(offset, buffer, count);
  size_ = scratch_.size();
  return result;
}

HRESULT StreamContent::set_size(std::uint64_t size) {
  const HRESULT made = make_private();
  if (FAILED(made)) return made;
  const HRESULT result = scratch_.resize(size);
  size_ = scratch_.size();
  return result;
}

HRESULT StreamContent::make_private() {
  if (reader_ == nullptr) return S_OK;
  ScratchBytes copy;
  HRESULT result = copy.resize(size_);
  std::vector<char> chunk(static_cast<std::size_t>(std::min<std::uint64_t>(size_, kChunk)));
  for (std::uint64_t offset = 0; SUCCEEDED(result) && offset < size_;) {
    std::size_t got = 0;
    result = reader_->read(index_, offset, chunk.data(), chunk.size(), got);
    if (SUCCEEDED(result) && got == 0) result = STG_E_DOCFILECORRUPT;
    if (SUCCEEDED(result)) result = copy.write(offset, chunk.data(), got);
    offset += got;
  }
  if (FAILED(result)) return result;
  scratch_ = std::move(copy);
  reader_ = nullptr;
  return S_OK;
}

}  // namespace vtplatform::storage
