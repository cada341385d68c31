// Tests of CString and CStringW under a UTF-8 ANSI code page: value semantics, the index rules at
// the edges, tokenising, trimming, the buffer protocol, formatting, conversion, and searches and
// case mapping that respect UTF-8 character boundaries.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

#include "vtplatform/mfc/cstring.h"

namespace {

TEST(CStringTest, NullTextConstructsAndAssignsTheEmptyString) {
  const CString from_null(static_cast<const char*>(nullptr));
  EXPECT_TRUE(from_null.IsEmpty());
  EXPECT_STREQ(from_null.GetString(), "");
  EXPECT_TRUE(CStringW(static_cast<const char*>(nullptr)).IsEmpty());
  EXPECT_TRUE(CString(static_cast<const wchar_t*>(nullptr)).IsEmpty());

  CString text("abc");
  text = static_cast<const char*>(nullptr);
  EXPECT_TRUE(text.IsEmpty());
  text.Append(nullptr);
  EXPECT_EQ(CString::StringLength(nullptr), 0);

  const CString managed(AfxGetStringManager());
  EXPECT_TRUE(managed.IsEmpty());
  EXPECT_EQ(AfxGetStringManager(), AfxGetStringManager());
}

TEST(CStringTest, ConcatenatesWithItself) {
  CString text("ab");
  text.Append("c").Append(CString("d"));
  text += text;
  text += text.GetString() + 6;
  EXPECT_STREQ(text, "abcdabcdcd");
  EXPECT_STREQ("x" + CString("y") + "z", "xyz");
}

TEST(CStringTest, ComparesBytesAsUnsigned) {
  const CString umlaut("\xC3\xA4");  // ä
  EXPECT_GT(umlaut.Compare("z"), 0);
  EXPECT_LT(CString("z").Compare("\xC3\xA4"), 0);
  EXPECT_EQ(CString("abc").Compare("abc"), 0);
  EXPECT_LT(CString("ab").Compare("abc"), 0);
  EXPECT_GT(CString("abc").Compare(nullptr), 0);
  EXPECT_TRUE(CString("abc") == "abc");
  EXPECT_TRUE(CString("abc") != CString("abd"));
  EXPECT_TRUE("abc" == CString("abc"));

  // Ordered containers sort by the same comparison.
  const std::map<CString, int> units{{"mm", 1}, {"inches", 0}, {"\xC3\xA4", 2}};
  EXPECT_STREQ(units.begin()->first, "inches");
  EXPECT_STREQ(units.rbegin()->first, "\xC3\xA4");
}

TEST(CStringTest, FindAndReverseFindAtTheEdges) {
  const CString text("a/b/c");
  EXPECT_EQ(text.Find('/'), 1);
  EXPECT_EQ(text.Find('/', 2), 3);
  EXPECT_EQ(text.Find('/', 99), -1);
  EXPECT_EQ(text.Find('/', -5), 1);
  EXPECT_EQ(text.Find("b/c"), 2);
  EXPECT_EQ(text.Find("c/"), -1);
  EXPECT_EQ(text.Find("", 5), 5);
  EXPECT_EQ(text.Find("", 6), -1);
  EXPECT_EQ(text.ReverseFind('/'), 3);
  EXPECT_EQ(CString().ReverseFind('a'), -1);
}

TEST(CStringTest, LeftMidAndRightClampTheirArguments) {
  const CString text("abcdef");
  EXPECT_STREQ(text.Right(2), "ef");
  EXPECT_STREQ(text.Right(99), "abcdef");
  EXPECT_STREQ(text.Right(-1), "");
  EXPECT_STREQ(text.Left(2), "ab");
  EXPECT_STREQ(text.Left(99), "abcdef");
  EXPECT_STREQ(text.Left(-1), "");
  EXPECT_STREQ(text.Mid(4), "ef");
  EXPECT_STREQ(text.Mid(-2), "abcdef");
  EXPECT_STREQ(text.Mid(99), "");
  EXPECT_STREQ(text.Mid(2, 2), "cd");
  EXPECT_STREQ(text.Mid(4, 99), "ef");
  EXPECT_STREQ(text.Mid(1, -1), "");
  EXPECT_EQ(text[0], 'a');
  EXPECT_EQ(text.GetAt(6), '\0');
  EXPECT_EQ(text.GetAt(-1), '\0');
}

TEST(CStringTest, ReplaceCountsNonOverlappingOccurrences) {
  struct Case {
    const char* text;
    const char* old_text;
    const char* new_text;
    int count;
    const char* result;
  };
  for (const Case& c : {Case{"a.b.c", ".", "::", 2, "a::b::c"},
                        Case{"aaaa", "aa", "a", 2, "aa"},  // left to right, not again
                        Case{"abc", "", "x", 0, "abc"},
                        Case{"abc", nullptr, "x", 0, "abc"},
                        Case{"abcb", "b", nullptr, 2, "ac"},
                        Case{"abc", "abcd", "x", 0, "abc"}}) {
    CString text(c.text);
    EXPECT_EQ(text.Replace(c.old_text, c.new_text), c.count) << c.text;
    EXPECT_STREQ(text, c.result) << c.text;
  }
  CString own("ab");
  EXPECT_EQ(own.Replace("b", own), 1);  // the new text may be the string itself
  EXPECT_STREQ(own, "aab");

  CString path("a\\b\\c");
  EXPECT_EQ(path.Replace('\\', '/'), 2);
  EXPECT_STREQ(path, "a/b/c");
  EXPECT_EQ(path.Replace('/', '/'), 0);
  CStringW wide(L"a-b");
  EXPECT_EQ(wide.Replace(L"-", L"\u00e4"), 1);
  EXPECT_STREQ(wide, L"a\u00e4b");
}

TEST(CStringTest, CompareNoCaseFoldsBothSides) {
  EXPECT_EQ(CString("Hello").CompareNoCase("hELLO"), 0);
  EXPECT_LT(CString("apple").CompareNoCase("BANANA"), 0);
  EXPECT_GT(CString("b").CompareNoCase(nullptr), 0);
  EXPECT_EQ(CStringW(L"\u00c4BC").CompareNoCase(L"\u00e4bc"), 0);
}

TEST(CStringTest, TokenizeSkipsEmptyTokensAndEndsWithMinusOne) {
  const CString text(";;*.txt; *.doc;;");
  int start = 0;
  EXPECT_STREQ(text.Tokenize(";", start), "*.txt");
  EXPECT_EQ(start, 8);
  EXPECT_STREQ(text.Tokenize(";", start), " *.doc");
  EXPECT_EQ(start, 15);
  EXPECT_STREQ(text.Tokenize(";", start), "");
  EXPECT_EQ(start, -1);

  const CString single("abc");
  start = 0;
  EXPECT_STREQ(single.Tokenize(";,", start), "abc");
  EXPECT_STREQ(single.Tokenize(";,", start), "");
  EXPECT_EQ(start, -1);

  for (int bad_start : {-1, 4, 99}) {
    start = bad_start;
    EXPECT_STREQ(single.Tokenize(";", start), "");
    EXPECT_EQ(start, -1);
  }
  start = 0;
  EXPECT_STREQ(CString().Tokenize(";", start), "");
  EXPECT_EQ(start, -1);
}

TEST(CStringTest, TrimRemovesAsciiWhiteSpace) {
  CString text(" \t\r\n\v\fa b\f\v\n\r\t ");
  EXPECT_STREQ(CString(text).TrimLeft(), "a b\f\v\n\r\t ");
  EXPECT_STREQ(CString(text).TrimRight(), " \t\r\n\v\fa b");
  EXPECT_STREQ(text.Trim(), "a b");
  EXPECT_STREQ(CString(" \t ").Trim(), "");
  EXPECT_STREQ(CString("x").Trim(), "x");
}

TEST(CStringTest, BufferProtocolForOperatingSystemCalls) {
  CString text("keep");
  char* buffer = text.GetBuffer(300);
  EXPECT_STREQ(buffer, "keep");
  std::snprintf(buffer, 301, "%0300d", 7);  // fills all 300 units and the NUL after them
  text.ReleaseBuffer();
  EXPECT_EQ(text.GetLength(), 300);
  EXPECT_EQ(text[299], '7');

  text.GetBuffer(10)[2] = '\0';
  text.ReleaseBuffer();
  EXPECT_STREQ(text, "00");

  text = "abcdef";
  text.GetBuffer(2);  // smaller than the content: nothing is lost
  text.ReleaseBuffer();
  EXPECT_STREQ(text, "abcdef");
  text.GetBuffer();
  text.ReleaseBuffer(3);
  EXPECT_STREQ(text, "abc");
  text.GetBuffer();
  text.ReleaseBuffer(99);
  EXPECT_STREQ(text, "abc");

  EXPECT_STREQ(text.GetBufferSetLength(2), "ab");
  EXPECT_EQ(text.GetLength(), 2);
  char* padded = text.GetBufferSetLength(5);
  EXPECT_EQ(text.GetLength(), 5);
  padded[2] = 'c';
  text.ReleaseBuffer();
  EXPECT_STREQ(text, "abc");
}

TEST(CStringTest, FormatsLongOutputAndItsOwnContent) {
  const std::string long_text(2000, 'x');
  CString text;
  text.Format("%s-%d", long_text.c_str(), 42);
  EXPECT_EQ(text.GetLength(), 2003);
  EXPECT_STREQ(text.Mid(1998), "xx-42");
  text.AppendFormat("%05.1f%c", 2.5, '!');
  EXPECT_STREQ(text.Mid(2000), "-42002.5!");

  text = "self";
  text.Format("<%s>", text.GetString());
  EXPECT_STREQ(text, "<self>");
  text.AppendFormat("%s", text.GetString());
  EXPECT_STREQ(text, "<self><self>");

  CStringW wide;
  wide.Format(L"%ls %d", std::wstring(1500, L'\u00E4').c_str(), 7);
  EXPECT_EQ(wide.GetLength(), 1502);
  wide.AppendFormat(L"%ls", L"\u4E2D");
  EXPECT_EQ(wide[1502], L'\u4E2D');
}

TEST(CStringTest, ConvertsBetweenUtf8AndWideText) {
  const CString narrow(L"Gr\u00F6\u00DFe \U0001F600");
  EXPECT_STREQ(narrow, "Gr\xC3\xB6\xC3\x9F" "e \xF0\x9F\x98\x80");
  const CStringW wide(narrow.GetString());
  EXPECT_STREQ(wide, L"Gr\u00F6\u00DFe \U0001F600");
  EXPECT_STREQ(CStringW("a\xFF" "b"), L"a\uFFFDb");
}

TEST(CStringTest, SearchesNeverMatchInsideAUtf8Character) {
  // "ä" is C3 A4; neither byte on its own is a character of the text.
  const CString text("x\xC3\xA4y\xC3\xA4");
  EXPECT_EQ(text.Find('\xA4'), -1);
  EXPECT_EQ(text.Find("\xA4"), -1);
  EXPECT_EQ(text.Find("\xC3\xA4", 2), 4);
  EXPECT_EQ(text.Find('y', 1), 3);
  EXPECT_EQ(text.ReverseFind('\xA4'), -1);
  EXPECT_EQ(text.ReverseFind('y'), 3);

  int start = 0;
  EXPECT_STREQ(text.Tokenize("\xC3\xA4", start), "x");
  EXPECT_EQ(start, 3);
  EXPECT_STREQ(text.Tokenize("\xC3\xA4", start), "y");
  EXPECT_STREQ(text.Tokenize("\xC3\xA4", start), "");
  EXPECT_EQ(start, -1);
}

TEST(CStringTest, CaseMappingFollowsUnicodeAndKeepsWhatDoesNotMap) {
  CString text("\xC3\x84\xC3\x96\xC3\x9C Stra\xC3\x9F" "e \xFF");  // ÄÖÜ Straße, a stray byte
  EXPECT_STREQ(text.MakeLower(), "\xC3\xA4\xC3\xB6\xC3\xBC stra\xC3\x9F" "e \xFF");
  EXPECT_STREQ(text.MakeUpper(), "\xC3\x84\xC3\x96\xC3\x9C STRA\xC3\x9F" "E \xFF");
  // U+023A lower-cases to U+2C65, which takes one byte more in UTF-8.
  EXPECT_STREQ(CString("\xC8\xBA").MakeLower(), "\xE2\xB1\xA5");

  CStringW wide(L"\u00C4BC\u0130");
  EXPECT_STREQ(wide.MakeLower(), L"\u00E4bci");
}

TEST(CStringTest, LoadStringOfAnUnknownIdEmptiesTheString) {
  CString text("previous");
  EXPECT_FALSE(text.LoadString(0xFFFE));
  EXPECT_TRUE(text.IsEmpty());
}

}  // namespace
