// apString: construction from wide text, the way back to wide text and the substring search.
#include "vtplatform/apstring/ap_string.h"

#include <string_view>
#include <utility>

#include "win32/text/code_pages.h"

namespace {

std::u16string utf16_from_wide_text(const wchar_t* text, bool& lossy) {
  lossy = false;
  return text ? vtplatform::utf16_from_wide(text, lossy) : std::u16string();
}

}  // namespace

apString::apString(apStringLiteralTag, const wchar_t* literal) {
  bool lossy;
  text_ = utf16_from_wide_text(literal, lossy);
}

apString::apString(apStringWcsTag, const wchar_t* text, int& error) {
  bool lossy;
  text_ = utf16_from_wide_text(text, lossy);
  error = lossy ? 1 : 0;
}

apString::apString(std::u16string text) noexcept : text_(std::move(text)) {}

std::wstring apString::wstring() const {
  bool lossy = false;
  return vtplatform::wide_from_utf16(text_, lossy);
}

apStringPos apString::find_substring(const apString& other) const noexcept {
  const std::size_t index = text_.find(other.text_);
  return index == std::u16string::npos ? end() : apStringPos(index);
}
