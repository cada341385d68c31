// The application framework's strings: CString, narrow text in the ANSI code page, and CStringW,
// wide text (UTF-32 on Linux). Both are the one class template CStringT, instantiated for char and
// wchar_t inside libvtplatform.so.
//
// Strings are plain values: every copy owns its text, so changing one never shows in another.
// Lengths and indices count code units: bytes in a CString, wchar_t in a CStringW. An index that
// finds nothing is -1.
//
// Narrow text follows the ANSI code page's character boundaries. In a multi-byte code page (UTF-8,
// or a double-byte page whose trail bytes can look like '\\' or a letter) Find, ReverseFind,
// Tokenize, Trim, MakeLower and MakeUpper step over whole characters and never match inside one.
// Left, Mid and the buffer calls take byte counts as given.
//
// Bad arguments never crash: a null text pointer counts as the empty text, negative counts and
// indices are clamped to zero, and counts past the end take what is there.
#pragma once

#include <compare>
#include <concepts>
#include <cstddef>
#include <string>
#include <type_traits>

#include "vtplatform/export.h"
#include "vtplatform/win32/types.h"

// The allocator from which the framework lets a string draw its memory.
//
// Strings of this layer keep their text in the default heap, whichever manager they are given:
// the constructor that takes a manager exists so that code written for the framework builds
// unchanged, and it neither keeps nor calls the manager. The process has one manager, the default
// heap, returned by AfxGetStringManager().
class VTPLATFORM_API IAtlStringMgr {
 public:
  // Returns at least `bytes` bytes, suitably aligned for any character type. Throws
  // std::bad_alloc when the memory is not there.
  virtual void* Allocate(std::size_t bytes) = 0;
  // Returns a block from Allocate of the same manager; null is ignored.
  virtual void Free(void* block) noexcept = 0;

 protected:
  ~IAtlStringMgr() = default;
};

// The process's string manager: the default heap. Never null; lives as long as the process.
VTPLATFORM_API IAtlStringMgr* AfxGetStringManager();

template <typename T>
class CStringT {
  static_assert(std::same_as<T, char> || std::same_as<T, wchar_t>);

 public:
  using XCHAR = T;  // the string's own character type
  using PXSTR = T*;
  using PCXSTR = const T*;
  using YCHAR = std::conditional_t<std::same_as<T, char>, wchar_t, char>;  // the other one
  using PCYSTR = const YCHAR*;

  CStringT() = default;
  // Copies `text` up to its terminating NUL.
  CStringT(PCXSTR text);
  // Converts `text`: wide text to the ANSI code page for a CString ('?' stands for what the code
  // page cannot hold), ANSI text to wide text for a CStringW (U+FFFD for invalid bytes).
  CStringT(PCYSTR text);
  // An empty string. The manager is not kept; see IAtlStringMgr.
  explicit CStringT(IAtlStringMgr* manager);

  CStringT(const CStringT&) = default;
  CStringT(CStringT&&) noexcept = default;
  CStringT& operator=(const CStringT&) = default;
  CStringT& operator=(CStringT&&) noexcept = default;
  CStringT& operator=(PCXSTR text);

  // The NUL-terminated content, valid until the string next changes.
  operator PCXSTR() const { return text_.c_str(); }
  PCXSTR GetString() const { return text_.c_str(); }

  int GetLength() const { return static_cast<int>(text_.size()); }
  bool IsEmpty() const { return text_.empty(); }
  void Empty() { text_.clear(); }
  // The length of a NUL-terminated text; 0 for null.
  static int StringLength(PCXSTR text);

  // The code unit at `index`; NUL for an index outside the string.
  XCHAR GetAt(int index) const;
  XCHAR operator[](int index) const { return GetAt(index); }

  CStringT& operator+=(const CStringT& other) { return Append(other); }
  CStringT& operator+=(PCXSTR text) { return Append(text); }
  CStringT& Append(const CStringT& other);
  CStringT& Append(PCXSTR text);

  // printf-style formatting: Format replaces the content, AppendFormat appends. The arguments are
  // those of vsnprintf (CString) or vswprintf (CStringW); pass strings as GetString(). A format
  // that the C library rejects leaves nothing: Format empties the string, AppendFormat leaves it
  // as it was.
  void Format(PCXSTR format, ...);
  void AppendFormat(PCXSTR format, ...);

