// The per-user registry through its functions, on a real store in a temporary $XDG_CONFIG_HOME.
#include "vtplatform/win32/registry.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "testing/descriptors.h"
#include "testing/regedit_export.h"
#include "testing/scoped_env.h"
#include "testing/temp_dir.h"
#include "vtplatform/win32/error.h"
#include "vtplatform/win32/handle.h"
#include "vtplatform/win32/regedit.h"

namespace {

using vtutils::testing::ScopedEnv;
using vtutils::testing::TempDir;

constexpr const char* kLogKey = "Software\\Brennic\\VTLifeTimeManagerLog";

class RegistryTest : public ::testing::Test {
 protected:
  std::string store() const { return dir_.file("vtutils/registry.reg"); }

  HKEY create(const char* path, REGSAM access = KEY_ALL_ACCESS) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    return key;
  }

  TempDir dir_;
  ScopedEnv config_{"XDG_CONFIG_HOME", dir_.str()};
};

LSTATUS set(HKEY key, const char* name, DWORD type, std::string_view data) {
  return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                        static_cast<DWORD>(data.size()));
}

LSTATUS set_dword(HKEY key, const char* name, DWORD value) {
  return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
}

LSTATUS set_string(HKEY key, const char* name, const char* text) {
  return set(key, name, REG_SZ, std::string_view(text, std::strlen(text) + 1));
}

// The lifetime log's way of reading its switch: a 4-byte buffer, any type accepted.
LSTATUS query_dword(HKEY key, const char* name, DWORD& value, DWORD& type) {
  DWORD size = sizeof value;
  return RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
}

// The value's bytes, or "<error N>".
std::string query(HKEY key, const char* name, DWORD* type = nullptr) {
  DWORD size = 0;
  LSTATUS error = RegQueryValueExA(key, name, nullptr, type, nullptr, &size);
  std::string data(size, '\0');
  if (error == ERROR_SUCCESS) {
    error = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(data.data()), &size);
  }
  return error == ERROR_SUCCESS ? data.substr(0, size) : "<error " + std::to_string(error) + ">";
}

// The functions pass a value's bytes through whatever its type; the text model's tests prove
// each type's form in the store.
TEST_F(RegistryTest, ValuesRoundTripThroughTheStore) {
  const std::size_t descriptors = vtutils::testing::open_descriptors();
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kLogKey, 0, KEY_QUERY_VALUE, &key),
            ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(std::filesystem::exists(dir_.file("vtutils")));  // reads create nothing

  struct Value {
    const char* name;
    DWORD type;
    std::string data;
  };
  const Value values[] = {
      {"Enabled", REG_DWORD, std::string("\x2a\0\0\0", 4)},
      {nullptr, REG_SZ, std::string("default \"quoted\" C:\\path\0", 25)},
      {"Q", REG_QWORD, "\x08\x07\x06\x05\x04\x03\x02\x01"},
      {"N", REG_NONE, ""},
  };
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kLogKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_WRITE, nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  for (const Value& value : values) EXPECT_EQ(set(key, value.name, value.type, value.data), 0);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  const std::string text = vtutils::testing::read_file(store());
  EXPECT_TRUE(
      text.starts_with("Windows Registry Editor Version 5.00\n\n"
                       "[HKEY_CURRENT_USER\\Software\\Brennic\\VTLifeTimeManagerLog]\n"
                       "\"Enabled\"=dword:0000002a\n"
                       "@=\"default \\\"quoted\\\" C:\\\\path\"\n"
                       "\"Q\"=hex(b):08,07,06,05,04,03,02,01\n"))
      << text;

  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kLogKey, 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
  for (const Value& value : values) {
    DWORD type = 0;
    EXPECT_EQ(query(key, value.name, &type), value.data);
    EXPECT_EQ(type, value.type);
  }
  // A second create opens the key; a value deleted is gone.
  HKEY again = create(kLogKey);
  EXPECT_EQ(RegDeleteValueA(again, "enabled"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(again, "Enabled"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(query(key, "Enabled"), "<error 2>");
  EXPECT_EQ(RegCloseKey(again), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(vtutils::testing::open_descriptors(), descriptors);
}

TEST_F(RegistryTest, QueriesFollowTheWindowsBufferRules) {
  HKEY key = create("Buffers");
  ASSERT_EQ(set_string(key, "Text", "hello"), ERROR_SUCCESS);

  DWORD type = 0;
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 6u);  // the terminator counts
  char buffer[8] = "xxxxxxx";
  size = 5;
  type = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(type, REG_SZ);
  size = sizeof buffer;
  EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(size, 6u);
  EXPECT_STREQ(buffer, "hello");

  DWORD reserved = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Text", &reserved, nullptr, nullptr, &size),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(
      RegQueryValueExA(key, "Text", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), nullptr),
      ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueExA(key, "x", 0, REG_BINARY, nullptr, 1), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(set_string(key, "two\nlines", "x"), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryTest, PathsAndNamesIgnoreCase) {
  HKEY created = create("Software\\Brennic\\Log");
  ASSERT_EQ(set_dword(created, "Enabled", 1), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(created), ERROR_SUCCESS);

  for (const char* path : {"SOFTWARE\\brennic\\LOG", "software\\\\Brennic\\log\\"}) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key), ERROR_SUCCESS) << path;
    EXPECT_EQ(query(key, "ENABLED"), std::string("\1\0\0\0", 4));
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  }
  HKEY parent = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software", 0, KEY_READ, &parent), ERROR_SUCCESS);
  HKEY child = nullptr;
  EXPECT_EQ(RegOpenKeyExA(parent, "BRENNIC\\log", 0, KEY_READ, &child), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(child), ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKeyExA(parent, "\\Brennic", 0, KEY_READ, &child), ERROR_BAD_PATHNAME);
  EXPECT_EQ(RegCloseKey(parent), ERROR_SUCCESS);

  // Changing a value through another spelling keeps one value with the stored name.
  created = create("software\\BRENNIC\\log");
  ASSERT_EQ(set_dword(created, "enabled", 0), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(created), ERROR_SUCCESS);
  const std::string text = vtutils::testing::read_file(store());
  EXPECT_NE(text.find("\"Enabled\"=dword:00000000"), std::string::npos) << text;
  EXPECT_EQ(text.find("enabled"), std::string::npos) << text;
}

