// CStringT for char and wchar_t, and the process's string manager. The searches and the trimming
// step over whole characters of the ANSI code page (see cstring_chars.h); the formatting runs on
// the C library's printf family.
#include "vtplatform/mfc/cstring.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <memory>
#include <new>
#include <optional>
#include <string_view>
#include <utility>

#include "mfc/cstring_chars.h"
#include "mfc/string_resources.h"

namespace {

using vtplatform::CharMeasure;

class DefaultStringMgr final : public IAtlStringMgr {
 public:
  void* Allocate(std::size_t bytes) override { return ::operator new(bytes); }
  void Free(void* block) noexcept override { ::operator delete(block); }
};

// A text argument: null counts as the empty text.
template <typename Char>
std::basic_string_view<Char> view_of(const Char* text) {
  return text != nullptr ? std::basic_string_view<Char>(text) : std::basic_string_view<Char>();
}

// A count or index argument clamped to [0, limit].
std::size_t clamp_to(int value, std::size_t limit) {
  return value < 0 ? 0 : std::min(static_cast<std::size_t>(value), limit);
}

int index_or_none(std::size_t position) {
  return position == std::string_view::npos ? -1 : static_cast<int>(position);
}

// The character that starts at `at`, which must lie inside `text`.
template <typename Char>
std::basic_string_view<Char> char_at(std::basic_string_view<Char> text, std::size_t at,
                                     const CharMeasure<Char>& measure) {
  return text.substr(at, measure(text.data() + at, text.size() - at));
}

template <typename Char>
bool is_single(std::basic_string_view<Char> ch, Char unit) {
  return ch.size() == 1 && ch.front() == unit;
}

// ASCII white space: space, \t, \n, \v, \f and \r.
template <typename Char>
bool is_white_space(std::basic_string_view<Char> ch) {
  return ch.size() == 1 && (ch.front() == ' ' || (ch.front() >= '\t' && ch.front() <= '\r'));
}

// Whether the character `ch` is one of the characters of `set`.
template <typename Char>
bool is_in_set(std::basic_string_view<Char> set, std::basic_string_view<Char> ch,
               const CharMeasure<Char>& measure) {
  for (std::size_t at = 0; at < set.size();) {
    const std::basic_string_view<Char> member = char_at(set, at, measure);
    if (member == ch) return true;
    at += member.size();
  }
  return false;
}

// Ends a va_list on every way out of the function that started it.
class VaListEnd {
 public:
  explicit VaListEnd(std::va_list& args) : args_(args) {}
  VaListEnd(const VaListEnd&) = delete;
  VaListEnd& operator=(const VaListEnd&) = delete;
  ~VaListEnd() { va_end(args_); }

