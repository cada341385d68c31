// Tests of vtuXML under each code page of the test table: text values are stored as UTF-8 and
// read back as the same bytes.
#include <gtest/gtest.h>

#include <string>

#include "testing/code_page_samples.h"
#include "vtutils/xml_values.h"

namespace {

TEST(XmlValuesCodePage, TextIsStoredAsUtf8AndReadBackInTheCodePage) {
  const auto& word = vtutils::testing::code_page_samples().word;
  brenxml::xmlDocument document;
  brenxml::xmlNode settings = document.createDocumentElement("settings");
  const CString value((std::string(word.ansi) + " & \"" + word.ansi + "\"").c_str());
  vtuXML::add_node_value(settings, CString(word.ansi), value);
  const std::string utf8 = word.utf8;
  EXPECT_NE(document.toText().find("<" + utf8 + " value=\"" + utf8 + " &amp; &quot;" + utf8 +
                                   "&quot;\""),
            std::string::npos)
      << document.toText();
  CString read;
  EXPECT_TRUE(vtuXML::get_node_value(settings, CString(word.ansi), read));
  EXPECT_EQ(read, value);
}

}  // namespace
