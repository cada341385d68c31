// The ".reg" text model: parsing each value form and writing back only what changed. The
// registry tests prove that bad lines hide only themselves and survive a write.
#include "win32/settings/reg_file.h"

#include <gtest/gtest.h>

#include <string>

#include "vtplatform/win32/registry.h"

namespace {

using vtplatform::RegFile;
using vtplatform::RegValue;

constexpr std::string_view kKey = "HKEY_CURRENT_USER\\Software\\Brennic";

std::string bytes(std::initializer_list<int> values) {
  std::string result;
  for (int value : values) result.push_back(static_cast<char>(value));
  return result;
}

TEST(RegFileTest, ReadsEveryValueFormAndWritesTheFileBackUnchanged) {
  const std::string text =
      "Windows Registry Editor Version 5.00\n"
      "\n"
      "[HKEY_CURRENT_USER\\Software\\Brennic]\n"
      "@=\"default\"\n"
      "\"Path\"=\"C:\\\\dir\\\\a \\\"b\\\"\"\n"
      "\"Enabled\"=DWORD:0000002A\n"
      "\"Big\"=hex(b):2a,00,00,00,00,00,00,01\n"
      "\"Blob\"=hex:00,ff,\\\n"
      "  10, 2\n"
      "\"Empty\"=hex:\n"
      "\"Expand\"=hex(2):25,41,25,00\n"
      "; a comment\n"
      "\n";
  const RegFile file = RegFile::parse(text);
  EXPECT_EQ(file.serialize(), text);
  const auto value = [&](std::string_view name) {
    const RegValue* found = file.find_value(kKey, name);
    return found ? *found : RegValue{"<missing>", 0, ""};
  };
  EXPECT_EQ(value(""), (RegValue{"", REG_SZ, std::string("default\0", 8)}));
  EXPECT_EQ(value("path").data, std::string("C:\\dir\\a \"b\"\0", 13));
  EXPECT_EQ(value("Enabled"), (RegValue{"Enabled", REG_DWORD, bytes({0x2a, 0, 0, 0})}));
  EXPECT_EQ(value("Big"), (RegValue{"Big", REG_QWORD, bytes({0x2a, 0, 0, 0, 0, 0, 0, 1})}));
  EXPECT_EQ(value("Blob"), (RegValue{"Blob", REG_BINARY, bytes({0, 0xff, 0x10, 2})}));
  EXPECT_EQ(value("Empty"), (RegValue{"Empty", REG_BINARY, ""}));
  EXPECT_EQ(value("Expand"), (RegValue{"Expand", REG_EXPAND_SZ, std::string("%A%\0", 4)}));
  EXPECT_TRUE(file.has_key("hkey_current_user\\SOFTWARE"));
  EXPECT_FALSE(file.has_key("HKEY_CURRENT_USER\\Soft"));

  const RegFile crlf = RegFile::parse("[HKEY_CURRENT_USER\\A]\r\n\"x\"=dword:1\r\n");
  ASSERT_NE(crlf.find_value("HKEY_CURRENT_USER\\A", "X"), nullptr);
  EXPECT_EQ(crlf.find_value("HKEY_CURRENT_USER\\A", "X")->data, bytes({1, 0, 0, 0}));
}

TEST(RegFileTest, WrittenValuesReadBackByteForByte) {
  const std::string key = "HKEY_CURRENT_USER\\Types";
  const RegValue values[] = {
      {"", REG_SZ, std::string("quote \" and \\ back\0", 19)},
      {"no terminator", REG_SZ, "abc"},
      {"empty", REG_SZ, ""},
      {"line break", REG_SZ, std::string("a\nb\0", 4)},
      {"inner nul", REG_SZ, std::string("a\0b\0", 4)},
      {"short dword", REG_DWORD, bytes({1, 2, 3})},
      {"dword", REG_DWORD, bytes({0x78, 0x56, 0x34, 0x12})},
      {"multi", REG_MULTI_SZ, std::string("a\0bc\0\0", 6)},
      {"none", REG_NONE, ""},
      {"type 0x123", 0x123, bytes({7})},
      {"long", REG_BINARY, std::string(300, '\xab')},
      {"name \"with\" \\ quotes", REG_QWORD, bytes({1, 2, 3, 4, 5, 6, 7, 8})},
  };
  RegFile file = RegFile::parse("");
  file.add_key(key);
  for (const RegValue& value : values) file.set_value(key, value);
  const std::string text = file.serialize();
  EXPECT_TRUE(
      text.starts_with("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Types]\n"));
  EXPECT_NE(text.find("\n\"dword\"=dword:12345678\n"), std::string::npos);
  EXPECT_NE(text.find("\n\"short dword\"=hex(4):01,02,03\n"), std::string::npos);
  for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
       start = end + 1) {
    EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
  }

  const RegFile reread = RegFile::parse(text);
  for (const RegValue& value : values) {
    const RegValue* found = reread.find_value(key, value.name);
    ASSERT_NE(found, nullptr) << value.name;
    EXPECT_EQ(*found, value);
  }
}

TEST(RegFileTest, ChangesKeepPlaceSpellingAndSectionLayout) {
  RegFile file = RegFile::parse(
      "[HKEY_CURRENT_USER\\A]\n\"One\"=dword:00000001\n\"Two\"=\"x\"\n\n"
      "[HKEY_CURRENT_USER\\a]\n\"ONE\"=dword:00000009\n");
  // The file's last value of a name is the one that counts, as an import would leave it.
  EXPECT_EQ(file.find_value("HKEY_CURRENT_USER\\A", "one")->data, bytes({9, 0, 0, 0}));
  file.set_value("HKEY_CURRENT_USER\\A", {"one", REG_DWORD, bytes({3, 0, 0, 0})});
  file.set_value("HKEY_CURRENT_USER\\A\\Sub", {"Three", REG_SZ, std::string("3\0", 2)});
  EXPECT_EQ(file.serialize(),
            "[HKEY_CURRENT_USER\\A]\n\"One\"=dword:00000001\n\"Two\"=\"x\"\n\n"
            "[HKEY_CURRENT_USER\\a]\n\"ONE\"=dword:00000003\n\n"
            "[HKEY_CURRENT_USER\\A\\Sub]\n\"Three\"=\"3\"\n\n");

  EXPECT_TRUE(file.delete_value("HKEY_CURRENT_USER\\A", "one"));
  EXPECT_EQ(file.find_value("HKEY_CURRENT_USER\\A", "One"), nullptr);
  EXPECT_FALSE(file.delete_value("HKEY_CURRENT_USER\\A", "one"));
  EXPECT_TRUE(file.has_key("HKEY_CURRENT_USER\\A"));

  // Without its keys the store is written as a new one, as an empty file reads.
  EXPECT_TRUE(file.delete_key("HKEY_CURRENT_USER\\A"));
  EXPECT_TRUE(file.delete_key("HKEY_CURRENT_USER\\A\\Sub"));
  EXPECT_EQ(file.serialize(), RegFile::parse("").serialize());
  EXPECT_EQ(file.serialize(), "Windows Registry Editor Version 5.00\n\n");
}

}  // namespace
