// CompareStringEx and StrCmpLogicalW on ICU collators, one per thread, locale and flags.
#include "vtplatform/win32/string_compare.h"

#include <unicode/ucol.h>
#include <unicode/uloc.h>
#include <unicode/utf16.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <cstdlib>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "vtplatform/win32/error.h"
#include "win32/core/exception_barrier.h"

namespace {

constexpr DWORD kIgnoreCase = NORM_IGNORECASE | LINGUISTIC_IGNORECASE;
constexpr DWORD kIgnoreAccents = NORM_IGNORENONSPACE | LINGUISTIC_IGNOREDIACRITIC;
constexpr DWORD kSupportedFlags =
    kIgnoreCase | kIgnoreAccents | NORM_IGNORESYMBOLS | SORT_DIGITSASNUMBERS | SORT_STRINGSORT;
// The flags that change the collator; the others need nothing of it.
constexpr DWORD kCollatorFlags =
    kIgnoreCase | kIgnoreAccents | NORM_IGNORESYMBOLS | SORT_DIGITSASNUMBERS;

// The ICU locale of the environment's collation locale; "" (root) for C and POSIX.
const std::string& default_collation_locale() {
  static const std::string locale = [] {
    for (const char* variable : {"LC_ALL", "LC_COLLATE", "LANG"}) {
      const char* value = std::getenv(variable);
      if (value == nullptr || *value == '\0') continue;
      std::string name(value);
      name = name.substr(0, name.find_first_of(".@"));
      return name == "C" || name == "POSIX" ? std::string() : name;
    }
    return std::string();
  }();
  return locale;
}

// The ICU locale a Win32 locale name names, or false for a name that is no language tag.
bool icu_locale_for(LPCWSTR locale_name, std::string& locale) {
  if (locale_name == nullptr || std::wcscmp(locale_name, LOCALE_NAME_SYSTEM_DEFAULT) == 0) {
    locale = default_collation_locale();
    return true;
  }
  std::string tag;
  for (const wchar_t* c = locale_name; *c != L'\0'; ++c) {
    if (*c > 0x7F) return false;
    tag += static_cast<char>(*c);
  }
  if (tag.empty()) {
    locale.clear();
    return true;
  }
  char id[ULOC_FULLNAME_CAPACITY];
  int32_t parsed = 0;
  UErrorCode status = U_ZERO_ERROR;
  uloc_forLanguageTag(tag.c_str(), id, sizeof id, &parsed, &status);
  if (U_FAILURE(status) || parsed != static_cast<int32_t>(tag.size())) return false;
  locale = id;
  return true;
}

struct CollatorCloser {
  void operator()(UCollator* collator) const { ucol_close(collator); }
};
using UniqueCollator = std::unique_ptr<UCollator, CollatorCloser>;

UniqueCollator open_collator(const std::string& locale, DWORD flags) {
  UErrorCode status = U_ZERO_ERROR;
  UniqueCollator collator(ucol_open(locale.c_str(), &status));
  if (U_FAILURE(status)) return nullptr;
  const bool ignore_case = (flags & kIgnoreCase) != 0;
  UColAttributeValue strength = ignore_case ? UCOL_SECONDARY : UCOL_TERTIARY;
  if ((flags & kIgnoreAccents) != 0) {
    strength = UCOL_PRIMARY;
    // Without accents but with case: the case level keeps capitals apart.
    if (!ignore_case) ucol_setAttribute(collator.get(), UCOL_CASE_LEVEL, UCOL_ON, &status);
  }
  ucol_setAttribute(collator.get(), UCOL_STRENGTH, strength, &status);
  if ((flags & SORT_DIGITSASNUMBERS) != 0) {
    ucol_setAttribute(collator.get(), UCOL_NUMERIC_COLLATION, UCOL_ON, &status);
  }
  if ((flags & NORM_IGNORESYMBOLS) != 0) {
    ucol_setAttribute(collator.get(), UCOL_ALTERNATE_HANDLING, UCOL_SHIFTED, &status);
  }
  return U_SUCCESS(status) ? std::move(collator) : nullptr;
}

// Opening a collator costs far more than a comparison, so each thread keeps the ones it opened.
UCollator* thread_collator(const std::string& locale, DWORD flags) {
  struct Entry {
    std::string locale;
    DWORD flags;
    UniqueCollator collator;
  };
  thread_local std::vector<Entry> collators;
  flags &= kCollatorFlags;
  for (const Entry& entry : collators) {
    if (entry.flags == flags && entry.locale == locale) return entry.collator.get();
  }
  UniqueCollator collator = open_collator(locale, flags);
  if (!collator) return nullptr;
  return collators.emplace_back(Entry{locale, flags, std::move(collator)}).collator.get();
}

// Wide (UTF-32) text as UTF-16 for ICU, on the stack unless the text is long. A length of -1
// means up to the terminating NUL.
class Utf16Text {
 public:
  Utf16Text(const wchar_t* text, int length) {
    convert(text, length == -1 ? std::wcslen(text) : static_cast<std::size_t>(length));
  }
  Utf16Text(const Utf16Text&) = delete;
  Utf16Text& operator=(const Utf16Text&) = delete;

