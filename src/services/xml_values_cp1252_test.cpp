// Tests of vtuXML under a legacy single-byte ANSI code page: this binary runs with
// LC_ALL=de_DE.CP1252. Text values are stored as UTF-8 and read back as the same bytes.
#include <gtest/gtest.h>

#include <string>

#include "vtutils/xml_values.h"

namespace {

TEST(XmlValuesCp1252, TextIsStoredAsUtf8AndReadBackInTheCodePage) {
  ASSERT_EQ(GetACP(), 1252u);
  brenxml::xmlDocument document;
  brenxml::xmlNode settings = document.createDocumentElement("settings");
  const CString value("Gr\xF6\xDF\x65 \x80 & \"Ma\xDF\"");
  vtuXML::add_node_value(settings, CString("Gr\xF6\xDF\x65"), value);
  EXPECT_NE(document.toText().find("<Größe value=\"Größe € &amp; &quot;Maß&quot;\""),
            std::string::npos)
      << document.toText();
  CString read;
  EXPECT_TRUE(vtuXML::get_node_value(settings, CString("Gr\xF6\xDF\x65"), read));
  EXPECT_EQ(read, value);
}

}  // namespace
