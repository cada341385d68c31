// Tests of vtuXML: the stored form of text, integer and boolean values, reading them back, and
// what a missing element or attribute leaves in the caller's variables.
#include "vtutils/xml_values.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class XmlValuesTest : public ::testing::Test {
 protected:
  XmlValuesTest() : settings_(document_.createDocumentElement("settings")) {}

  std::string text() const { return document_.toText(); }

  brenxml::xmlDocument document_;
  brenxml::xmlNode settings_;
};

TEST_F(XmlValuesTest, ValuesRoundTripInTheirStoredForm) {
  vtuXML::add_node_value(settings_, CString("Visible"), true);
  vtuXML::add_node_value(settings_, CString("Hidden"), false);
  vtuXML::add_node_value(settings_, CString("Offset"), -42);
  vtuXML::add_node_value(settings_, CString("Title"), CString("\"Plate\" & <bracket>"));
  const std::string stored = text();
  EXPECT_NE(stored.find("<Visible value=\"1\""), std::string::npos) << stored;
  EXPECT_NE(stored.find("<Hidden value=\"0\""), std::string::npos) << stored;
  EXPECT_NE(stored.find("<Offset value=\"-42\""), std::string::npos) << stored;

  bool visible = false, hidden = true;
  int offset = 0;
  CString title;
  EXPECT_TRUE(vtuXML::get_node_value(settings_, CString("Visible"), visible));
  EXPECT_TRUE(vtuXML::get_node_value(settings_, CString("Hidden"), hidden));
  EXPECT_TRUE(vtuXML::get_node_value(settings_, CString("Offset"), offset));
  EXPECT_TRUE(vtuXML::get_node_value(settings_, CString("Title"), title));
  EXPECT_TRUE(visible);
  EXPECT_FALSE(hidden);
  EXPECT_EQ(offset, -42);
  EXPECT_STREQ(title, "\"Plate\" & <bracket>");
}

TEST_F(XmlValuesTest, BooleansAreAnyNonZeroIntegerAndTheFirstOfTwoIsRead) {
  vtuXML::add_node_value(settings_, CString("Flag"), 5);
  vtuXML::add_node_value(settings_, CString("Flag"), 0);
  bool flag = false;
  EXPECT_TRUE(vtuXML::get_node_value(settings_, CString("Flag"), flag));
  EXPECT_TRUE(flag);
  int number = 0;
  EXPECT_TRUE(vtuXML::get_node_value(settings_, CString("Flag"), number));
  EXPECT_EQ(number, 5);
}

TEST_F(XmlValuesTest, MissingOrUnreadableValuesLeavePresetsAlone) {
  vtuXML::add_node_value(settings_, CString("Word"), CString("yes"));
  brenxml::createElement_appendChild(settings_, "NoAttribute");
  for (const char* name : {"Absent", "NoAttribute", "Word"}) {
    bool flag = true;
    int number = 7;
    EXPECT_FALSE(vtuXML::get_node_value(settings_, CString(name), flag)) << name;
    EXPECT_FALSE(vtuXML::get_node_value(settings_, CString(name), number)) << name;
    EXPECT_TRUE(flag);
    EXPECT_EQ(number, 7);
  }
  CString preset("default");
  vtuXML::safe_get_node_value(settings_, CString("Absent"), preset);
  EXPECT_STREQ(preset, "default");
  vtuXML::safe_get_node_value(settings_, CString("Word"), preset);
  EXPECT_STREQ(preset, "yes");

  // A name that is no XML name adds nothing, and an empty node reads nothing.
  vtuXML::add_node_value(settings_, CString("two words"), 1);
  EXPECT_EQ(text().find("two"), std::string::npos);
  brenxml::xmlNode empty;
  vtuXML::add_node_value(empty, CString("Visible"), true);
  EXPECT_FALSE(vtuXML::get_node_value(empty, CString("Visible"), preset));
}

}  // namespace
