// Code pages on ICU converters: the table of code pages the layer knows, the choice of the ANSI
// code page from the locale environment, and the conversions with Windows-style substitution.
#include "win32/text/code_pages.h"

#include <langinfo.h>
#include <locale.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <unordered_map>

namespace vtplatform {
namespace {

struct KnownCodePage {
  UINT id;
  const char* icu_name;
  // Codeset names as they appear in locale names, upper case without '-' and '_'.
  std::initializer_list<const char*> codesets;
};

const KnownCodePage kKnownCodePages[] = {
    {65001, "UTF-8", {"UTF8"}},
    {20127, "US-ASCII", {"ANSIX3.41968", "ASCII", "USASCII"}},
    {874, "windows-874", {"CP874", "WINDOWS874", "TIS620"}},
    {932, "windows-31j", {"CP932", "WINDOWS31J", "SJIS", "SHIFTJIS"}},
    {936, "windows-936", {"CP936", "WINDOWS936", "GBK", "GB2312", "EUCCN"}},
    {949, "windows-949", {"CP949", "WINDOWS949", "UHC"}},
    {950, "windows-950", {"CP950", "WINDOWS950", "BIG5", "BIG5HKSCS"}},
    {1250, "windows-1250", {"CP1250", "WINDOWS1250"}},
    {1251, "windows-1251", {"CP1251", "WINDOWS1251"}},
    {1252, "windows-1252", {"CP1252", "WINDOWS1252"}},
    {1253, "windows-1253", {"CP1253", "WINDOWS1253"}},
    {1254, "windows-1254", {"CP1254", "WINDOWS1254"}},
    {1255, "windows-1255", {"CP1255", "WINDOWS1255"}},
    {1256, "windows-1256", {"CP1256", "WINDOWS1256"}},
    {1257, "windows-1257", {"CP1257", "WINDOWS1257"}},
    {1258, "windows-1258", {"CP1258", "WINDOWS1258"}},
    {20866, "KOI8-R", {"KOI8R"}},
    {21866, "KOI8-U", {"KOI8U"}},
    {28591, "ISO-8859-1", {"ISO88591", "LATIN1"}},
    {28592, "ISO-8859-2", {"ISO88592", "LATIN2"}},
    {28593, "ISO-8859-3", {"ISO88593"}},
    {28594, "ISO-8859-4", {"ISO88594"}},
    {28595, "ISO-8859-5", {"ISO88595"}},
    {28596, "ISO-8859-6", {"ISO88596"}},
    {28597, "ISO-8859-7", {"ISO88597"}},
    {28598, "ISO-8859-8", {"ISO88598"}},
    {28599, "ISO-8859-9", {"ISO88599", "LATIN5"}},
    {28603, "ISO-8859-13", {"ISO885913"}},
    {28605, "ISO-8859-15", {"ISO885915", "LATIN9"}},
    {51932, "EUC-JP", {"EUCJP"}},
    {51949, "EUC-KR", {"EUCKR"}},
    {54936, "GB18030", {"GB18030"}},
};

const KnownCodePage* find_known(UINT id) {
  for (const KnownCodePage& known : kKnownCodePages) {
    if (known.id == id) return &known;
  }
  return nullptr;
}

const KnownCodePage* find_known_codeset(std::string_view codeset) {
  std::string key;
  for (char c : codeset) {
    if (c != '-' && c != '_') key += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  for (const KnownCodePage& known : kKnownCodePages) {
    for (const char* name : known.codesets) {
      if (key == name) return &known;
    }
  }
  return nullptr;
}

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using UniqueConverter = std::unique_ptr<UConverter, ConverterCloser>;

UniqueConverter open_converter(const std::string& icu_name) {
  UErrorCode status = U_ZERO_ERROR;
  UniqueConverter converter(ucnv_open(icu_name.c_str(), &status));
  if (U_FAILURE(status)) throw std::runtime_error("cannot open the converter for " + icu_name);
  return converter;
}

// ICU converters keep conversion state, so every thread has its own, opened on first use.
UConverter& thread_converter(const CodePage& page) {
  thread_local std::unordered_map<UINT, UniqueConverter> converters;
  UniqueConverter& slot = converters[page.id()];
  if (!slot) slot = open_converter(page.icu_name());
  ucnv_reset(slot.get());
  return *slot;
}

// Code pages are created on first request and never destroyed, so references handed out stay
// valid for the life of the process, also while other libraries' static objects are torn down.
const CodePage& registered_code_page(const KnownCodePage& known) {
  static auto* mutex = new std::mutex;
  static auto* pages = new std::map<UINT, std::unique_ptr<CodePage>>;
  std::lock_guard lock(*mutex);
  std::unique_ptr<CodePage>& page = (*pages)[known.id];
  if (!page) page = std::make_unique<CodePage>(known.id, known.icu_name);
  return *page;
}

struct SubstitutionContext {
  bool* lossy;
  const char* substitute;
  int32_t substitute_length;
};

void to_unicode_substitute(const void* context, UConverterToUnicodeArgs* args, const char*,
                           int32_t, UConverterCallbackReason reason, UErrorCode* status) {
  if (reason > UCNV_IRREGULAR) return;  // reset, close and clone need nothing
  const auto* substitution = static_cast<const SubstitutionContext*>(context);
  *substitution->lossy = true;
  *status = U_ZERO_ERROR;
  const UChar replacement = 0xFFFD;
  ucnv_cbToUWriteUChars(args, &replacement, 1, 0, status);
}

void from_unicode_substitute(const void* context, UConverterFromUnicodeArgs* args, const UChar*,
                             int32_t, UChar32, UConverterCallbackReason reason,
                             UErrorCode* status) {
  if (reason > UCNV_IRREGULAR) return;
  const auto* substitution = static_cast<const SubstitutionContext*>(context);
  *substitution->lossy = true;
  *status = U_ZERO_ERROR;
  ucnv_cbFromUWriteBytes(args, substitution->substitute, substitution->substitute_length, 0,
                         status);
}

std::string_view codeset_of(std::string_view locale_name) {
  std::size_t dot = locale_name.find('.');
  if (dot == std::string_view::npos) return {};
  std::string_view codeset = locale_name.substr(dot + 1);
  return codeset.substr(0, codeset.find('@'));
}

// The codeset glibc gives an installed locale named without one ("de_DE" is ISO-8859-1).
std::string installed_codeset(const std::string& locale_name) {
  locale_t locale = newlocale(LC_CTYPE_MASK, locale_name.c_str(), nullptr);
  if (locale == nullptr) return {};
  std::string codeset = nl_langinfo_l(CODESET, locale);
  freelocale(locale);
  return codeset;
}

constexpr char32_t kNoCharacter = 0xFFFFFFFF;
constexpr char32_t kReplacementCharacter = 0xFFFD;

// Collects decoded UTF-16 into wide text, pairing surrogates that a chunk boundary may split.
class WideWriter {
 public:
  WideWriter(wchar_t* wide, std::size_t capacity) : wide_(wide), capacity_(capacity) {}

  void put(char32_t c) {
    if (count_ < capacity_) wide_[count_] = static_cast<wchar_t>(c);
    ++count_;
  }
  // Eight ASCII bytes as eight characters, in one step while they fit.
  void put_ascii8(const uint8_t* bytes) {
    if (count_ + 8 > capacity_) {
      for (int k = 0; k < 8; ++k) put(bytes[k]);
      return;
    }
    for (int k = 0; k < 8; ++k) wide_[count_ + k] = static_cast<wchar_t>(bytes[k]);
    count_ += 8;
  }
  void put_utf16(const UChar* units, int32_t length, bool& lossy) {
    for (int32_t i = 0; i < length; ++i) {
      const UChar unit = units[i];
      if (pending_lead_ != 0) {
        const UChar lead = pending_lead_;
        pending_lead_ = 0;
        if (U16_IS_TRAIL(unit)) {
          put(U16_GET_SUPPLEMENTARY(lead, unit));
          continue;
        }
        lossy = true;
        put(kReplacementCharacter);
      }
      if (U16_IS_LEAD(unit)) {
        pending_lead_ = unit;
      } else if (U16_IS_TRAIL(unit)) {
        lossy = true;
        put(kReplacementCharacter);
      } else {
        put(unit);
      }
    }
  }
  std::size_t finish(bool& lossy) {
    if (pending_lead_ != 0) {
      lossy = true;
      put(kReplacementCharacter);
    }
    return count_;
  }

 private:
  wchar_t* wide_;
  std::size_t capacity_;
  std::size_t count_ = 0;
  UChar pending_lead_ = 0;
};

// UTF-8 is the code page of nearly every conversion on Linux, so runs of ASCII go through eight
// bytes at a time.
void decode_utf8(const uint8_t* data, int32_t length, WideWriter& writer, bool& lossy) {
  int32_t index = 0;
  while (index < length) {
    while (length - index >= 8) {
      std::uint64_t block;
      std::memcpy(&block, data + index, sizeof block);
      if ((block & 0x8080808080808080u) != 0) break;
      writer.put_ascii8(data + index);
      index += 8;
    }
    if (index == length) break;
    UChar32 c = data[index];
    if (c < 0x80) {
      ++index;
    } else {
      U8_NEXT(data, index, length, c);
      if (c < 0) {
        lossy = true;
        c = kReplacementCharacter;
      }
    }
    writer.put(static_cast<char32_t>(c));
  }
}

}  // namespace

CodePage::CodePage(UINT id, std::string icu_name) : id_(id), icu_name_(std::move(icu_name)) {
  UniqueConverter converter = open_converter(icu_name_);
  max_char_size_ = ucnv_getMaxCharSize(converter.get());
  UErrorCode status = U_ZERO_ERROR;
  if (is_double_byte()) {
    UBool starters[256] = {};
    ucnv_getStarters(converter.get(), starters, &status);
    if (U_FAILURE(status)) throw std::runtime_error("no lead bytes known for " + icu_name_);
    std::copy(std::begin(starters), std::end(starters), lead_bytes_.begin());
  }
  if (!is_single_byte()) return;
  ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                      &status);
  for (int byte = 0; byte < 256; ++byte) {
    const char source = static_cast<char>(byte);
    UChar units[2];
    status = U_ZERO_ERROR;
    ucnv_reset(converter.get());
    const int32_t length = ucnv_toUChars(converter.get(), units, 2, &source, 1, &status);
    byte_characters_[byte] =
        U_SUCCESS(status) && length == 1 && !U16_IS_SURROGATE(units[0]) ? units[0] : kNoCharacter;
  }
}

std::size_t CodePage::decode_to_wide(std::string_view bytes, wchar_t* wide, std::size_t capacity,
                                     bool& lossy) const {
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  const auto length = static_cast<int32_t>(bytes.size());
  WideWriter writer(wide, capacity);
  if (is_utf8()) {
    decode_utf8(data, length, writer, lossy);
  } else if (is_single_byte()) {
    for (int32_t index = 0; index < length; ++index) {
      char32_t c = byte_characters_[data[index]];
      if (c == kNoCharacter) {
        lossy = true;
        c = kReplacementCharacter;
      }
      writer.put(c);
    }
  } else {
    // Multi-byte code pages go through ICU a chunk at a time, on the stack.
    UConverter& converter = thread_converter(*this);
    SubstitutionContext context{&lossy, nullptr, 0};
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setToUCallBack(&converter, to_unicode_substitute, &context, nullptr, nullptr, &status);
    const char* source = bytes.data();
    const char* source_end = source + bytes.size();
    UChar chunk[256];
    do {
      UChar* target = chunk;
      status = U_ZERO_ERROR;
      ucnv_toUnicode(&converter, &target, chunk + std::size(chunk), &source, source_end, nullptr,
                     TRUE, &status);
      writer.put_utf16(chunk, static_cast<int32_t>(target - chunk), lossy);
    } while (status == U_BUFFER_OVERFLOW_ERROR);
    if (U_FAILURE(status)) throw std::runtime_error("conversion from " + icu_name_ + " failed");
  }
  return writer.finish(lossy);
}

std::size_t CodePage::char_length(const char* text, std::size_t remaining) const {
  if (remaining == 0) return 0;
  if (is_single_byte()) return 1;
  if (is_double_byte()) {
    return remaining > 1 && is_lead_byte(static_cast<unsigned char>(text[0])) && text[1] != '\0'
               ? 2
               : 1;
  }
  if (is_utf8()) {
    int32_t index = 0;
    UChar32 c;
    const auto length = static_cast<int32_t>(std::min<std::size_t>(remaining, 4));
    U8_NEXT(reinterpret_cast<const uint8_t*>(text), index, length, c);
    return c < 0 ? 1 : static_cast<std::size_t>(index);
  }
  UConverter& converter = thread_converter(*this);
  UErrorCode status = U_ZERO_ERROR;
  ucnv_setToUCallBack(&converter, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
  const char* position = text;
  const char* limit = text + std::min<std::size_t>(remaining, max_char_size_);
  ucnv_getNextUChar(&converter, &position, limit, &status);
  if (U_FAILURE(status) || position == text) return 1;
  return static_cast<std::size_t>(position - text);
}

std::wstring CodePage::decode_wide(std::string_view bytes, bool& lossy) const {
  // No code page makes more than one character of a byte.
  std::wstring wide(bytes.size(), L'\0');
  wide.resize(decode_to_wide(bytes, wide.data(), wide.size(), lossy));
  return wide;
}

std::u16string CodePage::decode(std::string_view bytes, bool& lossy) const {
  std::u16string text(bytes.size() * 2 + 1, u'\0');
  UConverter& converter = thread_converter(*this);
  SubstitutionContext context{&lossy, nullptr, 0};
  UErrorCode status = U_ZERO_ERROR;
  ucnv_setToUCallBack(&converter, to_unicode_substitute, &context, nullptr, nullptr, &status);
  const int32_t length =
      ucnv_toUChars(&converter, text.data(), static_cast<int32_t>(text.size()), bytes.data(),
                    static_cast<int32_t>(bytes.size()), &status);
  if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) {
    throw std::runtime_error("conversion from " + icu_name_ + " failed");
  }
  text.resize(static_cast<std::size_t>(length));
  return text;
}

std::string CodePage::encode(std::u16string_view text, bool& lossy, char substitute) const {
  std::string bytes(text.size() * static_cast<std::size_t>(std::max(max_char_size_, 3)) + 4, '\0');
  UConverter& converter = thread_converter(*this);
  static constexpr char kUtf8Replacement[] = "\xEF\xBF\xBD";
  SubstitutionContext context = is_utf8() ? SubstitutionContext{&lossy, kUtf8Replacement, 3}
                                          : SubstitutionContext{&lossy, &substitute, 1};
  UErrorCode status = U_ZERO_ERROR;
  ucnv_setFromUCallBack(&converter, from_unicode_substitute, &context, nullptr, nullptr, &status);
  const int32_t length =
      ucnv_fromUChars(&converter, bytes.data(), static_cast<int32_t>(bytes.size()), text.data(),
                      static_cast<int32_t>(text.size()), &status);
  if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) {
    throw std::runtime_error("conversion to " + icu_name_ + " failed");
  }
  bytes.resize(static_cast<std::size_t>(length));
  return bytes;
}

