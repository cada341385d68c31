// The regedit converter: a UTF-16 export as Windows writes it, every type through both forms, and
// the files it refuses. The unit tests run in a UTF-8 locale; regedit_code_page_test.cpp covers
// the other code pages.
#include "win32/settings/regedit_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "testing/regedit_export.h"
#include "vtplatform/win32/registry.h"

namespace {

using vtplatform::read_regedit;
using vtplatform::RegeditChange;
using vtplatform::RegeditForm;
using vtplatform::write_regedit;
using vtutils::testing::utf16_regedit_file;
using Kind = RegeditChange::Kind;

// A change in words, so that a mismatch shows what differs.
std::string show(const RegeditChange& change) {
  static const char* const kKinds[] = {"add", "delete", "set", "delete value"};
  std::string text = std::string(kKinds[static_cast<int>(change.kind)]) + " " + change.path;
  if (change.kind == Kind::kSetValue || change.kind == Kind::kDeleteValue) {
    text += " \"" + change.value.name + "\" type " + std::to_string(change.value.type) + ":";
    for (const char byte : change.value.data) {
      char hex[4];
      std::snprintf(hex, sizeof hex, " %02x", static_cast<unsigned char>(byte));
      text += hex;
    }
  }
  return text;
}

std::vector<std::string> show(const std::vector<RegeditChange>& changes) {
  std::vector<std::string> shown;
  for (const RegeditChange& change : changes) shown.push_back(show(change));
  return shown;
}

RegeditChange set(const char* path, std::string name, DWORD type, std::string data) {
  return {Kind::kSetValue, path, {std::move(name), type, std::move(data)}, 0};
}

constexpr const char* kKey = "HKEY_CURRENT_USER\\Software\\Brennic\\Caf\xc3\xa9";

TEST(RegeditFileTest, AWindowsExportReadsIntoTheStoresNarrowText) {
  const std::string file = utf16_regedit_file(
      u"Windows Registry Editor Version 5.00\n"
      u"\n"
      u"; exported on Windows\n"
      u"[HKEY_CURRENT_USER\\Software\\Brennic\\Caf\u00e9]\n"
      u"@=\"C:\\\\Users\\\\J\u00fcrgen \\\"J\\\"\"\n"
      u"\"Enabled\"=dword:00000001\n"
      u"\"Path\"=hex(2):25,00,55,00,53,00,45,00,52,00,50,00,52,00,4f,00,46,00,49,00,4c,00,\\\n"
      u"  45,00,25,00,00,00\n"
      u"\"List\"=hex(7):e9,00,00,00,62,00,00,00,00,00\n"
      u"\"Big\"=hex(b):01,00,00,00,00,00,00,80\n"
      u"\"Blob\"=hex:00,ff\n"
      u"\"Link\"=hex(6):41,00\n"
      u"\"Gone\"=-\n"
      u"\n"
      u"[-HKEY_CURRENT_USER\\Software\\Old]\n"
      u"\n");
  std::vector<RegeditChange> changes;
  std::string problem;
  ASSERT_TRUE(read_regedit(file, changes, problem)) << problem;
  const std::vector<RegeditChange> expected = {
      {Kind::kAddKey, kKey, {}, 0},
      set(kKey, "", REG_SZ, std::string("C:\\Users\\J\xc3\xbcrgen \"J\"") + '\0'),
      set(kKey, "Enabled", REG_DWORD, std::string("\1\0\0\0", 4)),
      set(kKey, "Path", REG_EXPAND_SZ, std::string("%USERPROFILE%\0", 14)),
      set(kKey, "List", REG_MULTI_SZ, std::string("\xc3\xa9\0b\0\0", 6)),
      set(kKey, "Big", REG_QWORD, std::string("\1\0\0\0\0\0\0\x80", 8)),
      set(kKey, "Blob", REG_BINARY, std::string("\0\xff", 2)),
      set(kKey, "Link", 6, std::string("A\0", 2)),  // not one of the text types: its bytes as they are
      {Kind::kDeleteValue, kKey, {"Gone", REG_NONE, ""}, 0},
      {Kind::kDeleteKey, "HKEY_CURRENT_USER\\Software\\Old", {}, 0},
  };
  EXPECT_EQ(show(changes), show(expected));
  EXPECT_EQ(changes[3].line, 7u);
}

TEST(RegeditFileTest, EveryTypeRoundTripsThroughBothForms) {
  const std::vector<RegeditChange> changes = {
      {Kind::kAddKey, kKey, {}, 0},
      set(kKey, "", REG_SZ, std::string("quote \" and \\ back \xc3\xa9") + '\0'),
      set(kKey, "empty", REG_SZ, ""),
      set(kKey, "no terminator", REG_SZ, "abc"),
      set(kKey, "line break", REG_SZ, std::string("a\r\nb\0", 5)),
      set(kKey, "expand", REG_EXPAND_SZ, std::string("%A%\0", 4)),
      set(kKey, "multi", REG_MULTI_SZ, std::string("\xc3\xa9\0bc\0\0", 7)),
      set(kKey, "dword", REG_DWORD, std::string("\x78\x56\x34\x12", 4)),
      set(kKey, "short dword", REG_DWORD, std::string("\1\2\3", 3)),
      set(kKey, "qword", REG_QWORD, std::string("\1\2\3\4\5\6\7\x08", 8)),
      set(kKey, "long", REG_BINARY, std::string(300, '\xab')),
      set(kKey, "none", REG_NONE, ""),
      set(kKey, "type 0x123", 0x123, std::string("\0\x01", 2)),
      {Kind::kDeleteValue, kKey, {"\"old\" \\", REG_NONE, ""}, 0},
      {Kind::kDeleteKey, "HKEY_CURRENT_USER\\Software\\Old", {}, 0},
  };
  for (const RegeditForm form : {RegeditForm::kUnicode, RegeditForm::kRegedit4}) {
    std::string bytes;
    std::string problem;
    ASSERT_TRUE(write_regedit(changes, form, bytes, problem)) << problem;
    std::vector<RegeditChange> read;
    ASSERT_TRUE(read_regedit(bytes, read, problem)) << problem;
    EXPECT_EQ(show(read), show(changes));
  }
  // The text types' hex lists hold UTF-16 in the UTF-16 form and the store's bytes in REGEDIT4.
  const std::vector<RegeditChange> expand = {{Kind::kAddKey, "HKEY_CURRENT_USER", {}, 0},
                                             set("HKEY_CURRENT_USER", "E", REG_EXPAND_SZ,
                                                 std::string("%A%\0", 4))};
  std::string unicode;
  std::string regedit4;
  std::string problem;
  ASSERT_TRUE(write_regedit(expand, RegeditForm::kUnicode, unicode, problem));
  ASSERT_TRUE(write_regedit(expand, RegeditForm::kRegedit4, regedit4, problem));
  EXPECT_EQ(unicode, utf16_regedit_file(u"Windows Registry Editor Version 5.00\n\n"
                                        u"[HKEY_CURRENT_USER]\n"
                                        u"\"E\"=hex(2):25,00,41,00,25,00,00,00\n\n"));
  EXPECT_EQ(regedit4, "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER]\r\n\"E\"=hex(2):25,41,25,00\r\n\r\n");
}

TEST(RegeditFileTest, RefusesAWholeFileNamingTheFirstBadLine) {
  const std::string header = "REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n";
  const std::u16string unicode = u"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n";
  const struct {
    std::string bytes;
    const char* problem;
  } cases[] = {
      {"", "line 1: not a regedit file"},
      {"REGEDIT5\r\n", "line 1: not a regedit file"},
      {utf16_regedit_file(u"REGEDIT4\n"), "line 1: not a regedit file"},
      {"\xfe\xff", "line 1: not a regedit file"},  // UTF-16 big-endian
      {"\xff\xfeW", "the UTF-16 text ends in half a character"},
      {"REGEDIT4\r\n\"x\"=dword:1\r\n", "line 2: a value before the first key"},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\A\r\n", "line 2: not a whole key header"},
      {header + "\"x\"=dword:zz\r\n", "line 3, key HKEY_CURRENT_USER\\A: not a value line"},
      {header + "\"x\"=hex:01,\\\r\n", "line 3, key HKEY_CURRENT_USER\\A: not a value line"},
      {"REGEDIT4\r\n[-HKEY_CURRENT_USER\\A]\r\n\"x\"=-\r\n",
       "line 3, key HKEY_CURRENT_USER\\A: a value under a key that the file deletes"},
      {utf16_regedit_file(unicode + u"\"E\"=hex(2):41,00,42\n"),
       "line 3, key HKEY_CURRENT_USER\\A, value \"E\": its UTF-16 text ends in half a character"},
      // An unpaired surrogate is no character of any code page, UTF-8 included.
      {utf16_regedit_file(unicode + u"\"a\xd800\"=\"x\"\n"),
       "line 3, key HKEY_CURRENT_USER\\A, value \"aU+D800\": U+D800 cannot be held in code page"},
      {utf16_regedit_file(unicode + u"@=\"x\xdc00\"\n"),
       "line 3, key HKEY_CURRENT_USER\\A, the default value: U+DC00 cannot be held"},
      {utf16_regedit_file(unicode + u"\"S\"=hex(1):00,d8,00,00\n"),
       "line 3, key HKEY_CURRENT_USER\\A, value \"S\": U+D800 cannot be held"},
  };
  for (const auto& bad : cases) {
    std::vector<RegeditChange> changes;
    std::string problem;
    EXPECT_FALSE(read_regedit(bad.bytes, changes, problem)) << bad.problem;
    EXPECT_TRUE(problem.starts_with(bad.problem)) << problem;
  }

  // Bytes that are no text of the code page have no UTF-16 form; REGEDIT4 writes them as they are.
  for (const RegeditChange& change : {set(kKey, "\xff", REG_DWORD, "\1\0\0\0"),
                                      set(kKey, "S", REG_SZ, std::string("\xff\0", 2)),
                                      set(kKey, "M", REG_MULTI_SZ, std::string("\xff\0\0", 3))}) {
    std::string bytes;
    std::string problem;
    EXPECT_FALSE(write_regedit({change}, RegeditForm::kUnicode, bytes, problem)) << show(change);
    EXPECT_NE(problem.find("has no UTF-16 form"), std::string::npos) << problem;
    EXPECT_TRUE(write_regedit({change}, RegeditForm::kRegedit4, bytes, problem)) << show(change);
  }
}

}  // namespace
