// Wide file names through the ANSI code page.
#include "win32/files/file_name.h"

#include "win32/text/code_pages.h"

namespace vtplatform {

std::wstring wide_file_name(std::string_view name) {
  bool lossy = false;
  return ansi_code_page().decode_wide(name, lossy);
}

std::optional<std::string> narrow_file_name(std::wstring_view name) {
  bool lossy = false;
  std::string bytes = ansi_code_page().encode(utf16_from_wide(name, lossy), lossy);
  if (lossy) return std::nullopt;
  return bytes;
}

}  // namespace vtplatform