  // Case-sensitive comparison by code unit value, bytes taken as unsigned (the order of strcmp):
  // 0 when equal, negative when this string sorts first, positive otherwise.
  int Compare(PCXSTR text) const;
  // Compare after both texts are mapped to lower case as MakeLower maps them.
  int CompareNoCase(PCXSTR text) const;

  // The index of the first occurrence of `sub` (of the character `ch`) at or after `start`, or
  // -1. A start past the end finds nothing; the empty text is found at `start`.
  int Find(PCXSTR sub, int start = 0) const;
  int Find(XCHAR ch, int start = 0) const;
  // The index of the last occurrence of `ch`, or -1.
  int ReverseFind(XCHAR ch) const;

  // The first `count` code units.
  CStringT Left(int count) const;
  // From `first` to the end, or `count` code units from `first`.
  CStringT Mid(int first) const;
  CStringT Mid(int first, int count) const;
  // The last `count` code units.
  CStringT Right(int count) const;

  // The next token at or after `start`, where any character of `delimiters` separates tokens.
  // Leading delimiters are skipped, so adjacent delimiters give no empty token. Sets `start` past
  // the delimiter that ends the token (past the end when the token ends the string). When no
  // token is left, or `start` is outside the string, returns an empty string and sets `start` to
  // -1.
  CStringT Tokenize(PCXSTR delimiters, int& start) const;

  // Replaces every occurrence of `old_text`, found from left to right as Find finds it and never
  // overlapping, by `new_text` (null: the empty text), and returns how many there were. An empty
  // `old_text` replaces nothing.
  int Replace(PCXSTR old_text, PCXSTR new_text);
  // Replaces every character that is the single code unit `old_char` by `new_char` and returns
  // how many there were; 0 when the two are the same.
  int Replace(XCHAR old_char, XCHAR new_char);

  // Remove ASCII white space (space, \t, \n, \v, \f, \r) from both ends (Trim), from the
  // start (TrimLeft) or from the end (TrimRight).
  CStringT& Trim();
  CStringT& TrimLeft();
  CStringT& TrimRight();

  // Map each character to lower (upper) case where the mapped character exists in the string's
  // encoding; any other character, and bytes that form no character, stay as they are.
  CStringT& MakeLower();
  CStringT& MakeUpper();

  // Direct writing, for calls that fill a caller's buffer. GetBuffer() gives the content to
  // change in place; GetBuffer(n) gives room for at least n code units and a NUL, keeping the
  // content; GetBufferSetLength(n) makes the length exactly n (truncating or padding with NULs).
  // The pointer stays valid until ReleaseBuffer, which sets the length to `length` (-1: up to the
  // first NUL), never past the buffer.
  PXSTR GetBuffer();
  PXSTR GetBuffer(int min_length);
  PXSTR GetBufferSetLength(int length);
  void ReleaseBuffer(int length = -1);

  // Loads string resource `id` from the resource chain of the host and the extension libraries,
  // converted to the string's encoding. Returns FALSE and empties the string when no table on the
  // chain has the id.
  BOOL LoadString(UINT id);

  // Equality and order as Compare has them, so that strings can key ordered containers.
  friend bool operator==(const CStringT& a, const CStringT& b) { return a.text_ == b.text_; }
  friend bool operator==(const CStringT& a, PCXSTR b) { return a.Compare(b) == 0; }
  friend std::strong_ordering operator<=>(const CStringT& a, const CStringT& b) {
    return a.text_.compare(b.text_) <=> 0;
  }
  friend std::strong_ordering operator<=>(const CStringT& a, PCXSTR b) {
    return a.Compare(b) <=> 0;
  }

  friend CStringT operator+(const CStringT& a, const CStringT& b) { return CStringT(a).Append(b); }
  friend CStringT operator+(const CStringT& a, PCXSTR b) { return CStringT(a).Append(b); }
  friend CStringT operator+(PCXSTR a, const CStringT& b) { return CStringT(a).Append(b); }

 private:
  std::basic_string<T> text_;
};

extern template class VTPLATFORM_API CStringT<char>;
extern template class VTPLATFORM_API CStringT<wchar_t>;

using CString = CStringT<char>;
using CStringW = CStringT<wchar_t>;
