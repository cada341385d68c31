// utString, the base library's byte string.
//
// A utString is a pointer to NUL-terminated bytes and a 32-bit byte length. It tells two kinds of
// nothing apart: the null string, which was never given text (null pointer, length 0), and the
// empty string, which has text of length 0 (non-null pointer). Copies share one buffer through an
// atomic reference count, so copying is cheap and the text never changes once built. A string
// made around a literal with the utStringLiteral tag owns no buffer at all and points at the
// literal itself; the literal must outlive every copy. The bytes carry no encoding of their own.
#pragma once

#include <cstddef>
#include <cstdint>

#include "vtplatform/export.h"

// Tag that selects the constructor wrapping a literal without copying it:
//   utString name(utStringLiteral, "FOPDependencies");
struct utStringLiteralTag {
  explicit constexpr utStringLiteralTag() = default;
};
inline constexpr utStringLiteralTag utStringLiteral{};

class VTPLATFORM_API utString {
 public:
  // The longest text a utString holds, so that every byte index fits in an int.
  static constexpr std::size_t kMaxLength = 0x7FFFFFFF;

  // The null string.
  utString() noexcept = default;

  // Copies `text` up to its NUL. A null pointer gives the null string, "" the empty string.
  // Throws std::length_error for a text longer than kMaxLength.
  explicit utString(const char* text);

  // Copies `length` bytes, which may include NUL bytes; a NUL is appended after them. A null
  // `bytes` (with `length` 0) gives the null string.
  utString(const char* bytes, std::size_t length);

  // Points at `literal` without copying it; a null pointer gives the null string.
  utString(utStringLiteralTag, const char* literal) noexcept;

  utString(const utString& other) noexcept;
  utString(utString&& other) noexcept;
  utString& operator=(utString other) noexcept;
  ~utString();

  // The NUL-terminated bytes, null for the null string.
  const char* data() const noexcept { return data_; }
  // The number of bytes before the terminating NUL that belongs to the string.
  std::uint32_t length() const noexcept { return length_; }
  bool is_null() const noexcept { return data_ == nullptr; }

  // Byte index of the first occurrence of `needle`, or -1. The null string contains nothing; an
  // empty or null needle is found at 0 in any string that has text.
  int locate_substring(const utString& needle) const noexcept;

 private:
  struct Buffer;

  void swap(utString& other) noexcept;

  const char* data_ = nullptr;
  std::uint32_t length_ = 0;
  Buffer* buffer_ = nullptr;  // null for the null string and for literals
};
