// vtuXML: text, integer and boolean values in the attribute "value" of one child element each.
#include "vtutils/xml_values.h"

namespace {

constexpr const char* kValueAttribute = "value";

}  // namespace

void vtuXML::add_node_value(brenxml::xmlNode& node, const CString& name, const CString& value) {
  brenxml::xmlNode child = brenxml::createElement_appendChild(node, name);
  child.setAttribute(kValueAttribute, value.GetString());
}

void vtuXML::add_node_value(brenxml::xmlNode& node, const CString& name, int value) {
  brenxml::xmlNode child = brenxml::createElement_appendChild(node, name);
  child.setAttribute(kValueAttribute, value);
}

void vtuXML::add_node_value(brenxml::xmlNode& node, const CString& name, bool value) {
  add_node_value(node, name, value ? 1 : 0);
}

bool vtuXML::get_node_value(const brenxml::xmlNode& node, const CString& name, int& value) {
  const brenxml::xmlNode child = node.selectSingleNode(name);
  return child.getAttribute(kValueAttribute, value) != 0;
}

bool vtuXML::get_node_value(const brenxml::xmlNode& node, const CString& name, CString& value) {
  const brenxml::xmlNode child = node.selectSingleNode(name);
  brenxml::xmlString text;
  if (child.getAttribute(kValueAttribute, text) == 0) return false;
  value = text.c_str();
  return true;
}

bool vtuXML::get_node_value(const brenxml::xmlNode& node, const CString& name, bool& value) {
  const brenxml::xmlNode child = node.selectSingleNode(name);
  int number = 0;
  if (child.getAttribute(kValueAttribute, number) == 0) return false;
  value = number != 0;
  return true;
}

void vtuXML::safe_get_node_value(const brenxml::xmlNode& node, const CString& name, int& value) {
  get_node_value(node, name, value);
}

void vtuXML::safe_get_node_value(const brenxml::xmlNode& node, const CString& name,
                                 CString& value) {
  get_node_value(node, name, value);
}

void vtuXML::safe_get_node_value(const brenxml::xmlNode& node, const CString& name, bool& value) {
  get_node_value(node, name, value);
}
