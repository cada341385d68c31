// vtutil xml get and vtutil xml set: single values in XML files, stored as vtuXML stores them (a
// child element per value, the value in its attribute "value"), through the document factory
// that the "xml" service provides.
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "command_failure.h"
#include "commands.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/services.h"
#include "vtutils/platform/xml.h"
#include "vtutils/xml_service.h"
#include "vtutils/xml_values.h"

namespace {

const std::vector<std::string> kTypes = {"text", "int", "bool"};

struct XmlOptions {
  std::string file;
  std::string xpath;
  std::string name;
  std::string value;
  std::string type = "text";
  std::string create_root;
};

// The document factory registered under "xml"; the caller holds a vtuXmlServiceScope.
std::shared_ptr<axmDocumentFactory> document_factory() {
  return std::dynamic_pointer_cast<axmDocumentFactory>(
      utService::get_instance()->locate_service(utServiceName("xml")));
}

std::unique_ptr<brenxml::xmlDocument> parse(axmDocumentFactory& factory, const char* command,
                                            const std::string& file) {
  std::string error;
  std::unique_ptr<brenxml::xmlDocument> document = factory.parseFile(file.c_str(), error);
  if (!document) fail_command(command, error);
  return document;
}

// The node that `xpath` selects in the document; a failure when it selects none.
brenxml::xmlNode select(const brenxml::xmlDocument& document, const char* command,
                        const std::string& xpath) {
  const brenxml::xmlNode node = document.documentNode().selectSingleNode(xpath.c_str());
  if (node.isNull()) fail_command(command, "no element matches " + xpath);
  return node;
}

void run_get(const XmlOptions& options) {
  const vtuXmlServiceScope services;
  const auto document = parse(*document_factory(), "xml get", options.file);
  const brenxml::xmlNode node = select(*document, "xml get", options.xpath);
  const CString name(options.name.c_str());
  bool found = false;
  if (options.type == "int") {
    int value = 0;
    if ((found = vtuXML::get_node_value(node, name, value))) std::printf("%d\n", value);
  } else if (options.type == "bool") {
    bool value = false;
    if ((found = vtuXML::get_node_value(node, name, value))) {
      std::printf("%s\n", value ? "true" : "false");
    }
  } else {
    CString value;
    if ((found = vtuXML::get_node_value(node, name, value))) std::printf("%s\n", value.GetString());
  }
  if (!found) {
    fail_command("xml get", "no " + options.type + " value " + options.name + " under " +
                                options.xpath);
  }
}

// Parses VALUE as the type asks; a failure for text that is not of that type.
int parse_number(const std::string& text, const std::string& type) {
  if (type == "bool") {
    if (text == "true" || text == "1") return 1;
    if (text == "false" || text == "0") return 0;
    fail_command("xml set", "not a boolean (true, false, 1 or 0): " + text);
  }
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [parsed_end, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || parsed_end != end) {
    fail_command("xml set", "not a whole number in int range: " + text);
  }
  return value;
}

void run_set(const XmlOptions& options) {
  const vtuXmlServiceScope services;
  axmDocumentFactory& factory = *document_factory();
  std::unique_ptr<brenxml::xmlDocument> document;
  std::error_code error;
  if (!options.create_root.empty() && !std::filesystem::exists(options.file, error)) {
    if (error) fail_command("xml set", options.file + ": " + error.message());
    document = factory.createDocument();
    if (document->createDocumentElement(options.create_root.c_str()).isNull()) {
      fail_command("xml set", "not an element name: " + options.create_root);
    }
  } else {
    document = parse(factory, "xml set", options.file);
  }
  brenxml::xmlNode node = select(*document, "xml set", options.xpath);
  const CString name(options.name.c_str());
  // A value that is there already is changed in place, since readers take the first one; a new
  // one is appended as vtuXML appends it.
  brenxml::xmlNode existing = node.selectSingleNode(name);
  // NAME is queried like vtuXML queries it, but only a child element of that name may be changed.
  if (!existing.isNull() &&
      (!(existing.parentNode() == node) || options.name != existing.nodeName().c_str())) {
    fail_command("xml set", "not an element name: " + options.name);
  }
  const bool text = options.type == "text";
  const int number = text ? 0 : parse_number(options.value, options.type);
  if (!existing.isNull()) {
    const int stored = text ? existing.setAttribute("value", options.value.c_str())
                            : existing.setAttribute("value", number);
    if (stored == 0) fail_command("xml set", "XML cannot hold this text: " + options.value);
  } else if (text) {
    vtuXML::add_node_value(node, name, CString(options.value.c_str()));
  } else if (options.type == "bool") {
    vtuXML::add_node_value(node, name, number != 0);
  } else {
    vtuXML::add_node_value(node, name, number);
  }
  CString written;
  if (existing.isNull() && !vtuXML::get_node_value(node, name, written)) {
    fail_command("xml set", "cannot store " + options.name +
                                " there (not an element name, or text XML cannot hold)");
  }
  std::string save_error;
  if (!document->save(options.file.c_str(), save_error)) fail_command("xml set", save_error);
}

// The arguments that get and set share.
void add_location(CLI::App* command, XmlOptions& options) {
  command->add_option("FILE", options.file, "The XML file")->required();
  command
      ->add_option("XPATH", options.xpath,
                   "The element holding the values, as an XPath query (\"/settings/view\")")
      ->required();
  command->add_option("NAME", options.name, "The value's element name")->required();
}

}  // namespace

void add_xml_command(CLI::App& app) {
  CLI::App* xml = app.add_subcommand(
      "xml", "Read and write single values in XML files, one child element per value with the "
             "value in its attribute \"value\"");
  xml->require_subcommand(1);

  auto get_options = std::make_shared<XmlOptions>();
  CLI::App* get = xml->add_subcommand("get", "Print a value; exit status 1 when it is missing");
  add_location(get, *get_options);
  get->add_option("--type", get_options->type, "text, int or bool")
      ->check(CLI::IsMember(kTypes))
      ->capture_default_str();
  get->callback([get_options] { run_get(*get_options); });

  auto set_options = std::make_shared<XmlOptions>();
  CLI::App* set = xml->add_subcommand(
      "set", "Store a value and save the file; a value of that name already there is changed");
  add_location(set, *set_options);
  set->add_option("VALUE", set_options->value, "The value")->required();
  set->add_option("--type", set_options->type, "text, int or bool (true, false, 1 or 0)")
      ->check(CLI::IsMember(kTypes))
      ->capture_default_str();
  set->add_option("--create", set_options->create_root,
                  "Make the file, with this document element, when it does not exist");
  set->callback([set_options] { run_set(*set_options); });
}
