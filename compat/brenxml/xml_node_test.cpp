// Tests of node handles: attributes as text and integers, names XML refuses, XPath selection and
// handles that outlive their document.
#include "vtplatform/brenxml/xml_node.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "vtplatform/brenxml/document_factory.h"

namespace {

using brenxml::createElement_appendChild;
using brenxml::xmlNode;
using brenxml::xmlString;

class XmlNodeTest : public testing::Test {
 protected:
  xxmDocumentFactory factory_;
  std::unique_ptr<brenxml::xmlDocument> document_ = factory_.createDocument();
  xmlNode root_ = document_->createDocumentElement("settings");
};

TEST_F(XmlNodeTest, TextAttributesAreCreatedReplacedAndReadBack) {
  ASSERT_FALSE(root_.isNull());
  EXPECT_NE(root_.setAttribute("title", "first"), 0);
  EXPECT_NE(root_.setAttribute("title", "\"Tom & Jerry\" <'s> \t\n"), 0);
  EXPECT_NE(root_.setAttribute("empty", ""), 0);
  xmlString value;
  ASSERT_NE(root_.getAttribute("title", value), 0);
  EXPECT_STREQ(value.c_str(), "\"Tom & Jerry\" <'s> \t\n");
  ASSERT_NE(root_.getAttribute("empty", value), 0);
  EXPECT_STREQ(value.c_str(), "");
  value = xmlString("kept");
  EXPECT_EQ(root_.getAttribute("missing", value), 0);
  EXPECT_STREQ(value.c_str(), "kept");
  EXPECT_NE(root_.removeAttribute("title"), 0);
  EXPECT_EQ(root_.getAttribute("title", value), 0);
  EXPECT_STREQ(xmlString().c_str(), "");
}

TEST_F(XmlNodeTest, IntegersReadOnlyFromWholeDecimalText) {
  int value = 0;
  for (const int number : {0, -17, 42, INT_MIN, INT_MAX}) {
    ASSERT_NE(root_.setAttribute("n", number), 0);
    ASSERT_NE(root_.getAttribute("n", value), 0) << number;
    EXPECT_EQ(value, number);
  }
  for (const char* good : {" 12 ", "\t+12\n", "0012"}) {
    root_.setAttribute("n", good);
    value = 0;
    EXPECT_NE(root_.getAttribute("n", value), 0) << good;
    EXPECT_EQ(value, 12) << good;
  }
  for (const char* bad : {"5x", "", " ", "0x10", "1e3", "+-5", "-", "1 2", "2147483648",
                          "-2147483649", "99999999999999999999", "\xC2\xA0" "5"}) {
    root_.setAttribute("n", bad);
    value = 77;
    EXPECT_EQ(root_.getAttribute("n", value), 0) << bad;
    EXPECT_EQ(value, 77) << bad;
  }
  EXPECT_EQ(root_.getAttribute("absent", value), 0);
  EXPECT_EQ(value, 77);
}

TEST_F(XmlNodeTest, WhatWouldMakeTheDocumentMalformedIsRefused) {
  for (const char* bad_name : {"", "1st", "a b", "a<b", "-x", "x\"", "caf\xC3",
                               static_cast<const char*>(nullptr)}) {
    EXPECT_EQ(root_.setAttribute(bad_name, "v"), 0) << (bad_name ? bad_name : "null");
    EXPECT_EQ(root_.setAttribute(bad_name, 1), 0);
    EXPECT_TRUE(createElement_appendChild(root_, bad_name).isNull());
  }
  // Text: invalid UTF-8 under this UTF-8 locale, and control characters XML cannot hold.
  EXPECT_EQ(root_.setAttribute("v", "caf\xC3"), 0);
  EXPECT_EQ(root_.setAttribute("v", "bell\x07"), 0);
  EXPECT_EQ(root_.setAttribute("v", static_cast<const char*>(nullptr)), 0);
  EXPECT_EQ(root_.setText("\x1B[0m"), 0);
  // Names XML allows beyond ASCII letters.
  EXPECT_NE(root_.setAttribute("ns:x-1.y_z", "v"), 0);
  EXPECT_FALSE(createElement_appendChild(root_, "caf\xC3\xA9").isNull());
  EXPECT_EQ(document_->toText().find("v=\"v\""), std::string::npos);
  // A document has one document element.
  EXPECT_TRUE(document_->createDocumentElement("second").isNull());
  xmlNode top = root_.parentNode();
  EXPECT_TRUE(createElement_appendChild(top, "second").isNull());
  EXPECT_EQ(top.setAttribute("a", "b"), 0);
}

TEST_F(XmlNodeTest, EmptyHandlesFailQuietly) {
  xmlNode empty;
  EXPECT_TRUE(empty.isNull());
  EXPECT_TRUE(empty.selectSingleNode("*").isNull());
  EXPECT_TRUE(empty.parentNode().isNull());
  EXPECT_TRUE(createElement_appendChild(empty, "a").isNull());
  EXPECT_EQ(empty.setAttribute("a", "b"), 0);
  EXPECT_EQ(empty.setAttribute("a", 1), 0);
  EXPECT_EQ(empty.setText("t"), 0);
  int number = 3;
  xmlString text("kept");
  EXPECT_EQ(empty.getAttribute("a", number), 0);
  EXPECT_EQ(empty.getAttribute("a", text), 0);
  EXPECT_EQ(number, 3);
  EXPECT_STREQ(text.c_str(), "kept");
  EXPECT_STREQ(empty.nodeName().c_str(), "");
  EXPECT_STREQ(empty.text().c_str(), "");
  EXPECT_EQ(empty, xmlNode());
}

TEST_F(XmlNodeTest, XPathSelectsTheFirstMatchRelativeToTheNode) {
  xmlNode first = createElement_appendChild(root_, "Visible");
  xmlNode second = createElement_appendChild(root_, "Visible");
  xmlNode group = createElement_appendChild(root_, "group");
  xmlNode inner = createElement_appendChild(group, "Visible");
  first.setAttribute("value", 1);
  second.setAttribute("value", 0);
  ASSERT_NE(inner.setText("deep"), 0);

  EXPECT_EQ(root_.selectSingleNode("Visible"), first);
  EXPECT_EQ(root_.selectSingleNode("Visible[@value='0']"), second);
  EXPECT_EQ(root_.selectSingleNode("group/Visible"), inner);
  EXPECT_EQ(group.selectSingleNode("Visible"), inner);
  EXPECT_EQ(inner.selectSingleNode(".."), group);
  EXPECT_EQ(inner.selectSingleNode("/settings"), root_);
  EXPECT_EQ(group.parentNode(), root_);
  EXPECT_STREQ(root_.selectSingleNode("group/Visible").text().c_str(), "deep");
  EXPECT_STREQ(group.nodeName().c_str(), "group");

  EXPECT_TRUE(root_.selectSingleNode("Hidden").isNull());
  EXPECT_TRUE(root_.selectSingleNode("Visible/@value").isNull());  // an attribute, not a node
  for (const char* malformed : {"Visible[", "//", "1 +", "count(Visible)", "", "\xC3"}) {
    EXPECT_TRUE(root_.selectSingleNode(malformed).isNull()) << malformed;
  }
  EXPECT_TRUE(root_.selectSingleNode(nullptr).isNull());
}

TEST_F(XmlNodeTest, HandlesKeepTheTreeAfterTheDocumentIsGone) {
  xmlNode child = createElement_appendChild(root_, "child");
  document_.reset();
  root_ = xmlNode();
  xmlNode parent = child.parentNode();
  ASSERT_FALSE(parent.isNull());
  EXPECT_STREQ(parent.nodeName().c_str(), "settings");
  EXPECT_NE(child.setAttribute("still", "usable"), 0);
  EXPECT_FALSE(createElement_appendChild(parent, "more").isNull());
  EXPECT_EQ(parent.selectSingleNode("child[@still='usable']"), child);
  {
    xmlNode copy = child;  // a copy going away leaves the tree alone
  }
  EXPECT_EQ(child.parentNode().selectSingleNode("more").parentNode(), parent);
}

}  // namespace
