// Parsing and writing the registry's ".reg" text store.
#include "win32/settings/reg_file.h"

#include <algorithm>

#include "win32/text/ansi_text.h"

namespace vtplatform {
namespace {

constexpr std::string_view kVersionHeader = "Windows Registry Editor Version 5.00";

bool is_blank_line(std::string_view text) {
  return text.find_first_not_of(" \t") == std::string_view::npos;
}

// Whether the key `key` is the key `path` or one below it.
bool is_at_or_below(std::string_view key, std::string_view path) {
  return same_name(key.substr(0, path.size()), path) &&
         (key.size() == path.size() || AnsiText(key).has_char_at(path.size(), '\\'));
}

}  // namespace

RegFile RegFile::parse(std::string_view text) {
  RegFile file;
  const std::vector<std::string_view> lines = split_reg_lines(text);
  if (lines.empty()) {
    file.preamble_.push_back({std::string(kVersionHeader), std::nullopt});
    file.preamble_.push_back({});
    return file;
  }
  std::vector<Entry>* entries = &file.preamble_;
  for (std::size_t i = 0, count = 1; i < lines.size(); i += count) {
    if (is_reg_header(lines[i])) {
      // A deletion header belongs in an import, not in the store: it names no key here.
      const auto header = parse_reg_header(lines[i]);
      file.sections_.push_back({std::string(lines[i]),
                                header && !header->deletes ? std::optional(header->path)
                                                           : std::nullopt,
                                {}});
      entries = &file.sections_.back().entries;
      count = 1;
      continue;
    }
    const std::string logical = join_reg_line(lines, i, count);
    Entry entry{std::string(lines[i]), parse_reg_value(logical)};
    for (std::size_t more = 1; more < count; ++more) (entry.text += '\n') += lines[i + more];
    entries->push_back(std::move(entry));
  }
  return file;
}

std::string RegFile::serialize() const {
  // A store that holds nothing, not even the lines it was read from, is written as a new one,
  // which is what reading an empty file gives.
  if (preamble_.empty() && sections_.empty()) return std::string(kVersionHeader) + "\n\n";
  std::string text;
  const auto write_entries = [&text](const std::vector<Entry>& entries) {
    for (const Entry& entry : entries) {
      text += entry.value && entry.text.empty() ? format_reg_value(*entry.value) : entry.text;
      text += '\n';
    }
  };
  write_entries(preamble_);
  for (const Section& section : sections_) {
    text += section.header;
    text += '\n';
    write_entries(section.entries);
  }
  return text;
}

bool RegFile::fits_in_lines(std::string_view name) {
  return name.find_first_of("\r\n") == std::string_view::npos &&
         !AnsiText(name).ends_in_lead_byte();
}

bool RegFile::is_store_text(std::string_view text) {
  return !text.starts_with("\xff\xfe") && !text.starts_with("\xfe\xff") &&
         text.find('\0') == std::string_view::npos;
}

bool RegFile::is_blank(const Entry& entry) { return !entry.value && is_blank_line(entry.text); }

bool RegFile::has_key(std::string_view path) const {
  return std::any_of(sections_.begin(), sections_.end(), [path](const Section& section) {
    return section.path && is_at_or_below(*section.path, path);
  });
}

bool RegFile::has_subkeys(std::string_view path) const {
  return std::any_of(sections_.begin(), sections_.end(), [path](const Section& section) {
    if (!section.path) return false;
    const std::string_view key = *section.path;
    return AnsiText(key).has_char_at(path.size(), '\\') &&
           same_name(key.substr(0, path.size()), path);
  });
}

bool RegFile::delete_key(std::string_view path) {
  return std::erase_if(sections_, [path](const Section& section) {
           return section.path && same_name(*section.path, path);
         }) > 0;
}

bool RegFile::delete_tree(std::string_view path) {
  return std::erase_if(sections_, [path](const Section& section) {
           return section.path && is_at_or_below(*section.path, path);
         }) > 0;
}

std::vector<std::string> RegFile::keys_at_or_below(std::string_view path) const {
  std::vector<std::string> keys;
  for (const Section& section : sections_) {
    if (!section.path || !is_at_or_below(*section.path, path)) continue;
    if (std::none_of(keys.begin(), keys.end(),
                     [&](const std::string& key) { return same_name(key, *section.path); })) {
      keys.push_back(*section.path);
    }
  }
  return keys;
}

std::vector<RegValue> RegFile::values(std::string_view path) const {
  std::vector<RegValue> values;
  for (const Section& section : sections_) {
    if (!section.path || !same_name(*section.path, path)) continue;
    for (const Entry& entry : section.entries) {
      if (!entry.value) continue;
      const auto same = std::find_if(values.begin(), values.end(), [&](const RegValue& value) {
        return same_name(value.name, entry.value->name);
      });
      if (same == values.end()) {
        values.push_back(*entry.value);
      } else {  // the last one counts, as in find_value, under its first place and spelling
        same->type = entry.value->type;
        same->data = entry.value->data;
      }
    }
  }
  return values;
}

void RegFile::add_key(std::string_view path) {
  if (!has_key(path)) add_section(path);
}

RegFile::Section& RegFile::add_section(std::string_view path) {
  // Sections are separated by a blank line, as regedit writes them.
  std::vector<Entry>& before = sections_.empty() ? preamble_ : sections_.back().entries;
  if (!before.empty() && !is_blank(before.back())) before.push_back({});
  sections_.push_back({"[" + std::string(path) + "]", std::string(path), {Entry{}}});
  return sections_.back();
}

const RegValue* RegFile::find_value(std::string_view path, std::string_view name) const {
  const RegValue* found = nullptr;
  for (const Section& section : sections_) {
    if (!section.path || !same_name(*section.path, path)) continue;
    for (const Entry& entry : section.entries) {
      if (entry.value && same_name(entry.value->name, name)) found = &*entry.value;
    }
  }
  return found;
}

void RegFile::set_value(std::string_view path, const RegValue& value) {
  Section* last_section = nullptr;
  Entry* last_entry = nullptr;
  for (Section& section : sections_) {
    if (!section.path || !same_name(*section.path, path)) continue;
    last_section = &section;
    for (Entry& entry : section.entries) {
      if (entry.value && same_name(entry.value->name, value.name)) last_entry = &entry;
    }
  }
  if (last_entry != nullptr) {
    last_entry->value = RegValue{last_entry->value->name, value.type, value.data};
    last_entry->text.clear();
    return;
  }
  Section& section = last_section != nullptr ? *last_section : add_section(path);
  // After the section's last line that is not blank, so that the blank line between sections
  // stays where it is.
  auto end = section.entries.end();
  while (end != section.entries.begin() && is_blank(*std::prev(end))) --end;
  section.entries.insert(end, Entry{{}, value});
}

bool RegFile::delete_value(std::string_view path, std::string_view name) {
  bool deleted = false;
  for (Section& section : sections_) {
    if (!section.path || !same_name(*section.path, path)) continue;
    deleted |= std::erase_if(section.entries, [name](const Entry& entry) {
                 return entry.value && same_name(entry.value->name, name);
               }) > 0;
  }
  return deleted;
}

}  // namespace vtplatform
