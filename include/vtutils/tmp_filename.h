// vtTmpFilename: a name for a temporary text file, made once when the object is constructed from
// the runtime's two temporary-name generators, then carried as it is. No file is created.
#pragma once

#include "vtutils/export.h"
#include "vtutils/platform/framework_strings.h"

class VTUTILS_API vtTmpFilename {
 public:
  // <first generator's name, which starts with `prefix`><second generator's name less its first
  // character>txt; when both generators fail, `prefix` + "TEMP_FILE.txt" in the current folder.
  explicit vtTmpFilename(const CString& prefix);
  vtTmpFilename(const vtTmpFilename&) = default;
  vtTmpFilename& operator=(const vtTmpFilename&) = default;
  ~vtTmpFilename() = default;

  // The object is used as the name it holds.
  operator const CString&() const { return name_; }

 private:
  CString name_;
};
