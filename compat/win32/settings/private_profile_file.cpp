// The INI file model behind the private profile functions.
#include "win32/settings/private_profile_file.h"

#include <algorithm>
#include <cstring>

#include "win32/text/ansi_text.h"

namespace vtplatform {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view text) {
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
  return text;
}

// The value as the profile functions hand it out: without blanks and one pair of quotes.
std::string read_back(std::string_view raw) {
  std::string_view value = trim(raw);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

bool contains(const std::vector<std::string>& names, std::string_view name) {
  return std::any_of(names.begin(), names.end(),
                     [name](const std::string& known) { return same_name(known, name); });
}

bool has_line_break(const char* text) {
  return text != nullptr && std::strpbrk(text, "\r\n") != nullptr;
}

}  // namespace

ProfileFile ProfileFile::parse(std::string_view text) {
  ProfileFile file;
  bool in_section = false;
  bool first = true;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view raw = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (first && raw.ends_with('\r')) file.line_end_ = "\r\n";
    while (raw.ends_with('\r')) raw.remove_suffix(1);
    first = false;

    Line line{std::string(raw), Kind::kOther, "", ""};
    const std::string_view content = trim(raw);
    if (content.starts_with('[')) {
      const std::size_t close = AnsiText(content).find(']');
      in_section = close != std::string_view::npos;
      line.kind = in_section ? Kind::kSection : Kind::kBadSection;
      if (in_section) line.name = trim(content.substr(1, close - 1));
    } else if (in_section && !content.starts_with(';')) {
      const std::size_t equals = content.find('=');
      if (equals != std::string_view::npos && !trim(content.substr(0, equals)).empty()) {
        line.kind = Kind::kEntry;
        line.name = trim(content.substr(0, equals));
        line.value = read_back(content.substr(equals + 1));
      }
    }
    file.lines_.push_back(std::move(line));
  }
  return file;
}

std::string ProfileFile::serialize() const {
  std::string text;
  for (const Line& line : lines_) (text += line.text) += line_end_;
  return text;
}

template <typename Visit>
void ProfileFile::for_each_in(std::string_view section, Visit visit) const {
  section = trim(section);  // names read from the file lose their blanks too
  bool inside = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind == Kind::kSection || line.kind == Kind::kBadSection) {
      inside = line.kind == Kind::kSection && same_name(line.name, section);
    } else if (inside) {
      visit(i);
    }
  }
}

std::vector<std::string> ProfileFile::section_names() const {
  std::vector<std::string> names;
  for (const Line& line : lines_) {
    if (line.kind == Kind::kSection && !contains(names, line.name)) names.push_back(line.name);
  }
  return names;
}

std::vector<std::string> ProfileFile::key_names(std::string_view section) const {
  std::vector<std::string> names;
  for_each_in(section, [&](std::size_t i) {
    const Line& line = lines_[i];
    if (line.kind == Kind::kEntry && !contains(names, line.name)) names.push_back(line.name);
  });
  return names;
}

const std::string* ProfileFile::find_value(std::string_view section, std::string_view key) const {
  key = trim(key);
  const std::string* found = nullptr;
  for_each_in(section, [&](std::size_t i) {
    const Line& line = lines_[i];
    if (found == nullptr && line.kind == Kind::kEntry && same_name(line.name, key)) {
      found = &line.value;
    }
  });
  return found;
}

void ProfileFile::set_value(std::string_view section, std::string_view key,
                            std::string_view value) {
  section = trim(section);
  key = trim(key);
  std::size_t entry = lines_.size();
  for_each_in(section, [&](std::size_t i) {
    const Line& line = lines_[i];
    if (entry == lines_.size() && line.kind == Kind::kEntry && same_name(line.name, key)) entry = i;
  });
  if (entry != lines_.size()) {
    Line& line = lines_[entry];
    line.text = line.name + "=" + std::string(value);
    line.value = read_back(value);
    return;
  }

  Line line{std::string(key) + "=" + std::string(value), Kind::kEntry, std::string(key),
            read_back(value)};
  // After the last line that is not blank in the last section of that name, so that the blank
  // lines which separate it from the next section stay where they are.
  std::size_t after = lines_.size();
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind == Kind::kSection && same_name(lines_[i].name, section)) after = i;
  }
  if (after != lines_.size()) {
    for_each_in(section, [&](std::size_t i) {
      if (i > after && !trim(lines_[i].text).empty()) after = i;
    });
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(after) + 1, std::move(line));
    return;
  }
  if (!lines_.empty() && !trim(lines_.back().text).empty()) {
    lines_.push_back(Line{"", Kind::kOther, "", ""});
  }
  lines_.push_back(
      Line{"[" + std::string(section) + "]", Kind::kSection, std::string(section), ""});
  lines_.push_back(std::move(line));
}

bool ProfileFile::delete_key(std::string_view section, std::string_view key) {
  key = trim(key);
  std::vector<bool> doomed(lines_.size());
  bool any = false;
  for_each_in(section, [&](std::size_t i) {
    if (lines_[i].kind == Kind::kEntry && same_name(lines_[i].name, key)) any = doomed[i] = true;
  });
  erase_lines(doomed);
  return any;
}

bool ProfileFile::delete_section(std::string_view section) {
  section = trim(section);
  std::vector<bool> doomed(lines_.size());
  bool any = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind == Kind::kSection && same_name(lines_[i].name, section)) {
      any = doomed[i] = true;
    }
  }
  for_each_in(section, [&](std::size_t i) { doomed[i] = true; });
  erase_lines(doomed);
  return any;
}

bool ProfileFile::fits_in_lines(const char* section, const char* key, const char* value) {
  if (has_line_break(section) || has_line_break(key) || has_line_break(value)) return false;
  // As written: without the blanks around it, one of which may have been a lead byte's trail.
  const AnsiText section_text(trim(section));
  if (section_text.find(']') != std::string_view::npos || section_text.ends_in_lead_byte()) {
    return false;
  }
  if (key == nullptr) return true;
  const std::string_view name(key);
  const std::size_t first = name.find_first_not_of(" \t");
  return first != std::string_view::npos && name[first] != '[' && name[first] != ';' &&
         name.find('=') == std::string_view::npos;
}

void ProfileFile::erase_lines(const std::vector<bool>& doomed) {
  std::vector<Line> kept;
  kept.reserve(lines_.size());
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (!doomed[i]) kept.push_back(std::move(lines_[i]));
  }
  lines_ = std::move(kept);
}

}  // namespace vtplatform
