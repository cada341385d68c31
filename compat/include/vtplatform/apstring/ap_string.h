// apString, the platform library's Unicode string, and apStringPos, a position in one.
//
// The text is kept as UTF-16; positions and lengths count UTF-16 code units. Wide text (wchar_t,
// UTF-32 on Linux) goes in through the apStringL and apStringWcs constructors and comes back out
// through wstring(). A wide value that is not a Unicode scalar value (a surrogate, or above
// U+10FFFF) becomes U+FFFD.
#pragma once

#include <cstddef>
#include <string>

#include "vtplatform/export.h"

// Tag of the constructor from a wide string literal: apString(apStringL, L"text").
struct apStringLiteralTag {
  explicit constexpr apStringLiteralTag() = default;
};
inline constexpr apStringLiteralTag apStringL{};

// Tag of the constructor from a NUL-terminated wide string that reports unfaithful conversion:
// apString(apStringWcs, text, error).
struct apStringWcsTag {
  explicit constexpr apStringWcsTag() = default;
};
inline constexpr apStringWcsTag apStringWcs{};

// A position in an apString: the index of a UTF-16 code unit, or the string's length for the
// past-the-end position.
class apStringPos {
 public:
  constexpr explicit apStringPos(std::size_t index) noexcept : index_(index) {}

  constexpr std::size_t index() const noexcept { return index_; }

  friend constexpr bool operator==(apStringPos, apStringPos) noexcept = default;

 private:
  std::size_t index_;
};

class VTPLATFORM_API apString {
 public:
  // The empty string.
  apString() = default;

  // From a wide literal, up to its NUL; a null pointer gives the empty string.
  apString(apStringLiteralTag, const wchar_t* literal);

  // From a NUL-terminated wide string; a null pointer gives the empty string. `error` is set to 1
  // when a value had to be replaced by U+FFFD, else to 0.
  apString(apStringWcsTag, const wchar_t* text, int& error);

  explicit apString(std::u16string text) noexcept;

  // The UTF-16 text, which may hold U+0000.
  const std::u16string& u16() const noexcept { return text_; }

  // The text as wide characters; an unpaired surrogate comes out as U+FFFD.
  std::wstring wstring() const;

  // The number of UTF-16 code units.
  std::size_t length() const noexcept { return text_.size(); }

  // The position of the first occurrence of `other`, or end() when there is none. An empty
  // `other` is found at position 0.
  apStringPos find_substring(const apString& other) const noexcept;

  // The past-the-end position.
  apStringPos end() const noexcept { return apStringPos(text_.size()); }

  friend bool operator==(const apString&, const apString&) = default;

 private:
  std::u16string text_;
};
