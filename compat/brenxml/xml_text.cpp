// Conversions and checks of the text that enters and leaves XML documents.
#include "brenxml/xml_text.h"

#include <unicode/utf8.h>

#include "win32/text/code_pages.h"

namespace vtplatform {
namespace {

// XML 1.0's Char production: tab, line feed, carriage return and the characters from U+0020 on,
// without the surrogates and U+FFFE and U+FFFF.
bool is_xml_char(UChar32 c) {
  if (c < 0x20) return c == 0x09 || c == 0x0A || c == 0x0D;
  return c <= 0xD7FF || (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

bool is_name_start_char(UChar32 c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' ||
         (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) ||
         (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) ||
         (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
         (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) ||
         (c >= 0xF900 && c <= 0xFDCF) || (c >= 0xFDF0 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0xEFFFF);
}

bool is_name_char(UChar32 c) {
  return is_name_start_char(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 ||
         (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

// `utf8` when it is a Name; it is valid UTF-8 already.
bool is_xml_name(std::string_view utf8) {
  if (utf8.empty()) return false;
  const auto length = static_cast<int32_t>(utf8.size());
  for (int32_t i = 0; i < length;) {
    const bool first = i == 0;
    UChar32 c = 0;
    U8_NEXT(utf8.data(), i, length, c);
    if (!(first ? is_name_start_char(c) : is_name_char(c))) return false;
  }
  return true;
}

}  // namespace

std::size_t first_invalid_xml_char(std::string_view utf8) {
  const auto length = static_cast<int64_t>(utf8.size());
  for (int64_t i = 0; i < length;) {
    const int64_t start = i;
    UChar32 c = 0;
    U8_NEXT(utf8.data(), i, length, c);
    if (c < 0 || !is_xml_char(c)) return static_cast<std::size_t>(start);
  }
  return std::string_view::npos;
}

std::optional<std::string> xml_text_from_ansi(const char* ansi) {
  if (ansi == nullptr) return std::nullopt;
  std::string utf8;
  const CodePage& code_page = ansi_code_page();
  if (code_page.is_utf8()) {
    utf8 = ansi;
  } else {
    bool lossy = false;
    utf8 = utf8_code_page().encode(code_page.decode(ansi, lossy), lossy);
    if (lossy) return std::nullopt;
  }
  if (first_invalid_xml_char(utf8) != std::string::npos) return std::nullopt;
  return utf8;
}

std::optional<std::string> xml_name_from_ansi(const char* ansi) {
  std::optional<std::string> name = xml_text_from_ansi(ansi);
  if (!name || !is_xml_name(*name)) return std::nullopt;
  return name;
}

std::optional<std::string> ansi_from_xml_text(std::string_view utf8) {
  const CodePage& code_page = ansi_code_page();
  if (code_page.is_utf8()) return std::string(utf8);
  bool lossy = false;
  std::string ansi = code_page.encode(utf8_code_page().decode(utf8, lossy), lossy);
  if (lossy) return std::nullopt;
  return ansi;
}

}  // namespace vtplatform
