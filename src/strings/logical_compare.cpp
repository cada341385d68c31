// Natural-order comparison on the platform's locale-aware comparison, and the function objects
// that convert narrow text for it.
#include "vtutils/logical_compare.h"

#include <climits>
#include <cstring>
#include <memory>
#include <new>

#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/text.h"
#include "vtutils/platform/win32_types.h"

namespace {

// Narrow text converted to wide text with the thread's ANSI code page: in a buffer inside the
// object when the text has at most 128 wide characters with its terminator, on the heap beyond.
// A null text stays null.
class ThreadAcpWideText {
 public:
  explicit ThreadAcpWideText(const char* text) {
    if (text == nullptr) return;
    const std::size_t bytes = std::strlen(text) + 1;
    if (bytes > INT_MAX) AtlThrow(E_INVALIDARG);
    // A code page never needs more wide characters than bytes; ask for the size if it does.
    int capacity = static_cast<int>(bytes);
    wchar_t* buffer = buffer_for(capacity);
    if (MultiByteToWideChar(CP_THREAD_ACP, 0, text, capacity, buffer, capacity) == 0) {
      if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) throw_last_error();
      capacity = MultiByteToWideChar(CP_THREAD_ACP, 0, text, static_cast<int>(bytes), nullptr, 0);
      if (capacity < 0) AtlThrow(E_INVALIDARG);
      if (capacity == 0) throw_last_error();
      buffer = buffer_for(capacity);
      if (MultiByteToWideChar(CP_THREAD_ACP, 0, text, static_cast<int>(bytes), buffer,
                              capacity) == 0) {
        throw_last_error();
      }
    }
    text_ = buffer;
  }
  ThreadAcpWideText(const ThreadAcpWideText&) = delete;
  ThreadAcpWideText& operator=(const ThreadAcpWideText&) = delete;

  const wchar_t* get() const { return text_; }

 private:
  static constexpr int kInlineCapacity = 128;

  wchar_t* buffer_for(int count) {
    if (count <= kInlineCapacity) return inline_;
    heap_.reset(new (std::nothrow) wchar_t[static_cast<std::size_t>(count)]);
    if (!heap_) AtlThrow(E_OUTOFMEMORY);
    return heap_.get();
  }

  [[noreturn]] static void throw_last_error() { AtlThrow(HRESULT_FROM_WIN32(GetLastError())); }

  wchar_t inline_[kInlineCapacity];
  std::unique_ptr<wchar_t[]> heap_;
  const wchar_t* text_ = nullptr;
};

// The null string is compared as the empty text: an ordering needs every value comparable.
const char* text_of(const utString& text) { return text.is_null() ? "" : text.data(); }

int compare_narrow(const vtuLogicalStringCompare& comparison, const char* first,
                   const char* second) {
  const ThreadAcpWideText second_wide(second);
  const ThreadAcpWideText first_wide(first);
  return comparison.compare(first_wide.get(), second_wide.get());
}

}  // namespace

int vtuLogicalStringCompare::compare(const wchar_t* first, const wchar_t* second) const {
  switch (CompareStringEx(LOCALE_NAME_SYSTEM_DEFAULT, SORT_DIGITSASNUMBERS, first, -1, second, -1,
                          nullptr, nullptr, 0)) {
    case CSTR_LESS_THAN:
      return -1;
    case CSTR_GREATER_THAN:
      return 1;
    default:  // equal, or the comparison failed
      return 0;
  }
}

int vtuLogicalStringCompare::case_compare(const wchar_t* first, const wchar_t* second) const {
  return StrCmpLogicalW(first, second);
}

bool vtuLogicalStringEquals::operator()(const utString& first, const utString& second) const {
  return (*this)(text_of(first), text_of(second));
}

bool vtuLogicalStringEquals::operator()(const char* first, const char* second) const {
  return compare_narrow(*this, first, second) == 0;
}

bool vtuLogicalStringLess::operator()(const utString& first, const utString& second) const {
  return (*this)(text_of(first), text_of(second));
}

bool vtuLogicalStringLess::operator()(const char* first, const char* second) const {
  return compare_narrow(*this, first, second) < 0;
}
