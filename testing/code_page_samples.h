// The ANSI code pages that the locale-bound tests run under, each with sample text of its own
// script. The test suites whose names end in CodePage run once for every code page of the table
// (CTest sets LC_ALL); they read the row of the code page they run under, so each test is written
// once.
#pragma once

#include "vtutils/platform/win32_types.h"

namespace vtutils::testing {

// One text in three forms, spelled out independently of the converters under test.
struct SampleText {
  const char* utf8;
  const wchar_t* wide;
  const char* ansi;  // in the code page of the row
};

struct CodePageSamples {
  UINT code_page;
  bool double_byte;
  // A name of several characters in the page's script, with no ASCII character and no case. In
  // the double-byte pages its characters have the trail bytes '|', ']' and 'A', and it ends in a
  // character whose trail byte is '\\' (949 has no trail bytes among "[\\]|" and ends in 'A').
  SampleText word;
  // Two characters whose bytes differ only in the way 'A' and 'a' do: in a double-byte page two
  // characters that differ only in the case of their trail byte.
  SampleText upper;
  SampleText lower;
  // A character the page cannot hold, in its ANSI form the substitute "?" (UTF-8 holds it).
  SampleText missing;
};

// The row of the ANSI code page the test runs under. Fails the test (and returns the UTF-8 row)
// when the table has no row for it.
const CodePageSamples& code_page_samples();

}  // namespace vtutils::testing
