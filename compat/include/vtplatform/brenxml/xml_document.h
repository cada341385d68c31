// xmlDocument: one XML document, the owner of its tree. Documents come from a document factory
// (document_factory.h), which creates empty ones and parses files and text.
//
// Node handles taken from a document share its tree (xml_node.h), so they stay usable after the
// document object is gone. Saving writes UTF-8 with an XML declaration, replacing the target file
// whole or not at all.
#pragma once

#include <memory>
#include <string>

#include "vtplatform/brenxml/xml_node.h"
#include "vtplatform/export.h"

class xxmDocumentFactory;

namespace brenxml {

class VTPLATFORM_API xmlDocument {
 public:
  // An empty document: no document element yet.
  xmlDocument();
  xmlDocument(xmlDocument&&) noexcept = default;
  xmlDocument& operator=(xmlDocument&&) noexcept = default;
  xmlDocument(const xmlDocument&) = delete;
  xmlDocument& operator=(const xmlDocument&) = delete;
  ~xmlDocument();

  // The document node, the parent of the document element.
  xmlNode documentNode() const;
  // The document element; empty while the document has none.
  xmlNode documentElement() const;
  // Creates the document element named `name`. Empty when the document has one already or
  // `name` is not a valid XML name.
  xmlNode createDocumentElement(const char* name);

  // Writes the document to `path` (a file name in the ANSI code page) as indented UTF-8 with an
  // XML declaration. The text goes to a new file in the same folder, which then replaces `path`,
  // so a failure or a crash never leaves part of a document behind. A replaced file keeps its
  // permissions; a new one gets those of the process's umask. False with a message in `error`
  // when the document has no document element or the file cannot be written.
  bool save(const char* path, std::string& error) const;
  // The text that save writes, for printing.
  std::string toText() const;

 private:
  friend class ::xxmDocumentFactory;

  // The document of a parsed tree.
  explicit xmlDocument(std::shared_ptr<pugi::xml_document> tree);

  std::shared_ptr<pugi::xml_document> tree_;
};

}  // namespace brenxml
