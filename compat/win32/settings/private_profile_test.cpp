// The private profile functions on real INI files in a temporary $XDG_CONFIG_HOME.
#include "vtplatform/win32/private_profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#include "testing/scoped_env.h"
#include "testing/temp_dir.h"
#include "vtplatform/win32/error.h"

namespace {

using vtutils::testing::read_file;
using vtutils::testing::ScopedEnv;
using vtutils::testing::TempDir;
using vtutils::testing::write_file;

class PrivateProfileTest : public ::testing::Test {
 protected:
  // The value as GetPrivateProfileStringA reads it with a roomy buffer.
  std::string get(const char* section, const char* key, const char* fallback = "<none>",
                  const char* file = "tool.ini") {
    char buffer[256];
    const DWORD length = GetPrivateProfileStringA(section, key, fallback, buffer, sizeof buffer,
                                                  file);
    return std::string(buffer, length);
  }
  std::string profile(const char* name = "tool.ini") const {
    return dir_.file(std::string("vtutils/") + name);
  }

  TempDir dir_;
  ScopedEnv config_{"XDG_CONFIG_HOME", dir_.str()};
};

TEST_F(PrivateProfileTest, ValuesRoundTripThroughTheProfileFolder) {
  EXPECT_EQ(get("Dialogs", "Open"), "<none>");
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(std::filesystem::exists(dir_.file("vtutils")));  // reads create nothing

  EXPECT_TRUE(WritePrivateProfileStringA("Dialogs", "Open", "/home/u/scans", "tool.ini"));
  EXPECT_TRUE(WritePrivateProfileStringA("Dialogs", "Save", " \"  padded \" ", "tool.ini"));
  EXPECT_TRUE(WritePrivateProfileStringA("Window", "Left", "10", "tool.ini"));
  EXPECT_TRUE(WritePrivateProfileStringA("dialogs", "OPEN", "/tmp", "tool.ini"));
  EXPECT_EQ(read_file(profile()),
            "[Dialogs]\nOpen=/tmp\nSave= \"  padded \" \n\n[Window]\nLeft=10\n");

  EXPECT_EQ(get("DIALOGS", "open"), "/tmp");
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  EXPECT_EQ(get("Dialogs", "Save"), "  padded ");  // blanks and one pair of quotes go
  EXPECT_EQ(get("Dialogs", "Missing", "fallback   "), "fallback");
  EXPECT_EQ(get("Dialogs", "Missing", nullptr), "");

  // A path names its own file; a folder that is missing is not made for it.
  const std::string own = dir_.file("own.ini");
  EXPECT_TRUE(WritePrivateProfileStringA("A", "k", "v", own.c_str()));
  EXPECT_EQ(get("a", "K", "", own.c_str()), "v");
  const std::string nowhere = dir_.file("no/such/folder.ini");
  EXPECT_FALSE(WritePrivateProfileStringA("A", "k", "v", nowhere.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(PrivateProfileTest, NamesIgnoreBlanksAroundThemAsTheFileDoes) {
  EXPECT_TRUE(WritePrivateProfileStringA(" Dialogs ", "\tOpen ", "/srv", "tool.ini"));
  EXPECT_EQ(read_file(profile()), "[Dialogs]\nOpen=/srv\n");
  EXPECT_EQ(get("Dialogs ", " open"), "/srv");
  EXPECT_TRUE(WritePrivateProfileStringA("Dialogs\t", nullptr, nullptr, "tool.ini"));
  EXPECT_EQ(read_file(profile()), "");
}

// A file the user shares, reached through a link: a change keeps its rights and the link.
TEST_F(PrivateProfileTest, ChangesKeepTheFilesRightsAndLinks) {
  const std::string shared = dir_.file("shared.ini");
  write_file(shared, "[A]\nk=1\n");
  std::filesystem::permissions(shared, std::filesystem::perms(0664));
  const std::string link = dir_.file("link.ini");
  std::filesystem::create_symlink(shared, link);
  EXPECT_EQ(get("A", "k", "", link.c_str()), "1");
  EXPECT_FALSE(std::filesystem::exists(link + ".lock"));  // reads create nothing

  EXPECT_TRUE(WritePrivateProfileStringA("A", "k", "2", link.c_str()));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(read_file(shared), "[A]\nk=2\n");
  EXPECT_EQ(std::filesystem::status(shared).permissions(), std::filesystem::perms(0664));
}

TEST_F(PrivateProfileTest, ChangesKeepEveryLineTheyDoNotTouch) {
  std::filesystem::create_directories(dir_.file("vtutils"));
  const std::string original =
      "; written by hand\r\n"
      "orphan=before any section\r\n"
      "[Dialogs]\r\n"
      "; the last folders\r\n"
      "Open = /old\r\n"
      "not an entry\r\n"
      "Open=/shadowed\r\n"
      "\r\n"
      "[broken\r\n"
      "Hidden=1\r\n"
      "[Other]  trailing words\r\n"
      "Gone=1\r\n"
      "[dialogs]\r\n"
      "Extra=2";
  write_file(profile(), original);
  EXPECT_EQ(get("Dialogs", "Open"), "/old");  // the first of two entries counts
  EXPECT_EQ(get("Dialogs", "Extra"), "2");    // sections of one name read as one
  EXPECT_EQ(get("broken", "Hidden"), "<none>");
  EXPECT_EQ(get("Other", "Gone"), "1");

  EXPECT_TRUE(WritePrivateProfileStringA("Dialogs", "Open", "/new", "tool.ini"));
  EXPECT_TRUE(WritePrivateProfileStringA("Other", nullptr, nullptr, "tool.ini"));
  EXPECT_TRUE(WritePrivateProfileStringA("Dialogs", "Extra", nullptr, "tool.ini"));
  EXPECT_TRUE(WritePrivateProfileStringA("Dialogs", "Save", "/s", "tool.ini"));
  EXPECT_EQ(read_file(profile()),
            "; written by hand\r\n"
            "orphan=before any section\r\n"
            "[Dialogs]\r\n"
            "; the last folders\r\n"
            "Open=/new\r\n"
            "not an entry\r\n"
            "Open=/shadowed\r\n"
            "\r\n"
            "[broken\r\n"
            "Hidden=1\r\n"
            "[dialogs]\r\n"
            "Save=/s\r\n");
  // Removing what is not there is no change and no failure.
  EXPECT_TRUE(WritePrivateProfileStringA("Nothing", nullptr, nullptr, "tool.ini"));
  EXPECT_TRUE(WritePrivateProfileStringA("Dialogs", "Nothing", nullptr, "tool.ini"));
}

TEST_F(PrivateProfileTest, TextsThatALineCannotHoldAreRefused) {
  EXPECT_TRUE(WritePrivateProfileStringA("S", "k", "v", "tool.ini"));
  const std::string before = read_file(profile());
  const struct {
    const char* section;
    const char* key;
    const char* value;
  } refused[] = {
      {nullptr, "k", "v"}, {"S]", "k", "v"},    {"S", "a=b", "v"}, {"S", " [k", "v"},
      {"S", ";k", "v"},    {"S", "  ", "v"},    {"S", "k", "a\nb"}, {"S\r", "k", "v"},
  };
  for (const auto& texts : refused) {
    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileStringA(texts.section, texts.key, texts.value, "tool.ini"));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
  EXPECT_EQ(read_file(profile()), before);
  EXPECT_TRUE(WritePrivateProfileStringA(nullptr, nullptr, nullptr, "tool.ini"));
}

TEST_F(PrivateProfileTest, BuffersFollowTheWindowsRules) {
  write_file(dir_.file("p.ini"), "[One]\na=12345\nbb=2\n[Two]\n");
  const std::string file = dir_.file("p.ini");
  char buffer[16];
  EXPECT_EQ(GetPrivateProfileStringA("One", "a", "", buffer, 4, file.c_str()), 3u);
  EXPECT_EQ(std::string(buffer), "123");
  EXPECT_EQ(GetPrivateProfileStringA("One", "a", "", nullptr, 4, file.c_str()), 0u);

  // Name lists: each name with its terminator and one more at the end.
  EXPECT_EQ(GetPrivateProfileStringA(nullptr, nullptr, "", buffer, sizeof buffer, file.c_str()),
            8u);
  EXPECT_EQ(std::string(buffer, 9), std::string("One\0Two\0\0", 9));
  EXPECT_EQ(GetPrivateProfileStringA("one", nullptr, "", buffer, sizeof buffer, file.c_str()), 5u);
  EXPECT_EQ(std::string(buffer, 6), std::string("a\0bb\0\0", 6));
  EXPECT_EQ(GetPrivateProfileStringA("One", nullptr, "", buffer, 5, file.c_str()), 3u);
  EXPECT_EQ(std::string(buffer, 5), std::string("a\0b\0\0", 5));
  EXPECT_EQ(GetPrivateProfileStringA("None", nullptr, "", buffer, sizeof buffer, file.c_str()),
            0u);
  EXPECT_EQ(std::string(buffer, 2), std::string("\0\0", 2));
}

TEST_F(PrivateProfileTest, NumbersAreTheLeadingDigitsOfTheValue) {
  write_file(dir_.file("n.ini"),
             "[N]\nplain=42\nminus=-7\nplus=+5\nunit= 12px \nword=x\nempty=\n"
             "quoted=\"9\"\nwide=4294967297\n");
  const std::string file = dir_.file("n.ini");
  const std::pair<const char*, UINT> cases[] = {
      {"plain", 42},      {"minus", 0U - 7},  {"plus", 5},  {"unit", 12}, {"word", 0},
      {"empty", 99},      {"quoted", 9},      {"wide", 1},  {"missing", 99}};
  for (const auto& [key, number] : cases) {
    EXPECT_EQ(GetPrivateProfileIntA("N", key, 99, file.c_str()), number) << key;
  }
  EXPECT_EQ(GetPrivateProfileIntA(nullptr, "plain", 99, file.c_str()), 99u);
}

}  // namespace
