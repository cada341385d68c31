// The XML document library's text holder and node handle, and the element creation they need.
//
// An xmlNode is a copyable handle to one node of a document. Every handle shares ownership of its
// document's tree, so a handle stays valid after the xmlDocument it came from is gone; destroying
// a handle never changes the tree. A default-constructed handle is empty, and every operation on
// an empty handle fails without effect.
//
// Narrow text at this interface (names, values, queries) is in the ANSI code page; documents
// hold it as UTF-8. Text that the conversion cannot carry faithfully, or that XML cannot hold
// (control characters other than tab, line feed and carriage return), makes the call fail rather
// than store something else. Reading fails in the same way for document text that the ANSI code
// page cannot hold.
//
// A document and its handles belong to one thread at a time.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "vtplatform/export.h"

namespace pugi {
class xml_document;
struct xml_node_struct;
}  // namespace pugi

namespace brenxml {

class xmlDocument;
class xmlNode;

// Text read from a document, in the ANSI code page.
class VTPLATFORM_API xmlString {
 public:
  xmlString() = default;
  explicit xmlString(std::string text) : text_(std::move(text)) {}

  // Never null; "" when empty.
  const char* c_str() const noexcept { return text_.c_str(); }
  bool empty() const noexcept { return text_.empty(); }
  const std::string& str() const noexcept { return text_; }

 private:
  std::string text_;
};

// Creates an element named `name` and appends it as the last child of `parent`. The new element,
// or an empty handle when `parent` is empty or cannot have element children (only elements can,
// and the document node while it has no document element) or `name` is not a valid XML name.
VTPLATFORM_API xmlNode createElement_appendChild(xmlNode& parent, const char* name);

class VTPLATFORM_API xmlNode {
 public:
  xmlNode() = default;

  bool isNull() const noexcept { return node_ == nullptr; }

  // The element's name; "" for other nodes and for empty handles.
  xmlString nodeName() const;
  // The parent node (the document node above the document element); empty at the top.
  xmlNode parentNode() const;

  // The first node, in document order, that the XPath query `xpath` selects relative to this
  // node ("Visible", "item[@id='3']", "//name"). Empty when nothing matches, when the query is
  // malformed or selects no nodes, and when the query selects an attribute.
  xmlNode selectSingleNode(const char* xpath) const;

  // Create or replace the attribute `name`. Nonzero on success; 0 on an empty handle or a node
  // that is not an element, for a `name` that is not a valid XML name, and for text that cannot
  // be stored (see above). The integer is written in decimal.
  int setAttribute(const char* name, const char* value);
  int setAttribute(const char* name, int value);

  // Nonzero when the attribute `name` exists and its whole text is a decimal integer in the range
  // of int: an optional sign and digits, with XML white space around them allowed. On failure
  // `value` is left as it was.
  int getAttribute(const char* name, int& value) const;
  // Nonzero when the attribute `name` exists and its text can be given in the ANSI code page. On
  // failure `value` is left as it was.
  int getAttribute(const char* name, xmlString& value) const;
  // Removes the attribute `name`; nonzero when there was one.
  int removeAttribute(const char* name);

  // The element's text: its first text or CDATA child. "" when it has none or the ANSI code page
  // cannot hold it.
  xmlString text() const;
  // Makes `value` the element's text, replacing the first text child or adding one. Nonzero on
  // success; fails like setAttribute.
  int setText(const char* value);

  // Handles of the same node (two empty handles are equal).
  friend bool operator==(const xmlNode& a, const xmlNode& b) noexcept { return a.node_ == b.node_; }

 private:
  friend class xmlDocument;
  friend VTPLATFORM_API xmlNode createElement_appendChild(xmlNode& parent, const char* name);

  xmlNode(std::shared_ptr<pugi::xml_document> document, pugi::xml_node_struct* node)
      : document_(std::move(document)), node_(node) {}
  // A handle to `node`, another node of this handle's document; empty for a null node.
  xmlNode handle_to(pugi::xml_node_struct* node) const;

  std::shared_ptr<pugi::xml_document> document_;
  pugi::xml_node_struct* node_ = nullptr;
};

}  // namespace brenxml
