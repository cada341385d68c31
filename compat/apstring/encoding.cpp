// The text encodings on the layer's code pages, and the process-wide encoding objects that the
// choosers hand out.
#include "vtplatform/apstring/encoding.h"

#include <string>
#include <string_view>

#include "win32/text/code_pages.h"

namespace {

apString decode(const vtplatform::CodePage& code_page, const char* bytes, int& error) {
  error = 0;
  if (bytes == nullptr) return apString();
  bool lossy = false;
  apString text(code_page.decode(std::string_view(bytes), lossy));
  error = lossy ? 1 : 0;
  return text;
}

utString encode(const vtplatform::CodePage& code_page, const apString& text, int& error) {
  bool lossy = false;
  const std::string bytes = code_page.encode(text.u16(), lossy);
  error = lossy ? 1 : 0;
  return utString(bytes.data(), bytes.size());
}

// The ANSI code page, serving both as the OS encoding and as the utString encoding.
class AnsiEncoding final : public apIStringOsEncoding {
 public:
  apString in(const char* bytes, int& error) const override {
    return decode(vtplatform::ansi_code_page(), bytes, error);
  }
  utString out(const apString& text, int& error) const override {
    return encode(vtplatform::ansi_code_page(), text, error);
  }
};

// Built on first use and deliberately never destroyed: callers keep the pointer for the life of
// the process, static destructors of other libraries included.
const AnsiEncoding& ansi_encoding() {
  static const AnsiEncoding* const encoding = new AnsiEncoding;
  return *encoding;
}

}  // namespace

apIStringEncoding::~apIStringEncoding() = default;

apIStringOsEncoding::~apIStringOsEncoding() = default;

apString apStringUTF8Encoding::in(const char* bytes, int& error) const {
  return decode(vtplatform::utf8_code_page(), bytes, error);
}

utString apStringUTF8Encoding::out(const apString& text, int& error) const {
  return encode(vtplatform::utf8_code_page(), text, error);
}

const apIStringOsEncoding* apStringOsEncodingChooser::os_encoding() const {
  return &ansi_encoding();
}

const apIStringEncoding* apStringEncodingChooser::ut_encoding() const {
  return &ansi_encoding();
}
