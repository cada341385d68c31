// Node handles on pugixml's tree: names, attributes, text and XPath selection, with the text
// converted between the ANSI code page and the document's UTF-8.
#include "vtplatform/brenxml/xml_node.h"

#include <charconv>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include <pugixml.hpp>

#include "brenxml/xml_text.h"

namespace brenxml {
namespace {

pugi::xml_node tree_node(pugi::xml_node_struct* node) { return pugi::xml_node(node); }

xmlString ansi_string(std::string_view utf8) {
  std::optional<std::string> ansi = vtplatform::ansi_from_xml_text(utf8);
  return ansi ? xmlString(std::move(*ansi)) : xmlString();
}

bool is_xml_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// `text` as an int: an optional sign and decimal digits, with XML white space around them.
std::optional<int> parse_int(std::string_view text) {
  while (!text.empty() && is_xml_space(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_xml_space(text.back())) text.remove_suffix(1);
  // from_chars takes a minus sign but no plus sign; a digit must follow either.
  const bool negative = text.starts_with('-');
  if (!negative && text.starts_with('+')) text.remove_prefix(1);
  const std::string_view digits = negative ? text.substr(1) : text;
  if (digits.empty() || digits.front() < '0' || digits.front() > '9') return std::nullopt;
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// Whether `node` may take a new element child: an element does, and the document node while it
// has no document element, since a document has one.
bool can_take_element(pugi::xml_node node) {
  if (node.type() == pugi::node_element) return true;
  if (node.type() != pugi::node_document) return false;
  for (const pugi::xml_node child : node.children()) {
    if (child.type() == pugi::node_element) return false;
  }
  return true;
}

int set_attribute(pugi::xml_node node, const char* name, const std::string& utf8_value) {
  if (node.type() != pugi::node_element) return 0;
  const std::optional<std::string> utf8_name = vtplatform::xml_name_from_ansi(name);
  if (!utf8_name) return 0;
  pugi::xml_attribute attribute = node.attribute(utf8_name->c_str());
  if (!attribute) attribute = node.append_attribute(utf8_name->c_str());
  return attribute.set_value(utf8_value.c_str()) ? 1 : 0;
}

}  // namespace

xmlNode xmlNode::handle_to(pugi::xml_node_struct* node) const {
  return node != nullptr ? xmlNode(document_, node) : xmlNode();
}

xmlString xmlNode::nodeName() const {
  const pugi::xml_node node = tree_node(node_);
  if (node.type() != pugi::node_element) return xmlString();
  return ansi_string(node.name());
}

xmlNode xmlNode::parentNode() const {
  return handle_to(tree_node(node_).parent().internal_object());
}

xmlNode xmlNode::selectSingleNode(const char* xpath) const {
  if (isNull()) return xmlNode();
  const std::optional<std::string> query = vtplatform::xml_text_from_ansi(xpath);
  if (!query) return xmlNode();
  try {
    // An attribute result has no node of its own: node() is null for it.
    return handle_to(tree_node(node_).select_node(query->c_str()).node().internal_object());
  } catch (const pugi::xpath_exception&) {
    return xmlNode();  // malformed, or the query selects no node set
  }
}

int xmlNode::setAttribute(const char* name, const char* value) {
  const std::optional<std::string> utf8 = vtplatform::xml_text_from_ansi(value);
  if (!utf8) return 0;
  return set_attribute(tree_node(node_), name, *utf8);
}

int xmlNode::setAttribute(const char* name, int value) {
  return set_attribute(tree_node(node_), name, std::to_string(value));
}

int xmlNode::getAttribute(const char* name, int& value) const {
  const std::optional<std::string> utf8_name = vtplatform::xml_name_from_ansi(name);
  if (!utf8_name) return 0;
  const pugi::xml_attribute attribute = tree_node(node_).attribute(utf8_name->c_str());
  if (!attribute) return 0;
  const std::optional<int> number = parse_int(attribute.value());
  if (!number) return 0;
  value = *number;
  return 1;
}

int xmlNode::getAttribute(const char* name, xmlString& value) const {
  const std::optional<std::string> utf8_name = vtplatform::xml_name_from_ansi(name);
  if (!utf8_name) return 0;
  const pugi::xml_attribute attribute = tree_node(node_).attribute(utf8_name->c_str());
  if (!attribute) return 0;
  std::optional<std::string> ansi = vtplatform::ansi_from_xml_text(attribute.value());
  if (!ansi) return 0;
  value = xmlString(std::move(*ansi));
  return 1;
}

int xmlNode::removeAttribute(const char* name) {
  const std::optional<std::string> utf8_name = vtplatform::xml_name_from_ansi(name);
  if (!utf8_name) return 0;
  return tree_node(node_).remove_attribute(utf8_name->c_str()) ? 1 : 0;
}

xmlString xmlNode::text() const {
  const pugi::xml_node node = tree_node(node_);
  if (node.type() != pugi::node_element) return xmlString();
  return ansi_string(node.text().get());
}

int xmlNode::setText(const char* value) {
  pugi::xml_node node = tree_node(node_);
  if (node.type() != pugi::node_element) return 0;
  const std::optional<std::string> utf8 = vtplatform::xml_text_from_ansi(value);
  if (!utf8) return 0;
  return node.text().set(utf8->c_str()) ? 1 : 0;
}

xmlNode createElement_appendChild(xmlNode& parent, const char* name) {
  pugi::xml_node node = tree_node(parent.node_);
  if (!can_take_element(node)) return xmlNode();
  const std::optional<std::string> utf8_name = vtplatform::xml_name_from_ansi(name);
  if (!utf8_name) return xmlNode();
  return parent.handle_to(node.append_child(utf8_name->c_str()).internal_object());
}

}  // namespace brenxml
