// Text crossing the XML library's interface: narrow text in the ANSI code page is held in
// documents as UTF-8, and only text that XML 1.0 allows gets in. Internal to libvtplatform.so.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vtplatform {

// The UTF-8 form of `ansi`. Nothing for a null pointer, for bytes the ANSI code page cannot
// decode and for characters that XML cannot hold.
std::optional<std::string> xml_text_from_ansi(const char* ansi);
// The same for an element or attribute name, which must also match XML's Name production.
std::optional<std::string> xml_name_from_ansi(const char* ansi);
// The ANSI form of UTF-8 text from a document; nothing when the ANSI code page cannot hold it.
std::optional<std::string> ansi_from_xml_text(std::string_view utf8);

// The byte offset of the first sequence in `utf8` that is not valid UTF-8 or is a character that
// XML cannot hold; npos when there is none.
std::size_t first_invalid_xml_char(std::string_view utf8);

}  // namespace vtplatform
