// vtutil xml get and vtutil xml set: single values in XML files, stored as vtuXML stores them (a
// child element per value, the value in its attribute "value"), through the document factory
// that the "xml" service provides.
#include <charconv>
#include <cstdio>
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
  int wait_ms = kDefaultWaitMs;
};

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
  const auto document = parse(*vtuXmlServiceRegistration::document_factory(), "xml get", options.file);
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

// Parses VALUE as the type asks into `number`; false with the reason in `error` for text that is
// not of that type.
bool parse_number(const std::string& text, const std::string& type, int& number,
                  std::string& error) {
  if (type == "bool") {
    if (text == "true" || text == "1" || text == "false" || text == "0") {
      number = text == "true" || text == "1" ? 1 : 0;
      return true;
    }
    error = "not a boolean (true, false, 1 or 0): " + text;
    return false;
  }
  const char* end = text.data() + text.size();
  const auto [parsed_end, problem] = std::from_chars(text.data(), end, number);
  if (text.empty() || problem != std::errc() || parsed_end != end) {
    error = "not a whole number in int range: " + text;
    return false;
  }
  return true;
}

// Stores the value of `options` in `document`; false with the reason in `error`.
bool store_value(brenxml::xmlDocument& document, const XmlOptions& options, std::string& error) {
  brenxml::xmlNode node = document.documentNode().selectSingleNode(options.xpath.c_str());
  if (node.isNull()) {
    error = "no element matches " + options.xpath;
    return false;
  }
  const CString name(options.name.c_str());
  // A value that is there already is changed in place, since readers take the first one; a new
  // one is appended as vtuXML appends it.
  brenxml::xmlNode existing = node.selectSingleNode(name);
  // NAME is queried like vtuXML queries it, but only a child element of that name may be changed.
  if (!existing.isNull() &&
      (!(existing.parentNode() == node) || options.name != existing.nodeName().c_str())) {
    error = "not an element name: " + options.name;
    return false;
  }
  const bool text = options.type == "text";
  int number = 0;
  if (!text && !parse_number(options.value, options.type, number, error)) return false;
  if (!existing.isNull()) {
    const int stored = text ? existing.setAttribute("value", options.value.c_str())
                            : existing.setAttribute("value", number);
    if (stored == 0) error = "XML cannot hold this text: " + options.value;
    return stored != 0;
  }
  if (text) {
    vtuXML::add_node_value(node, name, CString(options.value.c_str()));
  } else if (options.type == "bool") {
    vtuXML::add_node_value(node, name, number != 0);
  } else {
    vtuXML::add_node_value(node, name, number);
  }
  CString written;
  if (!vtuXML::get_node_value(node, name, written)) {
    error = "cannot store " + options.name +
            " there (not an element name, or text XML cannot hold)";
    return false;
  }
  return true;
}

void run_set(const XmlOptions& options) {
  const vtuXmlServiceScope services;
  axmDocumentFactory& factory = *vtuXmlServiceRegistration::document_factory();
  // Read, change and save are one step that other programs' updates of the file wait for.
  std::string error;
  const bool updated = factory.updateFile(
      options.file.c_str(), options.wait_ms,
      [&](std::unique_ptr<brenxml::xmlDocument>& document, std::string& message) {
        if (!document) {
          if (options.create_root.empty()) {
            message = "cannot open " + options.file + ": No such file or directory";
            return false;
          }
          document = factory.createDocument();
          if (document->createDocumentElement(options.create_root.c_str()).isNull()) {
            message = "not an element name: " + options.create_root;
            return false;
          }
        }
        return store_value(*document, options, message);
      },
      error);
  if (!updated) fail_command("xml set", error);
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
  set->add_option("--wait", set_options->wait_ms,
                  "Milliseconds to wait while another program updates the file")
      ->check(CLI::NonNegativeNumber)
      ->capture_default_str();
  set->callback([set_options] { run_set(*set_options); });
}
