// Tests of the XML library under each code page of the test table: narrow text goes into files as
// UTF-8 and comes back as the same bytes of the code page; what the code page cannot hold is not
// read at all.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "testing/code_page_samples.h"
#include "testing/temp_dir.h"
#include "vtplatform/brenxml/document_factory.h"
#include "vtplatform/win32/code_page.h"

namespace {

using brenxml::xmlDocument;
using brenxml::xmlNode;
using brenxml::xmlString;
using vtutils::testing::code_page_samples;

TEST(XmlCodePage, NarrowTextIsStoredAsUtf8AndReadBackInTheCodePage) {
  const auto& word = code_page_samples().word;
  const std::string value = std::string(word.ansi) + " & " + word.ansi;
  vtutils::testing::TempDir dir;
  xxmDocumentFactory factory;
  std::unique_ptr<xmlDocument> document = factory.createDocument();
  xmlNode root = document->createDocumentElement(word.ansi);
  ASSERT_FALSE(root.isNull());
  ASSERT_NE(root.setAttribute("value", value.c_str()), 0);
  const std::string path = dir.file(word.ansi + std::string(".xml"));  // names are narrow bytes
  std::string error;
  ASSERT_TRUE(document->save(path.c_str(), error)) << error;

  const std::string saved = vtutils::testing::read_file(path);
  EXPECT_NE(saved.find("<" + std::string(word.utf8) + " value=\"" + word.utf8 + " &amp; " +
                       word.utf8 + "\" />"),
            std::string::npos)
      << saved;
  std::unique_ptr<xmlDocument> parsed = factory.parseFile(path.c_str(), error);
  ASSERT_NE(parsed, nullptr) << error;
  xmlString read;
  ASSERT_NE(parsed->documentElement().getAttribute("value", read), 0);
  EXPECT_EQ(read.c_str(), value);
  EXPECT_STREQ(parsed->documentElement().nodeName().c_str(), word.ansi);
  EXPECT_EQ(parsed->documentElement().parentNode().selectSingleNode(word.ansi),
            parsed->documentElement());
}

TEST(XmlCodePage, TextTheCodePageCannotHoldIsNotRead) {
  const auto& samples = code_page_samples();
  const bool held = samples.code_page == CP_UTF8;
  xxmDocumentFactory factory;
  std::string error;
  const std::string text = std::string("<a missing='") + samples.missing.utf8 + "' plain='x'>" +
                           samples.missing.utf8 + "</a>";
  std::unique_ptr<xmlDocument> document = factory.parseText(text.c_str(), error);
  ASSERT_NE(document, nullptr) << error;
  xmlNode root = document->documentElement();
  xmlString value("kept");
  EXPECT_EQ(root.getAttribute("missing", value) != 0, held);
  EXPECT_STREQ(value.c_str(), held ? samples.missing.ansi : "kept");
  EXPECT_STREQ(root.text().c_str(), held ? samples.missing.ansi : "");
  ASSERT_NE(root.getAttribute("plain", value), 0);
  EXPECT_STREQ(value.c_str(), "x");
}

}  // namespace
