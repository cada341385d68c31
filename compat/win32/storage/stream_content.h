// The content of one stream while its document is open: the bytes of the stream in the last
// committed file until the stream is first changed, then a private copy that grows in memory and
// moves to an unnamed temporary file once it is large.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "win32/core/unique_fd.h"
#include "win32/storage/compound_file.h"

namespace vtplatform::storage {

// Growable private bytes: a vector while small, an unnamed temporary file beyond that, so that a
// stream of any size is edited with bounded memory.
class ScratchBytes {
 public:
  std::uint64_t size() const { return size_; }
  // Reads `count` bytes from `offset`, which the caller keeps within the size.
  HRESULT read(std::uint64_t offset, void* buffer, std::size_t count) const;
  // Writes at `offset`, growing the size as needed (a gap reads as zeros).
  HRESULT write(std::uint64_t offset, const void* buffer, std::size_t count);
  HRESULT resize(std::uint64_t size);

 private:
  HRESULT move_to_file();

  std::uint64_t size_ = 0;
  std::vector<char> memory_;
  UniqueFd file_;  // in use once the bytes outgrow memory
};

class StreamContent {
 public:
  // Empty content.
  StreamContent() = default;
  // The stream element `index` of `reader`.
  StreamContent(std::shared_ptr<const cfb::Reader> reader, std::uint32_t index, std::uint64_t size);

  std::uint64_t size() const { return size_; }
  // Reads up to `count` bytes from `offset`; `read` tells how many (0 past the end).
  HRESULT read(std::uint64_t offset, void* buffer, std::size_t count, std::size_t& read) const;
  HRESULT write(std::uint64_t offset, const void* buffer, std::size_t count);
  HRESULT set_size(std::uint64_t size);

 private:
  // Copies the committed bytes into private bytes before the first change.
  HRESULT make_private();

  std::shared_ptr<const cfb::Reader> reader_;  // null once the content is private
  std::uint32_t index_ = 0;
  std::uint64_t size_ = 0;
  ScratchBytes scratch_;
};

}  // namespace vtplatform::storage