TEST_F(RegistryTest, HandlesEnforceTheirRights) {
  HKEY writable = create("Rights", KEY_SET_VALUE);
  EXPECT_EQ(set_dword(writable, "v", 1), ERROR_SUCCESS);
  DWORD value = 0;
  DWORD type = 0;
  EXPECT_EQ(query_dword(writable, "v", value, type), ERROR_ACCESS_DENIED);

  HKEY readable = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Rights", 0, KEY_QUERY_VALUE, &readable),
            ERROR_SUCCESS);
  EXPECT_EQ(set_dword(readable, "v", 2), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValueA(readable, "v"), ERROR_ACCESS_DENIED);
  HKEY sub = nullptr;
  EXPECT_EQ(RegCreateKeyExA(readable, "Sub", 0, nullptr, 0, KEY_READ, nullptr, &sub, nullptr),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(query_dword(readable, "v", value, type), ERROR_SUCCESS);
  EXPECT_EQ(value, 1u);

  // The machine's keys can be opened for reading but hold nothing and take no changes.
  HKEY machine = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &machine),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, nullptr, 0, KEY_READ, nullptr,
                            &machine, nullptr),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(set_dword(HKEY_LOCAL_MACHINE, "v", 1), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegOpenKeyExA(HKEY_USERS, "", 0, KEY_READ, &machine), ERROR_INVALID_HANDLE);

  EXPECT_EQ(RegCloseKey(readable), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(readable), ERROR_INVALID_HANDLE);
  EXPECT_EQ(query_dword(readable, "v", value, type), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(writable), ERROR_SUCCESS);
}

