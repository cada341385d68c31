// The platform library's text encodings, which turn bytes into an apString and back, and the
// choosers that hand out the encodings the process uses.
//
// Every operation takes an error indication that it sets to 1 when the text could not be
// converted faithfully and to 0 otherwise. Bytes without a mapping become U+FFFD; a character the
// target cannot hold becomes '?' in a legacy code page and U+FFFD in UTF-8 (an unpaired
// surrogate, the only such character there).
//
// Both the OS encoding and the byte-string (utString) encoding are the ANSI code page, the codeset
// of the user's locale. The choosers return objects that the library owns and never destroys, so
// the pointers stay valid for the rest of the process, during static destruction included.
#pragma once

#include "vtplatform/apstring/ap_string.h"
#include "vtplatform/base/ut_string.h"
#include "vtplatform/export.h"

// A text encoding. Objects are immutable and may be used by any number of threads at once.
class VTPLATFORM_API apIStringEncoding {
 public:
  // Decodes `bytes` up to their first NUL. A null pointer gives the empty string with `error` 0.
  virtual apString in(const char* bytes, int& error) const = 0;

  // Encodes all of `text`; a U+0000 inside it becomes a NUL byte inside the result, which always
  // has text (an empty `text` gives the empty string, not the null string).
  virtual utString out(const apString& text, int& error) const = 0;

  virtual ~apIStringEncoding();
};

// The encoding in which the operating system's narrow calls take text.
class VTPLATFORM_API apIStringOsEncoding : public apIStringEncoding {
 public:
  ~apIStringOsEncoding() override;
};

// UTF-8. Overlong forms, encoded surrogates and values above U+10FFFF are invalid bytes.
class VTPLATFORM_API apStringUTF8Encoding : public apIStringEncoding {
 public:
  apString in(const char* bytes, int& error) const override;
  utString out(const apString& text, int& error) const override;
};

// Hands out the OS encoding.
class VTPLATFORM_API apStringOsEncodingChooser {
 public:
  // The same object on every call.
  const apIStringOsEncoding* os_encoding() const;
};

// Hands out the encoding of utString text.
class VTPLATFORM_API apStringEncodingChooser {
 public:
  // The same object on every call.
  const apIStringEncoding* ut_encoding() const;
};
