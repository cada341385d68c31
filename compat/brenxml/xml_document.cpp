// Documents: the tree's owner, its text form and saving by replacement.
#include "vtplatform/brenxml/xml_document.h"

#include <cstring>
#include <pugixml.hpp>
#include <string>
#include <utility>

#include "win32/files/sibling_file.h"

namespace brenxml {
namespace {

// Collects pugixml's output in a string.
class StringWriter final : public pugi::xml_writer {
 public:
  explicit StringWriter(std::string& text) : text_(text) {}
  void write(const void* data, size_t size) override {
    text_.append(static_cast<const char*>(data), size);
  }

 private:
  std::string& text_;
};

std::string errno_message(const char* what, const char* path, int error) {
  return std::string(what) + " " + path + ": " + std::strerror(error);
}

}  // namespace

xmlDocument::xmlDocument() : tree_(std::make_shared<pugi::xml_document>()) {}

xmlDocument::xmlDocument(std::shared_ptr<pugi::xml_document> tree) : tree_(std::move(tree)) {}

xmlDocument::~xmlDocument() = default;

xmlNode xmlDocument::documentNode() const { return xmlNode(tree_, tree_->internal_object()); }

xmlNode xmlDocument::documentElement() const {
  return documentNode().handle_to(tree_->document_element().internal_object());
}

xmlNode xmlDocument::createDocumentElement(const char* name) {
  xmlNode document = documentNode();
  return createElement_appendChild(document, name);
}

std::string xmlDocument::toText() const {
  // pugixml's own declaration leaves the encoding out; this one names it.
  std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  StringWriter writer(text);
  tree_->save(writer, "  ", pugi::format_indent | pugi::format_no_declaration, pugi::encoding_utf8);
  return text;
}

bool xmlDocument::save(const char* path, std::string& error) const {
  if (path == nullptr || *path == '\0') {
    error = "no file name to save the document to";
    return false;
  }
  if (!tree_->document_element()) {
    error = std::string("cannot save ") + path + ": the document has no document element";
    return false;
  }
  const int replace_error = vtplatform::replace_file(path, toText(), vtplatform::new_file_rights());
  if (replace_error != 0) {
    error = errno_message("cannot save", path, replace_error);
    return false;
  }
  return true;
}

}  // namespace brenxml
