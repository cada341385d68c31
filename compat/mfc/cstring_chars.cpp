// Conversion and case mapping of CString and CStringW text, on the layer's code pages and ICU's
// simple case mappings.
#include "mfc/cstring_chars.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

#include <cstdint>
#include <optional>

namespace vtplatform {
namespace {

UChar32 map_code_point(UChar32 c, CaseMapping mapping) {
  return mapping == CaseMapping::kLower ? u_tolower(c) : u_toupper(c);
}

// The one character that `bytes` encode in `code_page`, or nothing when they do not decode or
// decode to more than one character.
std::optional<UChar32> decode_one(const CodePage& code_page, std::string_view bytes) {
  bool lossy = false;
  const std::u16string decoded = code_page.decode(bytes, lossy);
  const auto length = static_cast<int32_t>(decoded.size());
  if (lossy || length == 0) return std::nullopt;
  int32_t index = 0;
  UChar32 c = 0;
  U16_NEXT(decoded.data(), index, length, c);
  if (index != length) return std::nullopt;
  return c;
}

// Appends the mapping of the one character `original` (bytes in `code_page`) to `out`, or
// `original` itself when it is no character or its mapping has no encoding in the code page.
void append_mapped(const CodePage& code_page, std::string_view original, CaseMapping mapping,
                   std::string& out) {
  const std::optional<UChar32> c = decode_one(code_page, original);
  const UChar32 mapped = c ? map_code_point(*c, mapping) : 0;
  if (!c || mapped == *c) {
    out += original;
    return;
  }
  char16_t units[U16_MAX_LENGTH];
  int32_t length = 0;
  U16_APPEND_UNSAFE(units, length, mapped);
  bool lossy = false;
  const std::string encoded = code_page.encode(std::u16string_view(units, length), lossy);
  out += lossy ? original : std::string_view(encoded);
}

}  // namespace

std::string ansi_from_wide(std::wstring_view wide) {
  bool lossy = false;
  return ansi_code_page().encode(utf16_from_wide(wide, lossy), lossy);
}

std::wstring wide_from_ansi(std::string_view ansi) {
  bool lossy = false;
  return ansi_code_page().decode_wide(ansi, lossy);
}

std::string ansi_from_utf8(std::string_view utf8) {
  bool lossy = false;
  return ansi_code_page().encode(utf8_code_page().decode(utf8, lossy), lossy);
}

std::wstring wide_from_utf8(std::string_view utf8) {
  bool lossy = false;
  return utf8_code_page().decode_wide(utf8, lossy);
}

void map_case(std::string& ansi, CaseMapping mapping) {
  const CodePage& code_page = ansi_code_page();
  const CharMeasure<char> measure;
  std::string mapped;
  mapped.reserve(ansi.size());
  for (std::size_t at = 0; at < ansi.size();) {
    const std::string_view original(ansi.data() + at, measure(ansi.data() + at, ansi.size() - at));
    const auto first = static_cast<unsigned char>(original.front());
    // ASCII is the same in every ANSI code page and needs no converter.
    if (original.size() == 1 && first < 0x80) {
      mapped += static_cast<char>(map_code_point(first, mapping));
    } else {
      append_mapped(code_page, original, mapping, mapped);
    }
    at += original.size();
  }
  ansi = std::move(mapped);
}

void map_case(std::wstring& wide, CaseMapping mapping) {
  for (wchar_t& c : wide) {
    // Values outside Unicode are no characters and stay as they are.
    if (c >= 0 && c <= 0x10FFFF) c = static_cast<wchar_t>(map_code_point(c, mapping));
  }
}

}  // namespace vtplatform
