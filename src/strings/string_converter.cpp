// vtuStringConverter: conversions through the two encodings of the platform library, each chosen
// once per process.
#include "vtutils/string_converter.h"

apString vtuStringConverter::ap_str(const CString& text) {
  int error = 0;
  return os_encoding().in(text.GetString(), error);
}

CString vtuStringConverter::mfc_str(const apString& text) {
  int error = 0;
  const utString bytes = os_encoding().out(text, error);
  // CString stops at the first NUL of the bytes, so an embedded NUL ends the result there.
  return CString(bytes.data());
}

apString vtuStringConverter::convert(const utString& text) {
  int error = 0;
  return ut_encoding().in(text.data(), error);
}

utString vtuStringConverter::ut_str(const apString& text) {
  int error = 0;
  return ut_encoding().out(text, error);
}

// A function-local static is initialised exactly once, with other threads waiting for it; if
// the chooser throws, the static stays uninitialised and the next call tries again.
const apIStringOsEncoding& vtuStringConverter::os_encoding() {
  static const apIStringOsEncoding* const encoding = [] {
    apStringOsEncodingChooser chooser;
    return chooser.os_encoding();
  }();
  return *encoding;
}

const apIStringEncoding& vtuStringConverter::ut_encoding() {
  static const apIStringEncoding* const encoding = [] {
    apStringEncodingChooser chooser;
    return chooser.ut_encoding();
  }();
  return *encoding;
}
