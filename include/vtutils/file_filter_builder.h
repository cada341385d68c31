// CFileFilterBuilder: assembles the file-type list of open and save dialogs in the framework's
// filter format, display text and pattern list alternating, each ended by "|", the whole list
// ended by one more "|":
//
//   Text files (*.txt)|*.txt|Log files|*.LOG; *.txt|All files (*.*)|*.*||
//
// File types are added one by one; an optional catch-all entry either lists the patterns of all
// of them or matches every file.
#pragma once

#include <vector>

#include "vtutils/export.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/win32_types.h"

class VTUTILS_API CFileFilterBuilder {
 public:
  // No file types, no catch-all entry, and combining on.
  CFileFilterBuilder();
  CFileFilterBuilder(const CFileFilterBuilder& other);
  CFileFilterBuilder& operator=(const CFileFilterBuilder& other);
  // Copy the catch-all setting and take over the file types; `other` is left without any. Copying
  // the description may allocate, so a move may throw the allocation failure.
  CFileFilterBuilder(CFileFilterBuilder&& other);
  CFileFilterBuilder& operator=(CFileFilterBuilder&& other);
  ~CFileFilterBuilder();

  // Appends a file type. `patterns` is one or more wildcard patterns separated by ";", used as
  // given in the type's own entry; with `show_patterns` the display text is followed by the
  // patterns in parentheses. The same type added twice is listed twice.
  void add_filter_item(const CString& description, const CString& patterns, bool show_patterns);
  // The same with the description loaded from string resource `description_id`; an id that
  // names no string gives an empty description.
  void add_filter_item(UINT description_id, const CString& patterns, bool show_patterns);

  // Sets the catch-all entry's description; an empty one means no catch-all entry. With
  // `combine` the entry lists every pattern of the file types, in lower case, without blanks
  // around them and without repeats; without it, the entry is "*.*". Replaces an earlier
  // setting.
  void set_all_files_filter(const CString& description, bool combine);
  // The same with the description loaded from string resource `description_id`.
  void set_all_files_filter(UINT description_id, bool combine);

  // The complete filter text, with the catch-all entry first or last. A builder without file
  // types or catch-all entry gives "|".
  CString get_filter(bool all_files_first) const;

 private:
  struct FilterItem {
    CString description;
    CString patterns;
    bool show_patterns;
  };

  // The catch-all entry, or an empty text when there is none: no description, or combining with
  // no file types.
  CString get_all_files_filter() const;

  int combine_;
  CString all_files_description_;
  std::vector<FilterItem> items_;
};
