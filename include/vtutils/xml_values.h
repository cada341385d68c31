// vtuXML: single values stored in XML as one child element per value, the value in the element's
// attribute "value". Text is stored as given, integers in decimal, booleans as 1 and 0.
//
//   <settings><Visible value="1"/><Title value="Bracket &amp; plate"/></settings>
#pragma once

#include "vtutils/export.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/xml.h"

class VTUTILS_API vtuXML {
 public:
  vtuXML() = delete;

  // Appends a child element named `name` to `node` holding `value`; a second call with the same
  // name appends a second child. Failures (a name that is no XML name, an empty node) are not
  // reported.
  static void add_node_value(brenxml::xmlNode& node, const CString& name, const CString& value);
  static void add_node_value(brenxml::xmlNode& node, const CString& name, int value);
  static void add_node_value(brenxml::xmlNode& node, const CString& name, bool value);

  // Reads the value of the first child element that `name` selects (an XPath query relative to
  // `node`; a plain name selects the first child element of that name). True when the element
  // and its attribute were there and read; otherwise false, and `value` is left as it was. A
  // boolean is true for every integer but 0; an attribute that is no whole decimal number does
  // not read as an integer or boolean.
  static bool get_node_value(const brenxml::xmlNode& node, const CString& name, int& value);
  static bool get_node_value(const brenxml::xmlNode& node, const CString& name, CString& value);
  static bool get_node_value(const brenxml::xmlNode& node, const CString& name, bool& value);

  // get_node_value without its result, for variables preset with their defaults.
  static void safe_get_node_value(const brenxml::xmlNode& node, const CString& name, int& value);
  static void safe_get_node_value(const brenxml::xmlNode& node, const CString& name,
                                  CString& value);
  static void safe_get_node_value(const brenxml::xmlNode& node, const CString& name, bool& value);
};
