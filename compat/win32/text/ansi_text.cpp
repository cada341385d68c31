// Searching and comparing narrow text character by character.
#include "win32/text/ansi_text.h"

#include <algorithm>

namespace vtplatform {

std::size_t AnsiText::find_first_of(std::string_view set, std::size_t from) const {
  if (page_.ascii_is_self_contained()) return text_.find_first_of(set, from);
  for (std::size_t at = from; at < text_.size(); at = next(at)) {
    if (set.find(text_[at]) != std::string_view::npos) return at;
  }
  return std::string_view::npos;
}

std::size_t AnsiText::find_last_of(std::string_view set) const {
  if (page_.ascii_is_self_contained()) return text_.find_last_of(set);
  std::size_t found = std::string_view::npos;
  for (std::size_t at = 0; at < text_.size(); at = next(at)) {
    if (set.find(text_[at]) != std::string_view::npos) found = at;
  }
  return found;
}

bool AnsiText::has_char_at(std::size_t at, char c) const {
  if (at >= text_.size() || text_[at] != c) return false;
  if (page_.ascii_is_self_contained()) return true;
  std::size_t start = 0;
  while (start < at) start = next(start);
  return start == at;
}

std::string_view AnsiText::first_chars(std::size_t count) const {
  std::size_t end = 0;
  for (; count > 0 && end < text_.size(); --count) end = next(end);
  return text_.substr(0, end);
}

bool AnsiText::ends_in_lead_byte() const {
  if (page_.ascii_is_self_contained()) return false;
  std::size_t last = 0;
  for (std::size_t at = 0; at < text_.size(); at = next(at)) last = at;
  return last + 1 == text_.size() && page_.is_lead_byte(static_cast<unsigned char>(text_[last]));
}

bool same_name(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  const CodePage& page = ansi_code_page();
  if (page.ascii_is_self_contained()) {
    return std::equal(a.begin(), a.end(), b.begin(),
                      [](char x, char y) { return ascii_lower(x) == ascii_lower(y); });
  }
  const AnsiText text(a, page);
  for (std::size_t at = 0; at < a.size();) {
    const std::size_t end = text.next(at);
    // Only a character of one byte can be an ASCII letter.
    const bool same = end - at == 1 ? ascii_lower(a[at]) == ascii_lower(b[at])
                                    : a.substr(at, end - at) == b.substr(at, end - at);
    if (!same) return false;
    at = end;
  }
  return true;
}

}  // namespace vtplatform
