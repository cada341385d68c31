// A Windows export with names and text in the script of each code page of the test table: it
// imports into the store's narrow bytes, reads back through the registry functions and exports to
// the same bytes; a character the page cannot hold is refused. In the double-byte pages the
// names end in a character whose trail byte is '\\', which must not split the key path.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "testing/code_page_samples.h"
#include "testing/regedit_export.h"
#include "testing/scoped_env.h"
#include "testing/temp_dir.h"
#include "vtplatform/win32/code_page.h"
#include "vtplatform/win32/error.h"
#include "vtplatform/win32/regedit.h"

namespace {

using vtutils::testing::code_page_samples;
using vtutils::testing::utf16_regedit_file;

std::u16string utf16(const wchar_t* wide) {
  std::u16string text;
  for (; *wide != L'\0'; ++wide) text.push_back(static_cast<char16_t>(*wide));  // all in the BMP
  return text;
}

// The hex list of `text` in UTF-16LE with its terminator and the list's closing one.
std::u16string multi_string_hex(const std::u16string& text) {
  std::u16string hex;
  for (const char16_t unit : text + u'\0' + u'\0') {
    for (const unsigned byte : {unit & 0xffu, unsigned{unit} >> 8}) {
      char digits[4];
      std::snprintf(digits, sizeof digits, "%02x,", byte);
      hex.append(digits, digits + 3);
    }
  }
  hex.pop_back();
  return hex;
}

std::string query(const std::string& key_path, const std::string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key_path.c_str(), 0, KEY_QUERY_VALUE, &key) != 0) {
    return "<no key>";
  }
  char data[64];
  DWORD size = sizeof data;
  const LSTATUS status =
      RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? std::string(data, size) : "<no value>";
}

TEST(RegeditCodePage, TheLocalesScriptImportsReadsBackAndExportsUnchanged) {
  const auto& samples = code_page_samples();
  vtutils::testing::TempDir dir;
  const vtutils::testing::ScopedEnv config("XDG_CONFIG_HOME", dir.str());
  const std::u16string word = utf16(samples.word.wide);
  const std::string ansi = samples.word.ansi;
  const std::string file = utf16_regedit_file(
      u"Windows Registry Editor Version 5.00\n\n"
      u"[HKEY_CURRENT_USER\\Software\\" + word + u"]\n"
      u"\"" + word + u"\"=\"" + word + u"\"\n"
      u"\"M\"=hex(7):" + multi_string_hex(word) + u"\n\n");
  std::string problem;
  ASSERT_EQ(vtplatform::import_regedit_file(file, problem), ERROR_SUCCESS) << problem;
  EXPECT_EQ(query("Software\\" + ansi, ansi), ansi + '\0');
  EXPECT_EQ(query("Software\\" + ansi, "M"), ansi + std::string(2, '\0'));

  std::string exported;
  ASSERT_EQ(vtplatform::export_regedit_file("HKEY_CURRENT_USER\\Software\\" + ansi,
                                            vtplatform::RegeditForm::kUnicode, exported, problem),
            ERROR_SUCCESS)
      << problem;
  EXPECT_EQ(exported, file);
  ASSERT_EQ(vtplatform::export_regedit_file("HKEY_CURRENT_USER\\Software\\" + ansi,
                                            vtplatform::RegeditForm::kRegedit4, exported, problem),
            ERROR_SUCCESS);
  std::string multi_hex;
  for (const char byte : ansi + std::string(2, '\0')) {
    char digits[4];
    std::snprintf(digits, sizeof digits, ",%02x", static_cast<unsigned char>(byte));
    multi_hex += digits;
  }
  EXPECT_EQ(exported, "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\" + ansi + "]\r\n\"" + ansi +
                          "\"=\"" + ansi + "\"\r\n\"M\"=hex(7):" + multi_hex.substr(1) + "\r\n\r\n");

  // A character the page cannot hold is refused with its key and value; UTF-8 holds it.
  const std::string missing = utf16_regedit_file(
      u"Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\" + word +
      u"]\n\"Missing\"=\"" + utf16(samples.missing.wide) + u"\"\n");
  const LSTATUS status = vtplatform::import_regedit_file(missing, problem);
  if (GetACP() == CP_UTF8) {
    EXPECT_EQ(status, ERROR_SUCCESS) << problem;
  } else {
    EXPECT_EQ(status, ERROR_INVALID_DATA);
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(samples.missing.wide[0]));
    EXPECT_EQ(problem, "line 4, key HKEY_CURRENT_USER\\Software\\" + ansi +
                           ", value \"Missing\": " + code + " cannot be held in code page " +
                           std::to_string(GetACP()) + " of the locale, the store's character set");
    EXPECT_EQ(query("Software\\" + ansi, "Missing"), "<no value>");
  }
}

}  // namespace