namespace {

// The code page that a locale name such as "de_DE.CP1252" or "ja_JP.eucJP@mod" selects.
const CodePage& code_page_for_locale(std::string_view locale_name) {
  const KnownCodePage* utf8 = find_known(65001);
  if (locale_name.empty() || locale_name == "C" || locale_name == "POSIX") {
    return registered_code_page(*utf8);
  }
  std::string codeset(codeset_of(locale_name));
  if (codeset.empty()) codeset = installed_codeset(std::string(locale_name));
  const KnownCodePage* known = find_known_codeset(codeset);
  return registered_code_page(known != nullptr ? *known : *utf8);
}

}  // namespace

const CodePage& ansi_code_page() {
  static const CodePage& page = [] {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
      const char* value = std::getenv(variable);
      if (value != nullptr && *value != '\0') return std::cref(code_page_for_locale(value));
    }
    return std::cref(code_page_for_locale(""));
  }();
  return page;
}

const CodePage& utf8_code_page() {
  static const CodePage& page = registered_code_page(*find_known(65001));
  return page;
}

const CodePage* find_code_page(UINT id) {
  if (id == 0 || id == 3) return &ansi_code_page();  // CP_ACP, CP_THREAD_ACP
  const KnownCodePage* known = find_known(id);
  return known != nullptr ? &registered_code_page(*known) : nullptr;
}

