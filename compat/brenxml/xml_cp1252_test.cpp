// Tests of the XML library under the single-byte ANSI code page 1252: narrow text goes into files
// as UTF-8 and comes back as the same CP1252 bytes; what CP1252 cannot hold is not read at all.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "testing/temp_dir.h"
#include "vtplatform/brenxml/document_factory.h"
#include "vtplatform/win32/code_page.h"

namespace {

using brenxml::xmlDocument;
using brenxml::xmlNode;
using brenxml::xmlString;

TEST(XmlCp1252, NarrowTextIsStoredAsUtf8AndReadBackAsCp1252) {
  ASSERT_EQ(GetACP(), 1252u) << "run with LC_ALL=de_DE.CP1252";
  vtutils::testing::TempDir dir;
  xxmDocumentFactory factory;
  std::unique_ptr<xmlDocument> document = factory.createDocument();
  xmlNode root = document->createDocumentElement("Gr\xF6\xDF" "e");  // Größe
  ASSERT_FALSE(root.isNull());
  ASSERT_NE(root.setAttribute("w\xE4hrung", "5 \x80 & \xA3"), 0);  // währung = "5 € & £"
  const std::string path = dir.file("\xE4.xml");  // file names are the narrow bytes
  std::string error;
  ASSERT_TRUE(document->save(path.c_str(), error)) << error;

  EXPECT_NE(vtutils::testing::read_file(path).find(
                "<Gr\xC3\xB6\xC3\x9F" "e w\xC3\xA4hrung=\"5 \xE2\x82\xAC &amp; \xC2\xA3\" />"),
            std::string::npos)
      << vtutils::testing::read_file(path);
  std::unique_ptr<xmlDocument> parsed = factory.parseFile(path.c_str(), error);
  ASSERT_NE(parsed, nullptr) << error;
  xmlString value;
  ASSERT_NE(parsed->documentElement().getAttribute("w\xE4hrung", value), 0);
  EXPECT_STREQ(value.c_str(), "5 \x80 & \xA3");
  EXPECT_STREQ(parsed->documentElement().nodeName().c_str(), "Gr\xF6\xDF" "e");
  EXPECT_EQ(parsed->documentElement().parentNode().selectSingleNode("Gr\xF6\xDF" "e"),
            parsed->documentElement());
}

TEST(XmlCp1252, TextTheCodePageCannotHoldIsNotRead) {
  ASSERT_EQ(GetACP(), 1252u) << "run with LC_ALL=de_DE.CP1252";
  xxmDocumentFactory factory;
  std::string error;
  // U+03A9 has no CP1252 byte.
  std::unique_ptr<xmlDocument> document =
      factory.parseText("<a greek='\xCE\xA9' plain='x'>\xCE\xA9</a>", error);
  ASSERT_NE(document, nullptr) << error;
  xmlNode root = document->documentElement();
  xmlString value("kept");
  EXPECT_EQ(root.getAttribute("greek", value), 0);
  EXPECT_STREQ(value.c_str(), "kept");
  EXPECT_STREQ(root.text().c_str(), "");
  ASSERT_NE(root.getAttribute("plain", value), 0);
  EXPECT_STREQ(value.c_str(), "x");
}

}  // namespace
