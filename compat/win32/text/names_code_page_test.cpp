// Tests of names in the ANSI code page under each code page of the test table: registry keys and
// values, INI sections and keys, and file name patterns. Names whose trail bytes look like '\\',
// ']' or a letter stay whole, and case-blind matching folds ASCII letters only.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "testing/code_page_samples.h"
#include "testing/scoped_env.h"
#include "testing/temp_dir.h"
#include "vtplatform/win32/code_page.h"
#include "vtplatform/win32/error.h"
#include "vtplatform/win32/file.h"
#include "vtplatform/win32/handle.h"
#include "vtplatform/win32/private_profile.h"
#include "vtplatform/win32/registry.h"

namespace {

using vtutils::testing::code_page_samples;
using vtutils::testing::ScopedEnv;
using vtutils::testing::TempDir;

class NamesCodePage : public ::testing::Test {
 protected:
  TempDir dir_;
  ScopedEnv config_{"XDG_CONFIG_HOME", dir_.str()};
  const std::string word_ = code_page_samples().word.ansi;
  const std::string upper_ = code_page_samples().upper.ansi;
  const std::string lower_ = code_page_samples().lower.ansi;
};

std::string query_string(HKEY key, const std::string& name) {
  char data[64] = {};
  DWORD size = sizeof data;
  const LSTATUS status =
      RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
  return status == ERROR_SUCCESS ? data : "<missing>";
}

void set_string(HKEY key, const std::string& name, const std::string& text) {
  EXPECT_EQ(RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>(text.size() + 1)),
            ERROR_SUCCESS);
}

TEST_F(NamesCodePage, RegistryKeysAndValuesKeepTheirCharactersWhole) {
  HKEY parent = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Names", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &parent, nullptr),
            ERROR_SUCCESS);
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(parent, word_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  set_string(key, word_, word_);
  set_string(key, upper_, "upper");
  set_string(key, lower_, "lower");
  set_string(key, "Plain", "ascii");
  EXPECT_EQ(query_string(key, word_), word_);
  EXPECT_EQ(query_string(key, upper_), "upper");
  EXPECT_EQ(query_string(key, lower_), "lower");
  EXPECT_EQ(query_string(key, "PLAIN"), "ascii");
  CloseHandle(key);

  // One key named by the whole word, its name and value written as regedit writes them.
  const std::string store = vtutils::testing::read_file(dir_.file("vtutils/registry.reg"));
  EXPECT_NE(store.find("[HKEY_CURRENT_USER\\Software\\Names\\" + word_ + "]\n\"" + word_ +
                       "\"=\"" + word_ + "\"\n"),
            std::string::npos)
      << store;
  EXPECT_EQ(RegDeleteKeyA(parent, word_.c_str()), ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKeyExA(parent, word_.c_str(), 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  CloseHandle(parent);
}

// A lead byte at the end of a name would take the quote or bracket written after it for its
// trail byte, and the name would not read back: such names are refused, and such text is kept.
TEST_F(NamesCodePage, NamesEndingInALeadByteAloneAreRefused) {
  int lead = 0x81;
  while (lead <= 0xff && !IsDBCSLeadByte(static_cast<BYTE>(lead))) ++lead;
  if (lead > 0xff) GTEST_SKIP() << "the code page has no lead bytes";
  const std::string cut = word_ + static_cast<char>(lead);

  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Names", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  HKEY refused = nullptr;
  EXPECT_EQ(RegCreateKeyExA(key, cut.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &refused,
                            nullptr),
            ERROR_INVALID_PARAMETER);
  const BYTE number[4] = {1, 2, 3, 4};
  EXPECT_EQ(RegSetValueExA(key, cut.c_str(), 0, REG_DWORD, number, sizeof number),
            ERROR_INVALID_PARAMETER);
  set_string(key, "Cut", cut);
  EXPECT_EQ(query_string(key, "Cut"), cut);
  CloseHandle(key);

  SetLastError(0);
  EXPECT_FALSE(WritePrivateProfileStringA(cut.c_str(), "k", "v", "names.ini"));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(NamesCodePage, IniSectionsAndKeysKeepTheirCharactersWhole) {
  const char* file = "names.ini";
  ASSERT_TRUE(WritePrivateProfileStringA(word_.c_str(), upper_.c_str(), "upper", file));
  ASSERT_TRUE(WritePrivateProfileStringA(word_.c_str(), lower_.c_str(), "lower", file));
  ASSERT_TRUE(WritePrivateProfileStringA(word_.c_str(), "Plain", word_.c_str(), file));
  const auto get = [&](const std::string& key) {
    char value[64] = {};
    GetPrivateProfileStringA(word_.c_str(), key.c_str(), "<none>", value, sizeof value, file);
    return std::string(value);
  };
  EXPECT_EQ(get(upper_), "upper");
  EXPECT_EQ(get(lower_), "lower");
  EXPECT_EQ(get("PLAIN"), word_);
  char sections[64] = {};
  EXPECT_EQ(GetPrivateProfileStringA(nullptr, nullptr, "", sections, sizeof sections, file),
            word_.size() + 1);
  EXPECT_EQ(sections, word_);
}

TEST_F(NamesCodePage, QuestionMarkInAPatternStandsForOneCharacter) {
  vtutils::testing::write_file(dir_.path() / (word_ + ".txt"), "");
  vtutils::testing::write_file(dir_.path() / "ab.txt", "");
  const std::string pattern =
      dir_.file(std::string(std::wcslen(code_page_samples().word.wide), '?') + ".txt");
  WIN32_FIND_DATAA found;
  const HANDLE find = FindFirstFileA(pattern.c_str(), &found);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_EQ(found.cFileName, word_ + ".txt");
  EXPECT_FALSE(FindNextFileA(find, &found));
  FindClose(find);
}

}  // namespace
