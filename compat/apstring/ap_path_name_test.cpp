// Tests of apPathName: separators, validity, the containing folder and joining.
#include "vtplatform/apstring/ap_path_name.h"

#include <string>

#include <gtest/gtest.h>

namespace {

apPathName path(const wchar_t* text) { return apPathName(apString(apStringL, text)); }

std::wstring text_of(const apPathName& name) { return name.string().wstring(); }

TEST(ApPathNameTest, Validity) {
  EXPECT_NE(apPathName().invalid(), 0);
  EXPECT_NE(path(L"").invalid(), 0);
  EXPECT_NE(apPathName(apString(std::u16string(u"/a\0b", 4))).invalid(), 0);
  EXPECT_EQ(path(L"a").invalid(), 0);
}

TEST(ApPathNameTest, BackslashesBecomeSlashes) {
  EXPECT_EQ(text_of(path(L"P:\\devel\\binaries\\x.so")), L"P:/devel/binaries/x.so");
  EXPECT_EQ(text_of(path(L"mixed/sep\\arators")), L"mixed/sep/arators");
}

TEST(ApPathNameTest, DirnameOfFolderWithTrailingSeparator) {
  const apPathName folder = path(L"/opt/vantrel/bin/");
  EXPECT_EQ(text_of(folder.dirname()), L"/opt/vantrel/bin");
  EXPECT_EQ(text_of(folder.dirname().dirname()), L"/opt/vantrel");
  EXPECT_EQ(text_of(path(L"C:\\Apps\\Suite\\bin\\").dirname().dirname()), L"C:/Apps/Suite");
}

TEST(ApPathNameTest, DirnameEdges) {
  EXPECT_EQ(text_of(path(L"/opt").dirname()), L"/");
  EXPECT_EQ(text_of(path(L"/").dirname()), L"/");
  EXPECT_EQ(text_of(path(L"//").dirname()), L"/");
  EXPECT_EQ(text_of(path(L"a//b").dirname()), L"a");
  EXPECT_NE(path(L"bin").dirname().invalid(), 0);
  EXPECT_NE(path(L"bin/").dirname().dirname().invalid(), 0);
  EXPECT_NE(apPathName().dirname().invalid(), 0);
}

TEST(ApPathNameTest, Combine) {
  EXPECT_EQ(text_of(path(L"/opt/vantrel").combine(path(L"lib"))), L"/opt/vantrel/lib");
  EXPECT_EQ(text_of(path(L"/opt/vantrel/").combine(path(L"lib"))), L"/opt/vantrel/lib");
  EXPECT_EQ(text_of(path(L"/").combine(path(L"sys"))), L"/sys");
  EXPECT_EQ(text_of(path(L"root").combine(path(L"a\\b"))), L"root/a/b");
  EXPECT_EQ(text_of(path(L"/opt").combine(path(L"/etc/x"))), L"/etc/x");
  EXPECT_NE(apPathName().combine(path(L"file")).invalid(), 0);
  EXPECT_NE(path(L"/opt").combine(apPathName()).invalid(), 0);
}

}  // namespace