  const UChar* data() const { return data_; }
  int32_t length() const { return length_; }

 private:
  void convert(const wchar_t* text, std::size_t length) {
    char16_t* out = inline_;
    if (length * 2 > std::size(inline_)) {
      heap_.resize(length * 2);
      out = heap_.data();
    }
    data_ = out;
    std::size_t i = 0;
    // Blocks of characters below the surrogates, nearly all text, are narrowed as they are.
    for (; i + 8 <= length; i += 8, out += 8) {
      bool plain = true;
      for (std::size_t k = 0; k < 8; ++k) plain &= static_cast<std::uint32_t>(text[i + k]) < 0xD800;
      if (!plain) break;
      for (std::size_t k = 0; k < 8; ++k) out[k] = static_cast<char16_t>(text[i + k]);
    }
    for (; i < length; ++i) {
      auto c = static_cast<UChar32>(text[i]);
      if (c >= 0 && c < 0xD800) {
        *out++ = static_cast<char16_t>(c);
        continue;
      }
      if (c < 0 || c > 0x10FFFF || U_IS_SURROGATE(c)) c = 0xFFFD;
      if (c > 0xFFFF) {
        *out++ = static_cast<char16_t>(U16_LEAD(c));
        *out++ = static_cast<char16_t>(U16_TRAIL(c));
      } else {
        *out++ = static_cast<char16_t>(c);
      }
    }
    length_ = static_cast<int32_t>(out - data_);
  }

