// apPathName, the platform library's path name: an apString that holds a path.
//
// Both '/' and '\' are accepted as separators; the path keeps '/' only. An empty path, and a path
// holding U+0000, is invalid. A path is rooted when it starts with '/'.
//
// dirname() drops everything from the last separator on, together with the separators just before
// it, like Python's os.path.dirname: a trailing separator ends an empty last name, so
// dirname("/opt/app/bin/") is "/opt/app/bin" and dirname of that is "/opt/app". dirname("/") is
// "/", and a path without a separator ("bin") has no folder to give: its dirname is invalid.
#pragma once

#include "vtplatform/apstring/ap_string.h"
#include "vtplatform/export.h"

class VTPLATFORM_API apPathName {
 public:
  // The invalid, empty path.
  apPathName() = default;

  // The path written in `text`, each '\' turned into '/'.
  explicit apPathName(const apString& text);

  // Non-zero when the path is not valid: empty, or holding U+0000.
  int invalid() const noexcept;

  // The folder that contains this path (see the rule above); invalid when this path is invalid or
  // has no separator.
  apPathName dirname() const;

  // The path's text with '/' separators.
  apString string() const { return text_; }

  // This path followed by `relative`, with one '/' between them. A rooted `relative` stands alone
  // and is the result. The result is invalid when either path is invalid.
  apPathName combine(const apPathName& relative) const;

 private:
  apString text_;
};
