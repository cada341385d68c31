// utString: the shared, reference-counted buffer behind copied text and the substring search.
#include "vtplatform/base/ut_string.h"

#include <atomic>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string_view>
#include <utility>

// The header of one allocation that holds the count followed by the text and its NUL.
struct utString::Buffer {
  std::atomic<std::uint32_t> references{1};

  char* text() { return reinterpret_cast<char*>(this + 1); }

  static Buffer* create(const char* bytes, std::size_t length) {
    if (length > kMaxLength) throw std::length_error("utString: text too long");
    Buffer* buffer = new (::operator new(sizeof(Buffer) + length + 1)) Buffer;
    std::memcpy(buffer->text(), bytes, length);
    buffer->text()[length] = '\0';
    return buffer;
  }

  void retain() { references.fetch_add(1, std::memory_order_relaxed); }

  void release() {
    if (references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
      this->~Buffer();
      ::operator delete(this);
    }
  }
};

utString::utString(const char* text) : utString(text, text ? std::strlen(text) : 0) {}

utString::utString(const char* bytes, std::size_t length) {
  if (bytes == nullptr) return;
  buffer_ = Buffer::create(bytes, length);
  data_ = buffer_->text();
  length_ = static_cast<std::uint32_t>(length);
}

utString::utString(utStringLiteralTag, const char* literal) noexcept
    : data_(literal), length_(literal ? static_cast<std::uint32_t>(std::strlen(literal)) : 0) {}

utString::utString(const utString& other) noexcept
    : data_(other.data_), length_(other.length_), buffer_(other.buffer_) {
  if (buffer_) buffer_->retain();
}

utString::utString(utString&& other) noexcept { swap(other); }

utString& utString::operator=(utString other) noexcept {
  swap(other);
  return *this;
}

utString::~utString() {
  if (buffer_) buffer_->release();
}

void utString::swap(utString& other) noexcept {
  std::swap(data_, other.data_);
  std::swap(length_, other.length_);
  std::swap(buffer_, other.buffer_);
}

int utString::locate_substring(const utString& needle) const noexcept {
  if (is_null()) return -1;
  const std::string_view text(data_, length_);
  const std::size_t index = text.find(std::string_view(needle.data_, needle.length_));
  return index == std::string_view::npos ? -1 : static_cast<int>(index);
}
