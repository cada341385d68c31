// CFileFilterBuilder: the filter text of open and save dialogs, built from file types and an
// optional catch-all entry.
#include "vtutils/file_filter_builder.h"

#include <algorithm>
#include <utility>

namespace {

CString load_string(UINT id) {
  CString text;
  text.LoadString(id);  // a missing resource leaves the text empty
  return text;
}

}  // namespace

CFileFilterBuilder::CFileFilterBuilder() : combine_(1) {}

CFileFilterBuilder::CFileFilterBuilder(const CFileFilterBuilder& other) = default;

CFileFilterBuilder& CFileFilterBuilder::operator=(const CFileFilterBuilder& other) = default;

CFileFilterBuilder::CFileFilterBuilder(CFileFilterBuilder&& other)
    : combine_(other.combine_),
      all_files_description_(other.all_files_description_),
      items_(std::exchange(other.items_, {})) {}

CFileFilterBuilder& CFileFilterBuilder::operator=(CFileFilterBuilder&& other) {
  combine_ = other.combine_;
  all_files_description_ = other.all_files_description_;
  items_ = std::exchange(other.items_, {});
  return *this;
}

CFileFilterBuilder::~CFileFilterBuilder() = default;

void CFileFilterBuilder::add_filter_item(const CString& description, const CString& patterns,
                                         bool show_patterns) {
  items_.push_back(FilterItem{description, patterns, show_patterns});
}

void CFileFilterBuilder::add_filter_item(UINT description_id, const CString& patterns,
                                         bool show_patterns) {
  add_filter_item(load_string(description_id), patterns, show_patterns);
}

void CFileFilterBuilder::set_all_files_filter(const CString& description, bool combine) {
  all_files_description_ = description;
  combine_ = combine ? 1 : 0;
}

void CFileFilterBuilder::set_all_files_filter(UINT description_id, bool combine) {
  set_all_files_filter(load_string(description_id), combine);
}

CString CFileFilterBuilder::get_filter(bool all_files_first) const {
  CString filter;
  for (const FilterItem& item : items_) {
    if (item.show_patterns) {
      filter.AppendFormat("%s (%s)|%s|", item.description.GetString(), item.patterns.GetString(),
                          item.patterns.GetString());
    } else {
      filter.AppendFormat("%s|%s|", item.description.GetString(), item.patterns.GetString());
    }
  }
  const CString all_files = get_all_files_filter();
  filter = all_files_first ? all_files + filter : filter + all_files;
  filter += "|";
  return filter;
}

CString CFileFilterBuilder::get_all_files_filter() const {
  CString entry;
  if (all_files_description_.IsEmpty()) return entry;
  if (combine_ == 0) {
    entry.Format("%s (*.*)|*.*|", all_files_description_.GetString());
    return entry;
  }
  if (items_.empty()) return entry;

  std::vector<CString> patterns;
  for (const FilterItem& item : items_) {
    CString list = item.patterns;
    list.MakeLower();
    int position = 0;
    // Tokenize skips empty elements, so doubled, leading and trailing ";" add nothing.
    for (CString pattern = list.Tokenize(";", position); position >= 0;
         pattern = list.Tokenize(";", position)) {
      pattern.Trim();
      if (std::find(patterns.begin(), patterns.end(), pattern) == patterns.end()) {
        patterns.push_back(pattern);
      }
    }
  }
  CString joined;
  for (const CString& pattern : patterns) {
    if (!joined.IsEmpty()) joined += ";";
    joined += pattern;
  }
  entry.Format("%s (%s)|%s|", all_files_description_.GetString(), joined.GetString(),
               joined.GetString());
  return entry;
}