std::u16string utf16_from_wide(std::wstring_view wide, bool& lossy) {
  // Text on its way to WideCharToMultiByte is nearly always in the Basic Multilingual Plane and
  // valid; it is checked in one pass and then copied unit for unit, both loops without branches.
  std::size_t others = 0;
  for (wchar_t value : wide) {
    others += (static_cast<std::uint32_t>(value) > 0xFFFF) | ((value & 0xF800) == 0xD800);
  }
  if (others == 0) {
    std::u16string text(wide.size(), u'\0');
    for (std::size_t i = 0; i < wide.size(); ++i) text[i] = static_cast<char16_t>(wide[i]);
    return text;
  }
  std::u16string text;
  text.reserve(wide.size() + others);
  for (wchar_t value : wide) {
    auto c = static_cast<UChar32>(value);
    if (c < 0 || c > 0x10FFFF || U_IS_SURROGATE(c)) {
      lossy = true;
      c = 0xFFFD;
    }
    if (c > 0xFFFF) {
      text += static_cast<char16_t>(U16_LEAD(c));
      text += static_cast<char16_t>(U16_TRAIL(c));
    } else {
      text += static_cast<char16_t>(c);
    }
  }
  return text;
}

std::wstring wide_from_utf16(std::u16string_view text, bool& lossy) {
  std::wstring wide;
  wide.reserve(text.size());
  const auto length = static_cast<int32_t>(text.size());
  for (int32_t index = 0; index < length;) {
    UChar32 c;
    U16_NEXT(text.data(), index, length, c);
    if (U_IS_SURROGATE(c)) {
      lossy = true;
      c = 0xFFFD;
    }
    wide += static_cast<wchar_t>(c);
  }
  return wide;
}

}  // namespace vtplatform
