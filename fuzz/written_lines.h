// The text that the line-keeping file models (.reg store, INI file) write back for a text they
// read unchanged, to compare their output with.
#pragma once

#include <string>
#include <string_view>

// Each line of `text` without its end (the '\n' and every '\r' before it), followed by
// `line_end`; a last line without '\n' gets one too.
inline std::string written_lines(std::string_view text, std::string_view line_end) {
  std::string lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    while (line.ends_with('\r')) line.remove_suffix(1);
    (lines += line) += line_end;
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}
