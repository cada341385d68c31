// The code pages of the locale-bound tests and their sample texts. The locales themselves are
// listed with the registration of the test binary in cmake/Tests.cmake.
#include "testing/code_page_samples.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "vtutils/platform/text.h"

namespace vtutils::testing {
namespace {

constexpr SampleText kArabicBeh = {"\u0628", L"\u0628", "?"};

const CodePageSamples kSamples[] = {
    {65001, false,
     {"Größe表", L"Größe表", "Gr\xC3\xB6\xC3\x9F" "e\xE8\xA1\xA8"},
     {"Ä", L"Ä", "\xC3\x84"}, {"ä", L"ä", "\xC3\xA4"},
     {"\u0628", L"\u0628", "\xD8\xA8"}},
    {1252, false,
     {"Größe", L"Größe", "Gr\xF6\xDF" "e"},
     {"Ä", L"Ä", "\xC4"}, {"ä", L"ä", "\xE4"}, kArabicBeh},
    {932, true,
     {"ポゾア表", L"ポゾア表", "\x83\x7C\x83\x5D\x83\x41\x95\x5C"},
     {"ア", L"ア", "\x83\x41"}, {"ヂ", L"ヂ", "\x83\x61"}, kArabicBeh},
    {936, true,
     {"億乚傾乗", L"億乚傾乗", "\x83\x7C\x81\x5D\x83\x41\x81\x5C"},
     {"傾", L"傾", "\x83\x41"}, {"僡", L"僡", "\x83\x61"}, kArabicBeh},
    {949, true,
     {"한글갂", L"한글갂", "\xC7\xD1\xB1\xDB\x81\x41"},
     {"갂", L"갂", "\x81\x41"}, {"갵", L"갵", "\x81\x61"}, kArabicBeh},
    {950, true,
     {"咽也你功", L"咽也你功", "\xAB\x7C\xA4\x5D\xA7\x41\xA5\x5C"},
     {"你", L"你", "\xA7\x41"}, {"吧", L"吧", "\xA7\x61"}, kArabicBeh},
};

}  // namespace

const CodePageSamples& code_page_samples() {
  const UINT code_page = GetACP();
  const auto* row =
      std::find_if(std::begin(kSamples), std::end(kSamples),
                   [code_page](const CodePageSamples& row) { return row.code_page == code_page; });
  if (row != std::end(kSamples)) return *row;
  ADD_FAILURE() << "no samples for the ANSI code page " << code_page;
  return kSamples[0];
}

}  // namespace vtutils::testing
