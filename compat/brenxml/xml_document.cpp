// Documents: the tree's owner, its text form and saving by replacement.
#include "vtplatform/brenxml/xml_document.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>

#include <pugixml.hpp>

#include "win32/sibling_file.h"

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

// The permissions that a new file gets from open(2): 0666 without the process's umask, read from
// /proc because umask(2) cannot read it without changing it for every thread for a moment.
mode_t new_file_mode() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("Umask:")) {
      return 0666 & ~static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    }
  }
  return 0644;
}

// The permissions for the file that replaces `path`: those of the file there, else a new file's.
mode_t replacement_mode(const char* path) {
  struct stat existing {};
  if (::stat(path, &existing) == 0) return existing.st_mode & 07777;
  return new_file_mode();
}

bool write_all(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t put = ::write(fd, text.data(), text.size());
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    text.remove_prefix(static_cast<std::size_t>(put));
  }
  return true;
}

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
  const std::string text = toText();
  const std::string_view target(path);
  const std::size_t slash = target.rfind('/');
  const std::string name(slash == std::string_view::npos ? target : target.substr(slash + 1));
  vtplatform::SiblingFile sibling(target, "." + name + ".");
  if (!sibling.valid()) {
    error = errno_message("cannot create a file beside", path, errno);
    return false;
  }
  if (::fchmod(sibling.fd(), replacement_mode(path)) != 0 || !write_all(sibling.fd(), text) ||
      ::fsync(sibling.fd()) != 0) {
    error = errno_message("cannot write", path, errno);
    return false;
  }
  if (const int rename_error = sibling.rename_to(path); rename_error != 0) {
    error = errno_message("cannot replace", path, rename_error);
    return false;
  }
  return true;
}

}  // namespace brenxml