  char16_t inline_[512];
  std::u16string heap_;
  const char16_t* data_ = nullptr;
  int32_t length_ = 0;
};

int fail(DWORD error) {
  SetLastError(error);
  return 0;
}

// The collators a comparison needs: the one for the flags, and for digits compared as numbers
// the one that tells numbers apart that differ only in leading zeros ("02" and "2"), digit by
// digit and the one with more zeros first. False, with the last error set, when the locale name
// or the flags are not valid.
struct Collators {
  UCollator* primary = nullptr;
  UCollator* tie_break = nullptr;
};

bool collators_for(LPCWSTR locale_name, DWORD flags, Collators& collators) {
  if ((flags & ~kSupportedFlags) != 0) {
    SetLastError(ERROR_INVALID_FLAGS);
    return false;
  }
  std::string locale;
  if (!icu_locale_for(locale_name, locale)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  collators.primary = thread_collator(locale, flags);
  if ((flags & SORT_DIGITSASNUMBERS) != 0) {
    collators.tie_break = thread_collator(locale, flags & ~SORT_DIGITSASNUMBERS);
  }
  const bool opened = collators.primary != nullptr &&
                      ((flags & SORT_DIGITSASNUMBERS) == 0 || collators.tie_break != nullptr);
  if (!opened) SetLastError(ERROR_INVALID_PARAMETER);
  return opened;
}

// Appends the sort key of `text` to `key`; on the stack for short texts.
void append_sort_key(const UCollator* collator, const Utf16Text& text, std::string& key) {
  uint8_t buffer[512];
  int32_t length = ucol_getSortKey(collator, text.data(), text.length(), buffer, sizeof buffer);
  if (length <= static_cast<int32_t>(sizeof buffer)) {
    key.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(length));
    return;
  }
  const std::size_t start = key.size();
  key.resize(start + static_cast<std::size_t>(length));
  ucol_getSortKey(collator, text.data(), text.length(),
                  reinterpret_cast<uint8_t*>(key.data() + start), length);
}

int compare_strings(LPCWSTR locale_name, DWORD flags, LPCWSTR text1, int length1, LPCWSTR text2,
                    int length2, NLSVERSIONINFO* version, LPVOID reserved, LPARAM param) {
  if (text1 == nullptr || text2 == nullptr || length1 < -1 || length2 < -1 ||
      version != nullptr || reserved != nullptr || param != 0) {
    return fail(ERROR_INVALID_PARAMETER);
  }
  Collators collators;
  if (!collators_for(locale_name, flags, collators)) return 0;

  const Utf16Text first(text1, length1);
  const Utf16Text second(text2, length2);
  UCollationResult result = ucol_strcoll(collators.primary, first.data(), first.length(),
                                         second.data(), second.length());
  if (result == UCOL_EQUAL && collators.tie_break != nullptr) {
    result = ucol_strcoll(collators.tie_break, first.data(), first.length(), second.data(),
                          second.length());
  }
  switch (result) {
    case UCOL_LESS:
      return CSTR_LESS_THAN;
    case UCOL_EQUAL:
      return CSTR_EQUAL;
    case UCOL_GREATER:
      return CSTR_GREATER_THAN;
  }
  return fail(ERROR_INVALID_PARAMETER);
}

int map_string(LPCWSTR locale_name, DWORD flags, LPCWSTR source, int source_length,
               LPWSTR destination, int destination_bytes, NLSVERSIONINFO* version, LPVOID reserved,
               LPARAM sort_handle) {
  if (source == nullptr || source_length == 0 || source_length < -1 || destination_bytes < 0 ||
      (destination_bytes > 0 && destination == nullptr) || version != nullptr ||
      reserved != nullptr || sort_handle != 0) {
    return fail(ERROR_INVALID_PARAMETER);
  }
  if ((flags & LCMAP_SORTKEY) == 0) return fail(ERROR_INVALID_FLAGS);
  Collators collators;
  if (!collators_for(locale_name, flags & ~LCMAP_SORTKEY, collators)) return 0;

  // Two keys in a row order the texts as CompareStringEx does: ICU keys end in the only zero
  // byte they hold, so the second key counts only where the first ones are equal.
  const Utf16Text text(source, source_length);
  std::string key;
  append_sort_key(collators.primary, text, key);
  if (collators.tie_break != nullptr) append_sort_key(collators.tie_break, text, key);
  if (key.size() > static_cast<std::size_t>(INT_MAX)) return fail(ERROR_INVALID_PARAMETER);
  const auto length = static_cast<int>(key.size());
  if (destination_bytes == 0) return length;
  if (length > destination_bytes) return fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(destination, key.data(), key.size());
  return length;
}

}  // namespace

int CompareStringEx(LPCWSTR locale_name, DWORD flags, LPCWSTR text1, int length1, LPCWSTR text2,
                    int length2, NLSVERSIONINFO* version, LPVOID reserved, LPARAM param) {
  return vtplatform::without_exceptions(0, ERROR_INVALID_PARAMETER, [&] {
    return compare_strings(locale_name, flags, text1, length1, text2, length2, version, reserved,
                           param);
  });
}

int LCMapStringEx(LPCWSTR locale_name, DWORD flags, LPCWSTR source, int source_length,
                  LPWSTR destination, int destination_bytes, NLSVERSIONINFO* version,
                  LPVOID reserved, LPARAM sort_handle) {
  return vtplatform::without_exceptions(0, ERROR_INVALID_PARAMETER, [&] {
    return map_string(locale_name, flags, source, source_length, destination, destination_bytes,
                      version, reserved, sort_handle);
  });
}

int StrCmpLogicalW(LPCWSTR text1, LPCWSTR text2) {
  if (text1 == nullptr || text2 == nullptr) return (text1 != nullptr) - (text2 != nullptr);
  const int result = CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE | SORT_DIGITSASNUMBERS,
                                     text1, -1, text2, -1, nullptr, nullptr, 0);
  return result == 0 ? 0 : result - CSTR_EQUAL;
}
