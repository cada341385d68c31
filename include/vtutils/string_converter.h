// vtuStringConverter: the one place where text changes encoding between the framework's narrow
// string (CString, ANSI code page), the base library's byte string (utString) and the platform
// library's Unicode string (apString).
#pragma once

#include "vtutils/export.h"
#include "vtutils/platform/base.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/unicode_strings.h"

class VTUTILS_API vtuStringConverter {
 public:
  vtuStringConverter() = delete;

  // The string's bytes, up to the first NUL, through the OS encoding.
  static apString ap_str(const CString& text);
  // The text through the OS encoding, up to the first NUL. A character the ANSI code page
  // cannot hold comes back as the encoding's substitute; no failure is reported.
  static CString mfc_str(const apString& text);
  // The string's bytes, up to the first NUL, through the byte-string encoding. The null string
  // gives an empty apString.
  static apString convert(const utString& text);
  // The text through the byte-string encoding.
  static utString ut_str(const apString& text);

 private:
  // The encodings are chosen on first use, once per process, and kept.
  static const apIStringOsEncoding& os_encoding();
  static const apIStringEncoding& ut_encoding();
};