TEST_F(RegistryTest, ADamagedStoreIsReadAsFarAsValidAndNotMadeWorse) {
  // Each bad line hides only itself; the values under a broken key header belong to no key.
  const std::string damaged =
      "Windows Registry Editor Version 5.00\n"
      "\n"
      "[HKEY_CURRENT_USER\\Software\\Brennic\\VTLifeTimeManagerLog]\n"
      "\"Before\"=dword:00000001\n"
      "\"Bad\"=dword:0000zz01\n"
      "\"Truncated\"=\"no end\n"
      "\"BadHex\"=hex:01,0g\n"
      "\"Escape\"=\"a\\tb\"\n"
      "\"Trailing\"=dword:1 x\n"
      "\"TooLong\"=dword:123456789\n"
      "\"Cut\"=hex:01,\\\n"
      "\x01\x02garbage \xff\n"
      "\"Deleted\"=-\n"
      "\"After\"=\"still here\"\n"
      "\n"
      "[HKEY_CURRENT_USER\\Software\\Broken\n"
      "\"Orphan\"=\"3\"\n"
      "\n"
      "[HKEY_CURRENT_USER\\Software\\Other]\n"
      "\"Cut\"=\"no end";
  std::filesystem::create_directories(dir_.file("vtutils"));
  vtutils::testing::write_file(store(), damaged);

  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kLogKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  EXPECT_EQ(query(key, "Before"), std::string("\1\0\0\0", 4));
  EXPECT_EQ(query(key, "After"), std::string("still here\0", 11));
  for (const char* hidden :
       {"Bad", "Truncated", "BadHex", "Escape", "Trailing", "TooLong", "Cut", "Deleted", "Orphan"}) {
    EXPECT_EQ(query(key, hidden), "<error 2>") << hidden;
  }
  HKEY other = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Broken", 0, KEY_READ, &other),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(vtutils::testing::read_file(store()), damaged);  // reading never rewrites

  // Changes keep every line they do not touch.
  other = create("Software\\Other");
  EXPECT_EQ(query(other, "Cut"), "<error 2>");
  ASSERT_EQ(set_dword(other, "New", 7), ERROR_SUCCESS);
  ASSERT_EQ(set_string(key, "after", "changed"), ERROR_SUCCESS);
  std::string expected = damaged + "\n\"New\"=dword:00000007\n";
  expected.replace(expected.find("\"still here\""), 12, "\"changed\"");
  EXPECT_EQ(vtutils::testing::read_file(store()), expected);
  EXPECT_EQ(RegCloseKey(other), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryTest, OpenKeysSeeOtherProcessesChangesAtOnce) {
  HKEY key = create(kLogKey);
  ASSERT_EQ(set_dword(key, "Enabled", 0), ERROR_SUCCESS);
  const pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    HKEY own = nullptr;
    const bool ok = RegOpenKeyExA(HKEY_CURRENT_USER, kLogKey, 0, KEY_SET_VALUE, &own) == 0 &&
                    set_dword(own, "Enabled", 1) == 0;
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_EQ(status, 0);
  EXPECT_EQ(query(key, "Enabled"), std::string("\1\0\0\0", 4));

  // The key removed from the store under the open handle.
  vtutils::testing::write_file(store(), "Windows Registry Editor Version 5.00\n\n");
  EXPECT_EQ(query(key, "Enabled"), "<error 1018>");
  EXPECT_EQ(set_dword(key, "Enabled", 1), ERROR_KEY_DELETED);
  HKEY sub = nullptr;
  EXPECT_EQ(RegOpenKeyExA(key, "", 0, KEY_READ, &sub), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryTest, ConcurrentWritersLoseNothing) {
  constexpr int kChildren = 2;
  constexpr int kValues = 200;
  pid_t children[kChildren];
  for (int c = 0; c < kChildren; ++c) {
    children[c] = fork();
    ASSERT_NE(children[c], -1);
    if (children[c] == 0) {
      HKEY key = nullptr;
      int failures = RegCreateKeyExA(HKEY_CURRENT_USER, "Concurrent", 0, nullptr, 0, KEY_WRITE,
                                     nullptr, &key, nullptr) != 0;
      for (int i = 0; i < kValues; ++i) {
        const std::string name = "child" + std::to_string(c) + "_" + std::to_string(i);
        failures += set_dword(key, name.c_str(), static_cast<DWORD>(c * 1000 + i)) != 0;
      }
      _exit(failures == 0 ? 0 : 1);
    }
  }
  for (pid_t child : children) {
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(status, 0);
  }

  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Concurrent", 0, KEY_READ, &key), ERROR_SUCCESS);
  for (int c = 0; c < kChildren; ++c) {
    for (int i = 0; i < kValues; ++i) {
      const std::string name = "child" + std::to_string(c) + "_" + std::to_string(i);
      DWORD value = 0;
      DWORD type = 0;
      ASSERT_EQ(query_dword(key, name.c_str(), value, type), ERROR_SUCCESS) << name;
      EXPECT_EQ(value, static_cast<DWORD>(c * 1000 + i));
    }
  }
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  // No file written beside the store is left behind: registry.reg and registry.reg.lock.
  const std::filesystem::directory_iterator folder(dir_.file("vtutils"));
  EXPECT_EQ(std::distance(begin(folder), end(folder)), 2);
}

TEST_F(RegistryTest, DeleteKeyRemovesOnlyAKeyWithoutSubkeys) {
  HKEY tool = create("Software\\Brennic\\Tool");
  HKEY dialogs = create("Software\\Brennic\\Tool\\Dialogs");
  EXPECT_EQ(set_string(dialogs, "Open", "/home/u"), ERROR_SUCCESS);
  HKEY deep = create("Software\\Brennic\\Tool\\Dialogs\\Deep");

  EXPECT_EQ(RegDeleteKeyA(tool, "dialogs"), ERROR_ACCESS_DENIED);  // it has a subkey
  EXPECT_EQ(RegDeleteKeyA(tool, "Dialogs\\Deep"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(tool, "Dialogs\\Deep"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(query(deep, "x"), "<error 1018>");  // ERROR_KEY_DELETED through a stale handle
  EXPECT_EQ(RegDeleteKeyA(deep, ""), ERROR_KEY_DELETED);
  EXPECT_EQ(RegDeleteKeyA(tool, "Dialogs"), ERROR_SUCCESS);
  EXPECT_EQ(query(dialogs, "Open"), "<error 1018>");
  EXPECT_EQ(vtutils::testing::read_file(store()).find("Dialogs"), std::string::npos);

  // Brennic only exists as the way to Tool; deleting Tool leaves it, not an empty root.
  EXPECT_EQ(RegDeleteKeyA(tool, ""), ERROR_SUCCESS);
  HKEY brennic = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Brennic", 0, KEY_READ, &brennic),
            ERROR_SUCCESS);

  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, ""), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, nullptr), ERROR_INVALID_PARAMETER);
  for (HKEY key : {tool, dialogs, deep, brennic}) EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryTest, AnImportIsAllOrNothing) {
  HKEY key = create("Software\\Old\\Deep");
  ASSERT_EQ(set_dword(key, "x", 1), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  const std::string before = vtutils::testing::read_file(store());
  const std::string good =
      "REGEDIT4\r\n[-HKEY_CURRENT_USER\\Software\\Old]\r\n[HKEY_CURRENT_USER\\A]\r\n"
      "\"x\"=dword:00000001\r\n";
  const struct {
    std::string file;
    const char* problem;
  } refused[] = {
      {good + "\"y\"=dword:zz\r\n", "line 5, key HKEY_CURRENT_USER\\A: not a value line"},
      {good + "[HKEY_LOCAL_MACHINE\\Software\\X]\r\n",
       "line 5, key HKEY_LOCAL_MACHINE\\Software\\X: only HKEY_CURRENT_USER keys are stored"},
      {good + "[-HKEY_CURRENT_USER]\r\n", "line 5, key HKEY_CURRENT_USER: the root key cannot"},
  };
  std::string problem;
  for (const auto& bad : refused) {
    EXPECT_EQ(vtplatform::import_regedit_file(bad.file, problem), ERROR_INVALID_DATA);
    EXPECT_TRUE(problem.starts_with(bad.problem)) << problem;
    EXPECT_EQ(vtutils::testing::read_file(store()), before);
  }
  // The good part alone imports: [-KEY] takes the key with the keys below it, and the new key
  // exports under its stored spelling.
  ASSERT_EQ(vtplatform::import_regedit_file(good, problem), ERROR_SUCCESS) << problem;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Old", 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND);
  std::string exported;
  ASSERT_EQ(vtplatform::export_regedit_file("HKCU\\a", vtplatform::RegeditForm::kRegedit4,
                                            exported, problem),
            ERROR_SUCCESS)
      << problem;
  EXPECT_EQ(exported, "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=dword:00000001\r\n\r\n");
  EXPECT_EQ(vtplatform::export_regedit_file("HKEY_CURRENT_USER\\Nothing",
                                            vtplatform::RegeditForm::kRegedit4, exported, problem),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(vtplatform::export_regedit_file("HKEY_LOCAL_MACHINE\\Software",
                                            vtplatform::RegeditForm::kRegedit4, exported, problem),
            ERROR_INVALID_DATA);
  EXPECT_EQ(problem,
            "only HKEY_CURRENT_USER keys are stored per user; HKEY_LOCAL_MACHINE holds nothing here");
}

TEST_F(RegistryTest, AStoreInAnotherEncodingIsRefusedAndLeftAlone) {
  std::filesystem::create_directories(dir_.file("vtutils"));
  const std::string windows_export = vtutils::testing::utf16_regedit_file(
      u"Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software]\n\n");
  for (const std::string& foreign :
       {windows_export, std::string("Windows Registry Editor Version 5.00\n\0\n", 39)}) {
    vtutils::testing::write_file(store(), foreign);
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key), ERROR_BADDB);
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software", 0, nullptr, 0, KEY_WRITE, nullptr,
                              &key, nullptr),
              ERROR_BADDB);
    EXPECT_EQ(set_dword(HKEY_CURRENT_USER, "x", 1), ERROR_BADDB);
    DWORD value = 0;
    DWORD type = 0;
    EXPECT_EQ(query_dword(HKEY_CURRENT_USER, "x", value, type), ERROR_BADDB);
    std::string problem;
    EXPECT_EQ(vtplatform::import_regedit_file("REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n", problem),
              ERROR_BADDB);
    EXPECT_EQ(vtutils::testing::read_file(store()), foreign);
  }
}

}  // namespace
