// Tests of documents and the standard factory: saving and parsing back, replacing files whole and
// refusing malformed input. The factory as the "xml" service is tested with its registration.
#include "vtplatform/brenxml/xml_document.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "testing/temp_dir.h"
#include "vtplatform/brenxml/document_factory.h"

namespace {

using brenxml::createElement_appendChild;
using brenxml::xmlDocument;
using brenxml::xmlNode;
using brenxml::xmlString;
using vtutils::testing::read_file;
using vtutils::testing::TempDir;
using vtutils::testing::write_file;

constexpr const char* kAwkward = "a \"quoted\" & 'single' <tag> ]]> \r\n\ttab";

TEST(XmlDocument, SavedTextParsesBackToTheSameValues) {
  TempDir dir;
  xxmDocumentFactory factory;
  std::unique_ptr<xmlDocument> document = factory.createDocument();
  xmlNode root = document->createDocumentElement("settings");
  xmlNode item = createElement_appendChild(root, "item");
  ASSERT_NE(item.setAttribute("value", kAwkward), 0);
  ASSERT_NE(item.setAttribute("count", -5), 0);
  ASSERT_NE(createElement_appendChild(root, "note").setText("x < y && y > z"), 0);
  const std::string path = dir.file("settings.xml");
  std::string error;
  ASSERT_TRUE(document->save(path.c_str(), error)) << error;

  const std::string text = read_file(path);
  EXPECT_EQ(text, document->toText());
  EXPECT_TRUE(text.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<settings>")) << text;

  std::unique_ptr<xmlDocument> parsed = factory.parseFile(path.c_str(), error);
  ASSERT_NE(parsed, nullptr) << error;
  xmlNode read = parsed->documentElement().selectSingleNode("item");
  xmlString value;
  int count = 0;
  ASSERT_NE(read.getAttribute("value", value), 0);
  EXPECT_STREQ(value.c_str(), kAwkward);
  ASSERT_NE(read.getAttribute("count", count), 0);
  EXPECT_EQ(count, -5);
  EXPECT_STREQ(parsed->documentElement().selectSingleNode("note").text().c_str(),
               "x < y && y > z");
  EXPECT_EQ(parsed->toText(), text);
}

TEST(XmlDocument, ParsingKeepsCommentsAndDropsTheOldDeclaration) {
  xxmDocumentFactory factory;
  std::string error;
  std::unique_ptr<xmlDocument> document = factory.parseText(
      "<?xml version='1.0' encoding='ISO-8859-1'?>\n<!-- keep me --><a b='caf\xE9'/>", error);
  ASSERT_NE(document, nullptr) << error;
  EXPECT_EQ(document->toText(),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- keep me -->\n<a b=\"caf\xC3\xA9\" />\n");
}

TEST(XmlDocument, SaveReplacesTheFileWholeAndKeepsItsPermissions) {
  TempDir dir;
  xxmDocumentFactory factory;
  std::unique_ptr<xmlDocument> document = factory.createDocument();
  std::string error;
  const std::string path = dir.file("out.xml");
  write_file(path, "old");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  EXPECT_FALSE(document->save(path.c_str(), error));  // nothing to save yet
  EXPECT_NE(error.find("no document element"), std::string::npos) << error;
  EXPECT_EQ(read_file(path), "old");

  document->createDocumentElement("root");
  ASSERT_TRUE(document->save(path.c_str(), error)) << error;
  struct stat status {};
  ASSERT_EQ(::stat(path.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
  EXPECT_NE(read_file(path).find("<root />"), std::string::npos);

  const std::string missing = dir.file("no/such/folder/out.xml");
  error.clear();
  EXPECT_FALSE(document->save(missing.c_str(), error));
  EXPECT_NE(error.find(missing), std::string::npos) << error;
  // Nothing but the saved file is left in the folder.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()), 1);
}

TEST(XmlDocument, MalformedInputGivesNoDocumentAndSaysWhere) {
  xxmDocumentFactory factory;
  struct Case {
    std::string_view text;
    const char* expected;  // part of the error text
  };
  using namespace std::string_view_literals;
  for (const Case& c : {Case{"<a>\n  <b>\n</a>", "line 3"},
                        Case{"<a></a><b/>", "more than one element"},
                        Case{"<a/>trailing", "line 1, column 5: text outside"},
                        Case{"<?xml version='1.0'?><![CDATA[x]]><a/>", "text outside"},
                        Case{"", "ocument element"},
                        Case{"<!-- only a comment -->", "ocument element"},
                        Case{"<a>\n <b c='1' d='' c='2'/></a>", "line 2, column 3: an attribute"},
                        Case{"<a>\n caf\xC3</a>", "line 2, column 5"},
                        Case{"<a>\x01</a>", "line 1, column 4"},
                        // Characters XML cannot hold that arrive other than as themselves.
                        Case{"<a>&#xFFFF;</a>", "does not allow"},
                        Case{"<\0a\0>\0\xFF\xFF<\0/\0a\0>\0"sv, "does not allow"}}) {
    std::string error;
    EXPECT_EQ(factory.parseText(std::string(c.text), error), nullptr) << c.text;
    EXPECT_NE(error.find(c.expected), std::string::npos) << c.text << " -> " << error;
  }
}

TEST(XmlDocument, UnreadableFilesGiveNoDocument) {
  TempDir dir;
  xxmDocumentFactory factory;
  std::string error;
  const std::string missing = dir.file("missing.xml");
  EXPECT_EQ(factory.parseFile(missing.c_str(), error), nullptr);
  EXPECT_NE(error.find(missing), std::string::npos) << error;
  error.clear();
  EXPECT_EQ(factory.parseFile(dir.str().c_str(), error), nullptr);  // a folder
  EXPECT_FALSE(error.empty());
}

TEST(XmlDocument, UpdateChangesTheFileOrLeavesItAsItWas) {
  TempDir dir;
  xxmDocumentFactory factory;
  const std::string path = dir.file("settings.xml");
  std::string error;
  const auto add_item = [](std::unique_ptr<xmlDocument>& document, std::string&) {
    if (!document) {
      document = xxmDocumentFactory().createDocument();
      document->createDocumentElement("settings");
    }
    xmlNode root = document->documentElement();
    return !createElement_appendChild(root, "item").isNull();
  };
  ASSERT_TRUE(factory.updateFile(path.c_str(), 0, add_item, error)) << error;  // made new
  ASSERT_TRUE(factory.updateFile(path.c_str(), 0, add_item, error)) << error;
  const std::string saved = read_file(path);
  EXPECT_NE(saved.find("<item />\n  <item />"), std::string::npos) << saved;

  // A change that refuses, and a change that leaves no document element, keep the file.
  EXPECT_FALSE(factory.updateFile(
      path.c_str(), 0,
      [](std::unique_ptr<xmlDocument>&, std::string& message) {
        message = "refused";
        return false;
      },
      error));
  EXPECT_EQ(error, "refused");
  EXPECT_FALSE(factory.updateFile(
      path.c_str(), 0,
      [](std::unique_ptr<xmlDocument>& document, std::string&) {
        document = xxmDocumentFactory().createDocument();
        return true;
      },
      error));
  EXPECT_NE(error.find("no document element"), std::string::npos) << error;
  EXPECT_EQ(read_file(path), saved);

  // A malformed file is not handed to the change, and stays as it is.
  write_file(path, "<a><b></a>");
  EXPECT_FALSE(factory.updateFile(path.c_str(), 0, add_item, error));
  EXPECT_NE(error.find(path + ": line 1"), std::string::npos) << error;
  EXPECT_EQ(read_file(path), "<a><b></a>");
}

}  // namespace