 private:
  std::va_list& args_;
};

// printf-style formatting into a new string; nothing when the C library rejects the format or an
// argument (an invalid conversion, or text that the C locale cannot convert).
std::optional<std::string> formatted(const char* format, std::va_list args) {
  if (format == nullptr) return std::string();
  std::va_list probe;
  va_copy(probe, args);
  const int length = std::vsnprintf(nullptr, 0, format, probe);
  va_end(probe);
  if (length < 0) return std::nullopt;
  std::string text(static_cast<std::size_t>(length), '\0');
  std::vsnprintf(text.data(), text.size() + 1, format, args);
  return text;
}

// vswprintf cannot tell a short buffer from a bad format, so wide text is formatted into a
// growing memory stream instead.
std::optional<std::wstring> formatted(const wchar_t* format, std::va_list args) {
  if (format == nullptr) return std::wstring();
  struct CloseFile {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  struct FreeMemory {
    void operator()(wchar_t* memory) const { std::free(memory); }
  };
  wchar_t* buffer = nullptr;
  std::size_t length = 0;
  int written = 0;
  {
    const std::unique_ptr<std::FILE, CloseFile> stream(open_wmemstream(&buffer, &length));
    if (stream == nullptr) throw std::bad_alloc();
    written = std::vfwprintf(stream.get(), format, args);
  }  // Closing the stream settles `buffer` and `length`.
  const std::unique_ptr<wchar_t, FreeMemory> owned(buffer);
  if (written < 0) return std::nullopt;
  return std::wstring(buffer, length);
}

enum class FormatMode { kReplace, kAppend };

template <typename Char>
void format_onto(std::basic_string<Char>& text, FormatMode mode, const Char* format,
                 std::va_list args) {
  // Formatted apart first: an argument may point into `text` itself.
  std::optional<std::basic_string<Char>> result = formatted(format, args);
  if (mode == FormatMode::kReplace) text.clear();
  if (result) text += *result;
}

}  // namespace

IAtlStringMgr* AfxGetStringManager() {
  static DefaultStringMgr manager;
  return &manager;
}

template <typename T>
CStringT<T>::CStringT(PCXSTR text) : text_(view_of(text)) {}

template <typename T>
CStringT<T>::CStringT(PCYSTR text) {
  if constexpr (std::same_as<T, char>) {
    text_ = vtplatform::ansi_from_wide(view_of(text));
  } else {
    text_ = vtplatform::wide_from_ansi(view_of(text));
  }
}

template <typename T>
CStringT<T>::CStringT(IAtlStringMgr* /*manager*/) {}

template <typename T>
CStringT<T>& CStringT<T>::operator=(PCXSTR text) {
  text_.assign(view_of(text));
  return *this;
}

template <typename T>
int CStringT<T>::StringLength(PCXSTR text) {
  return static_cast<int>(view_of(text).size());
}

template <typename T>
T CStringT<T>::GetAt(int index) const {
  return index >= 0 && index < GetLength() ? text_[index] : T();
}

template <typename T>
CStringT<T>& CStringT<T>::Append(const CStringT& other) {
  text_ += other.text_;
  return *this;
}

template <typename T>
CStringT<T>& CStringT<T>::Append(PCXSTR text) {
  text_ += view_of(text);
  return *this;
}

template <typename T>
void CStringT<T>::Format(PCXSTR format, ...) {
  std::va_list args;
  va_start(args, format);
  const VaListEnd end(args);
  format_onto(text_, FormatMode::kReplace, format, args);
}

template <typename T>
void CStringT<T>::AppendFormat(PCXSTR format, ...) {
  std::va_list args;
  va_start(args, format);
  const VaListEnd end(args);
  format_onto(text_, FormatMode::kAppend, format, args);
}

template <typename T>
int CStringT<T>::Compare(PCXSTR text) const {
  // char_traits<char> compares bytes as unsigned char, as strcmp does.
  return std::basic_string_view<T>(text_).compare(view_of(text));
}

template <typename T>
int CStringT<T>::CompareNoCase(PCXSTR text) const {
  std::basic_string<T> mine = text_;
  std::basic_string<T> theirs(view_of(text));
  vtplatform::map_case(mine, vtplatform::CaseMapping::kLower);
  vtplatform::map_case(theirs, vtplatform::CaseMapping::kLower);
  return std::basic_string_view<T>(mine).compare(theirs);
}

template <typename T>
int CStringT<T>::Find(PCXSTR sub, int start) const {
  const std::basic_string_view<T> text(text_);
  const std::basic_string_view<T> needle = view_of(sub);
  if (start > GetLength()) return -1;
  const std::size_t from = clamp_to(start, text.size());
  const CharMeasure<T> measure;
  if (measure.one_unit_per_char()) return index_or_none(text.find(needle, from));
  for (std::size_t at = from;; at += char_at(text, at, measure).size()) {
    if (text.substr(at).starts_with(needle)) return static_cast<int>(at);
    if (at == text.size()) return -1;
  }
}

template <typename T>
int CStringT<T>::Find(XCHAR ch, int start) const {
  const std::basic_string_view<T> text(text_);
  const CharMeasure<T> measure;
  const std::size_t from = clamp_to(start, text.size());
  if (measure.one_unit_per_char()) return index_or_none(text.find(ch, from));
  for (std::size_t at = from; at < text.size();) {
    const std::basic_string_view<T> current = char_at(text, at, measure);
    if (is_single(current, ch)) return static_cast<int>(at);
    at += current.size();
  }
  return -1;
}

template <typename T>
int CStringT<T>::ReverseFind(XCHAR ch) const {
  const std::basic_string_view<T> text(text_);
  const CharMeasure<T> measure;
  if (measure.one_unit_per_char()) return index_or_none(text.rfind(ch));
  int found = -1;
  for (std::size_t at = 0; at < text.size();) {
    const std::basic_string_view<T> current = char_at(text, at, measure);
    if (is_single(current, ch)) found = static_cast<int>(at);
    at += current.size();
  }
  return found;
}

template <typename T>
CStringT<T> CStringT<T>::Left(int count) const {
  return Mid(0, count);
}

template <typename T>
CStringT<T> CStringT<T>::Mid(int first) const {
  return Mid(first, GetLength());
}

template <typename T>
CStringT<T> CStringT<T>::Mid(int first, int count) const {
  const std::size_t from = clamp_to(first, text_.size());
  CStringT part;
  part.text_.assign(text_, from, clamp_to(count, text_.size() - from));
  return part;
}

template <typename T>
CStringT<T> CStringT<T>::Right(int count) const {
  return Mid(GetLength() - static_cast<int>(clamp_to(count, text_.size())));
}

template <typename T>
int CStringT<T>::Replace(PCXSTR old_text, PCXSTR new_text) {
  const std::basic_string_view<T> old_view = view_of(old_text);
  if (old_view.empty()) return 0;
  // Built apart: `new_text` may point into this string.
  std::basic_string<T> replaced;
  int count = 0;
  std::size_t copied = 0;
  for (int at = Find(old_text); at >= 0; at = Find(old_text, static_cast<int>(copied))) {
    replaced.append(text_, copied, static_cast<std::size_t>(at) - copied);
    replaced += view_of(new_text);
    copied = static_cast<std::size_t>(at) + old_view.size();
    ++count;
  }
  if (count > 0) {
    replaced.append(text_, copied);
    text_ = std::move(replaced);
  }
  return count;
}

template <typename T>
int CStringT<T>::Replace(XCHAR old_char, XCHAR new_char) {
  if (old_char == new_char) return 0;
  int count = 0;
  for (int at = Find(old_char); at >= 0; at = Find(old_char, at + 1)) {
    text_[static_cast<std::size_t>(at)] = new_char;
    ++count;
  }
  return count;
}

template <typename T>
CStringT<T> CStringT<T>::Tokenize(PCXSTR delimiters, int& start) const {
  const std::basic_string_view<T> text(text_);
  const std::basic_string_view<T> delimiter_set = view_of(delimiters);
  const CharMeasure<T> measure;
  std::size_t at = start < 0 ? text.size() : static_cast<std::size_t>(start);
  // Skip the delimiters before the token.
  while (at < text.size()) {
    const std::basic_string_view<T> current = char_at(text, at, measure);
    if (!is_in_set(delimiter_set, current, measure)) break;
    at += current.size();
  }
  if (at >= text.size()) {
    start = -1;
    return CStringT();
  }
  // The token runs to the next delimiter; `start` moves past that delimiter, or past the end.
  std::size_t end = at;
  std::size_t next = text.size() + 1;
  while (end < text.size()) {
    const std::basic_string_view<T> current = char_at(text, end, measure);
    if (is_in_set(delimiter_set, current, measure)) {
      next = end + current.size();
      break;
    }
    end += current.size();
  }
  start = static_cast<int>(next);
  CStringT token;
  token.text_.assign(text, at, end - at);
  return token;
}

template <typename T>
CStringT<T>& CStringT<T>::Trim() {
  TrimRight();
  return TrimLeft();
}

template <typename T>
CStringT<T>& CStringT<T>::TrimLeft() {
  const std::basic_string_view<T> text(text_);
  const CharMeasure<T> measure;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::basic_string_view<T> current = char_at(text, at, measure);
    if (!is_white_space(current)) break;
    at += current.size();
  }
  text_.erase(0, at);
  return *this;
}

