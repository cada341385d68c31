// The standard document factory: new documents, files and text parsed by pugixml into whole
// documents or none, and files changed in one locked step.
#include "vtplatform/brenxml/document_factory.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "brenxml/xml_text.h"
#include "vtplatform/win32/error.h"
#include "win32/files/sibling_file.h"
#include "win32/settings/shared_text_file.h"

namespace {

// What pugixml keeps: comments, processing instructions and the document type declaration
// besides elements and text, so that saving a parsed document loses none of them. The XML
// declaration stays out; saving writes its own. As a fragment the input keeps text outside the
// document element, which pugixml drops from a document, so that check_document can refuse it.
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_comments | pugi::parse_pi |
                                   pugi::parse_doctype | pugi::parse_fragment;

// "line L, column C" of byte `offset` in `text`, both counted from 1.
std::string position(std::string_view text, std::size_t offset) {
  offset = std::min(offset, text.size());
  const std::string_view before = text.substr(0, offset);
  const auto line = std::count(before.begin(), before.end(), '\n') + 1;
  const std::size_t line_start = before.rfind('\n');
  const std::size_t column = line_start == std::string_view::npos ? offset + 1 : offset - line_start;
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// Finds the first element, in document order, that gives an attribute twice.
class RepeatedAttributeFinder final : public pugi::xml_tree_walker {
 public:
  bool for_each(pugi::xml_node& node) override {
    if (node.type() != pugi::node_element || !node.first_attribute()) return true;
    names_.clear();
    for (const pugi::xml_attribute attribute : node.attributes()) {
      names_.emplace_back(attribute.name());
    }
    std::sort(names_.begin(), names_.end());
    if (std::adjacent_find(names_.begin(), names_.end()) == names_.end()) return true;
    found = node;
    return false;
  }

  pugi::xml_node found;

 private:
  std::vector<std::string_view> names_;
};

// The document as UTF-8 text, as saving writes it.
std::string utf8_form(const pugi::xml_document& tree) {
  std::ostringstream text;
  tree.save(text, "", pugi::format_raw, pugi::encoding_utf8);
  return std::move(text).str();
}

// What pugixml lets pass but XML does not allow: more or less than one element at the top level,
// text there, an attribute named twice, invalid UTF-8, and characters XML cannot hold, whether
// written as they are, as character references or in another encoding (UTF-16 decodes to any
// code point). The problem with its place in `text` where it is known, or an empty string.
std::string check_document(pugi::xml_document& tree, pugi::xml_encoding encoding,
                           std::string_view text) {
  // Offsets of nodes are those in the parsed buffer, which is the input itself for UTF-8.
  const auto at = [&](pugi::xml_node node) {
    return encoding == pugi::encoding_utf8 && node.offset_debug() >= 0
               ? position(text, static_cast<std::size_t>(node.offset_debug())) + ": "
               : std::string();
  };
  if (encoding == pugi::encoding_utf8) {
    if (const std::size_t bad = vtplatform::first_invalid_xml_char(text); bad != std::string::npos) {
      return position(text, bad) + ": invalid UTF-8 or a character that XML does not allow";
    }
  }
  if (vtplatform::first_invalid_xml_char(utf8_form(tree)) != std::string::npos) {
    return "a character that XML does not allow, from a character reference or the input's "
           "encoding";
  }
  pugi::xml_node element;
  for (const pugi::xml_node child : tree.children()) {
    if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
      return at(child) + "text outside the document element";
    }
    if (child.type() != pugi::node_element) continue;
    if (element) return at(child) + "more than one element at the top level";
    element = child;
  }
  if (!element) return "no document element";
  RepeatedAttributeFinder finder;
  if (!tree.traverse(finder)) return at(finder.found) + "an attribute is given twice";
  return std::string();
}

}  // namespace

std::unique_ptr<brenxml::xmlDocument> xxmDocumentFactory::parse(std::string_view text,
                                                                const std::string& source,
                                                                std::string& error) {
  auto tree = std::make_shared<pugi::xml_document>();
  const pugi::xml_parse_result result =
      tree->load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_auto);
  std::string problem;
  if (!result) {
    // pugixml counts the offset in the buffer it parsed, which is the input itself for UTF-8.
    problem = result.encoding == pugi::encoding_utf8
                  ? position(text, static_cast<std::size_t>(result.offset))
                  : "offset " + std::to_string(result.offset);
    problem += std::string(": ") + result.description();
  } else {
    problem = check_document(*tree, result.encoding, text);
  }
  if (!problem.empty()) {
    error = source + ": " + problem;
    return nullptr;
  }
  return std::unique_ptr<brenxml::xmlDocument>(new brenxml::xmlDocument(std::move(tree)));
}

axmDocumentFactory::~axmDocumentFactory() = default;

xxmDocumentFactory::xxmDocumentFactory() = default;

xxmDocumentFactory::~xxmDocumentFactory() = default;

std::unique_ptr<brenxml::xmlDocument> xxmDocumentFactory::createDocument() {
  return std::make_unique<brenxml::xmlDocument>();
}

std::unique_ptr<brenxml::xmlDocument> xxmDocumentFactory::parseFile(const char* path,
                                                                     std::string& error) {
  if (path == nullptr || *path == '\0') {
    error = "no file name to parse";
    return nullptr;
  }
  const std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path, "rbe"), &std::fclose);
  if (!file) {
    error = std::string("cannot open ") + path + ": " + std::strerror(errno);
    return nullptr;
  }
  std::string text;
  char buffer[65536];
  while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, file.get())) {
    text.append(buffer, got);
  }
  if (std::ferror(file.get())) {
    error = std::string("cannot read ") + path + ": " + std::strerror(errno);
    return nullptr;
  }
  return parse(text, path, error);
}

std::unique_ptr<brenxml::xmlDocument> xxmDocumentFactory::parseText(const std::string& text,
                                                                     std::string& error) {
  return parse(text, "XML text", error);
}

bool xxmDocumentFactory::updateFile(const char* path, int wait_ms, const Change& change,
                                    std::string& error) {
  if (path == nullptr || *path == '\0') {
    error = "no file name to update";
    return false;
  }
  // Refusals inside the step carry their own message; these codes only end the step.
  constexpr LONG kRefused = ERROR_CANCELLED;
  const vtplatform::SharedTextFile file(path, vtplatform::SharedTextFile::Folder::kExisting,
                                        vtplatform::new_file_rights());
  const LONG result = file.update(
      [&](std::string& text, bool& changed) -> LONG {
        std::unique_ptr<brenxml::xmlDocument> document;
        std::error_code ignored;
        if (std::filesystem::exists(path, ignored)) {
          document = parse(text, path, error);
          if (!document) return kRefused;
        }
        if (!change(document, error)) return kRefused;
        if (!document || document->documentElement().isNull()) {
          error = std::string("cannot save ") + path + ": the document has no document element";
          return kRefused;
        }
        text = document->toText();
        changed = true;
        return ERROR_SUCCESS;
      },
      wait_ms);
  if (result == ERROR_SHARING_VIOLATION) {
    error = std::string(path) + " is in use by another program";
  } else if (result != ERROR_SUCCESS && result != kRefused) {
    error = std::string("cannot update ") + path + " (Win32 error " + std::to_string(result) + ")";
  }
  return result == ERROR_SUCCESS;
}
