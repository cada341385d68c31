// Regedit files as Windows writes them, made by the tests from their own text.
#pragma once

#include <string>
#include <string_view>

namespace vtutils::testing {

// `text` as regedit's export writes it: UTF-16LE after a byte-order mark, each "\n" as "\r\n".
std::string utf16_regedit_file(std::u16string_view text);

}  // namespace vtutils::testing
