// Fuzzes XML parsing and the values read from it: any bytes are parsed by the standard document
// factory without fault. A document that parses prints as text that parses again to the same
// text, and vtuXML reads values of every type from its document element, with the first bytes of
// the input as the value's name.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "vtutils/xml_values.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static xxmDocumentFactory factory;
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const std::unique_ptr<brenxml::xmlDocument> document = factory.parseText(text, error);
  if (!document) {
    if (error.empty()) __builtin_trap();  // a refusal always says why
    return 0;
  }
  const std::string printed = document->toText();
  const std::unique_ptr<brenxml::xmlDocument> again = factory.parseText(printed, error);
  if (!again || again->toText() != printed) __builtin_trap();

  const brenxml::xmlNode root = document->documentElement();
  const CString name(text.substr(0, std::min<std::size_t>(size, 16)).c_str());
  CString value;
  int number = 0;
  bool flag = false;
  vtuXML::get_node_value(root, name, value);
  vtuXML::get_node_value(root, name, number);
  vtuXML::get_node_value(root, name, flag);
  return 0;
}
