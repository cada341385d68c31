// The application object's profile, in the registry store and in INI files, on a temporary
// $XDG_CONFIG_HOME.
#include "vtplatform/mfc/win_app.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "testing/scoped_env.h"
#include "testing/temp_dir.h"
#include "vtplatform/win32/error.h"
#include "vtplatform/win32/registry.h"

namespace {

using vtutils::testing::read_file;
using vtutils::testing::ScopedEnv;
using vtutils::testing::TempDir;

class WinAppProfileTest : public ::testing::Test {
 protected:
  std::string store() const { return dir_.file("vtutils/registry.reg"); }

  TempDir dir_;
  ScopedEnv config_{"XDG_CONFIG_HOME", dir_.str()};
};

TEST_F(WinAppProfileTest, RegistryProfileLivesUnderTheApplicationsKey) {
  CWinApp app("Tool");
  char key[] = "Brennic";
  app.SetRegistryKey(key);
  std::strcpy(key, "Changed");  // the object keeps its own copy
  EXPECT_STREQ(app.m_pszRegistryKey, "Brennic");
  EXPECT_STREQ(app.m_pszProfileName, "Tool");

  EXPECT_EQ(std::string(app.GetProfileString("Dialogs", "Open", "/fallback")), "/fallback");
  EXPECT_FALSE(std::filesystem::exists(store()));  // reading creates no key
  EXPECT_TRUE(app.WriteProfileString("Dialogs", "Open", "C:\\scans \"new\""));
  EXPECT_TRUE(app.WriteProfileString("Dialogs", "Save", "/out"));
  EXPECT_EQ(read_file(store()),
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_CURRENT_USER\\Software\\Brennic\\Tool\\Dialogs]\n"
            "\"Open\"=\"C:\\\\scans \\\"new\\\"\"\n"
            "\"Save\"=\"/out\"\n\n");
  EXPECT_EQ(std::string(app.GetProfileString("dialogs", "OPEN")), "C:\\scans \"new\"");

  // A value of another type reads as missing.
  HKEY dialogs = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Brennic\\Tool\\Dialogs", 0, KEY_WRITE,
                          &dialogs),
            ERROR_SUCCESS);
  const DWORD number = 7;
  EXPECT_EQ(RegSetValueExA(dialogs, "Count", 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&number), sizeof number),
            ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(dialogs), ERROR_SUCCESS);
  EXPECT_EQ(std::string(app.GetProfileString("Dialogs", "Count", "none")), "none");

  // A null value removes the entry, a null entry the section; what is gone stays removable.
  EXPECT_TRUE(app.WriteProfileString("Dialogs", "Open", nullptr));
  EXPECT_TRUE(app.WriteProfileString("Dialogs", "Open", nullptr));
  EXPECT_EQ(std::string(app.GetProfileString("Dialogs", "Open", "gone")), "gone");
  EXPECT_EQ(std::string(app.GetProfileString("Dialogs", "Save")), "/out");
  EXPECT_TRUE(app.WriteProfileString("Dialogs", nullptr, nullptr));
  EXPECT_TRUE(app.WriteProfileString("Dialogs", nullptr, nullptr));
  EXPECT_TRUE(app.WriteProfileString("Never", "Open", nullptr));
  EXPECT_EQ(std::string(app.GetProfileString("Dialogs", "Save", "gone")), "gone");
  EXPECT_EQ(read_file(store()).find("Dialogs"), std::string::npos);
  EXPECT_FALSE(app.WriteProfileString(nullptr, "Open", "x"));
}

TEST_F(WinAppProfileTest, WithoutANameTheProgramNamesTheProfile) {
  const std::string program = std::filesystem::read_symlink("/proc/self/exe").filename().string();
  CWinApp app;
  app.SetRegistryKey("Brennic");
  EXPECT_EQ(std::string(app.m_pszProfileName), program);
  CWinApp ini;
  EXPECT_TRUE(ini.WriteProfileString("S", "k", "v"));
  EXPECT_EQ(std::string(ini.m_pszProfileName), program + ".ini");
}

TEST_F(WinAppProfileTest, IniProfileInTheDefaultOrTheHostsFile) {
  {
    CWinApp app("Tool");
    EXPECT_EQ(std::string(app.GetProfileString("Dialogs", "Open", "/fallback")), "/fallback");
    EXPECT_TRUE(app.WriteProfileString("Dialogs", "Open", "/home/u/scans"));
    EXPECT_STREQ(app.m_pszProfileName, "Tool.ini");
    EXPECT_EQ(read_file(dir_.file("vtutils/Tool.ini")), "[Dialogs]\nOpen=/home/u/scans\n");
  }
  const std::string own = dir_.file("host.ini");
  CWinApp app("Tool");
  app.m_pszProfileName = own.c_str();
  const std::string long_value(1000, 'x');  // longer than the first buffer the object tries
  EXPECT_TRUE(app.WriteProfileString("Dialogs", "Open", long_value.c_str()));
  EXPECT_EQ(std::string(app.GetProfileString("Dialogs", "Open")), long_value);
  EXPECT_TRUE(app.WriteProfileString("Dialogs", nullptr, nullptr));
  EXPECT_EQ(read_file(own), "");
  EXPECT_EQ(read_file(dir_.file("vtutils/Tool.ini")), "[Dialogs]\nOpen=/home/u/scans\n");
}

// Numbers are REG_DWORD values in the registry and decimal text in an INI file; a value of
// another kind reads as the default there, and as its leading number in an INI file.
TEST_F(WinAppProfileTest, NumbersInTheRegistryAndInIniFiles) {
  for (const bool registry : {true, false}) {
    SCOPED_TRACE(registry ? "registry" : "INI file");
    CWinApp app("Tool");
    if (registry) app.SetRegistryKey("Brennic");
    EXPECT_EQ(app.GetProfileInt("Window", "Width", 640), 640u);
    EXPECT_TRUE(app.WriteProfileInt("Window", "Width", 1280));
    EXPECT_TRUE(app.WriteProfileInt("Window", "Offset", -3));
    EXPECT_EQ(app.GetProfileInt("window", "WIDTH", 640), 1280u);
    EXPECT_EQ(static_cast<int>(app.GetProfileInt("Window", "Offset", 0)), -3);
    EXPECT_TRUE(app.WriteProfileString("Window", "Title", "12 px"));
    EXPECT_EQ(app.GetProfileInt("Window", "Title", 7), registry ? 7u : 12u);
    EXPECT_FALSE(app.WriteProfileInt("Window", nullptr, 1));
  }
  EXPECT_EQ(read_file(dir_.file("vtutils/Tool.ini")),
            "[Window]\nWidth=1280\nOffset=-3\nTitle=12 px\n");
  EXPECT_NE(read_file(store()).find("\"Width\"=dword:00000500\n\"Offset\"=dword:fffffffd\n"),
            std::string::npos);
}

}  // namespace