template <typename T>
CStringT<T>& CStringT<T>::TrimRight() {
  // Walks forward: in a double-byte code page a trail byte may look like white space.
  const std::basic_string_view<T> text(text_);
  const CharMeasure<T> measure;
  std::size_t kept = 0;
  for (std::size_t at = 0; at < text.size();) {
    const std::basic_string_view<T> current = char_at(text, at, measure);
    at += current.size();
    if (!is_white_space(current)) kept = at;
  }
  text_.resize(kept);
  return *this;
}

template <typename T>
CStringT<T>& CStringT<T>::MakeLower() {
  vtplatform::map_case(text_, vtplatform::CaseMapping::kLower);
  return *this;
}

template <typename T>
CStringT<T>& CStringT<T>::MakeUpper() {
  vtplatform::map_case(text_, vtplatform::CaseMapping::kUpper);
  return *this;
}

template <typename T>
T* CStringT<T>::GetBuffer() {
  return text_.data();
}

template <typename T>
T* CStringT<T>::GetBuffer(int min_length) {
  // The string's own terminator gives the room for the NUL after `min_length` units.
  if (min_length > GetLength()) text_.resize(static_cast<std::size_t>(min_length));
  return text_.data();
}

template <typename T>
T* CStringT<T>::GetBufferSetLength(int length) {
  text_.resize(clamp_to(length, text_.max_size()));
  return text_.data();
}

template <typename T>
void CStringT<T>::ReleaseBuffer(int length) {
  text_.resize(length < 0 ? std::char_traits<T>::length(text_.c_str())
                          : clamp_to(length, text_.size()));
}

template <typename T>
BOOL CStringT<T>::LoadString(UINT id) {
  const std::optional<std::string> utf8 = vtplatform::find_string_resource(id);
  if (!utf8) {
    text_.clear();
    return FALSE;
  }
  if constexpr (std::same_as<T, char>) {
    text_ = vtplatform::ansi_from_utf8(*utf8);
  } else {
    text_ = vtplatform::wide_from_utf8(*utf8);
  }
  return TRUE;
}

// Exported by the VTPLATFORM_API of the extern declarations in the header.
template class CStringT<char>;
template class CStringT<wchar_t>;
