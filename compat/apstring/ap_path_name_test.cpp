// Tests of apPathName: separators, validity, the containing folder and joining.
#include "vtplatform/apstring/ap_path_name.h"

#include <string>
#include <utility>

#include <gtest/gtest.h>

namespace {

apPathName path(const wchar_t* text) { return apPathName(apString(apStringL, text)); }

std::wstring text_of(const apPathName& name) { return name.string().wstring(); }

// Each path's text, with backslashes made slashes, or null for an invalid path.
TEST(ApPathNameTest, ValidityDirnameAndCombine) {
  const std::pair<apPathName, const wchar_t*> cases[] = {
      {apPathName(), nullptr},
      {path(L""), nullptr},
      {apPathName(apString(std::u16string(u"/a\0b", 4))), nullptr},
      {path(L"a"), L"a"},
      {path(L"P:\\devel\\binaries\\x.so"), L"P:/devel/binaries/x.so"},
      {path(L"mixed/sep\\arators"), L"mixed/sep/arators"},
      {path(L"/opt/vantrel/bin/").dirname(), L"/opt/vantrel/bin"},
      {path(L"/opt/vantrel/bin/").dirname().dirname(), L"/opt/vantrel"},
      {path(L"C:\\Apps\\Suite\\bin\\").dirname().dirname(), L"C:/Apps/Suite"},
      {path(L"/opt").dirname(), L"/"},
      {path(L"/").dirname(), L"/"},
      {path(L"//").dirname(), L"/"},
      {path(L"a//b").dirname(), L"a"},
      {path(L"bin").dirname(), nullptr},
      {path(L"bin/").dirname().dirname(), nullptr},
      {apPathName().dirname(), nullptr},
      {path(L"/opt/vantrel").combine(path(L"lib")), L"/opt/vantrel/lib"},
      {path(L"/opt/vantrel/").combine(path(L"lib")), L"/opt/vantrel/lib"},
      {path(L"/").combine(path(L"sys")), L"/sys"},
      {path(L"root").combine(path(L"a\\b")), L"root/a/b"},
      {path(L"/opt").combine(path(L"/etc/x")), L"/etc/x"},
      {apPathName().combine(path(L"file")), nullptr},
      {path(L"/opt").combine(apPathName()), nullptr},
  };
  for (const auto& [result, expected] : cases) {
    EXPECT_EQ(result.invalid() ? L"<invalid>" : text_of(result), expected ? expected : L"<invalid>");
  }
}

}  // namespace
