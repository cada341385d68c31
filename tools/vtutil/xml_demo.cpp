// The services and XML part of vtutil demo: a vtuXmlServiceScope provides the document factory,
// vtuXML stores a few settings in a document and reads them back, and the factory goes with the
// scope.
#include "xml_demo.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/services.h"
#include "vtutils/platform/xml.h"
#include "vtutils/xml_service.h"
#include "vtutils/xml_values.h"

namespace {

const char* yes_no(bool value) { return value ? "yes" : "no"; }

void show_settings(axmDocumentFactory& factory) {
  const std::unique_ptr<brenxml::xmlDocument> document = factory.createDocument();
  brenxml::xmlNode view = document->createDocumentElement("view");
  vtuXML::add_node_value(view, "Title", CString("Bracket & plate, \"top\""));
  vtuXML::add_node_value(view, "Zoom", 150);
  vtuXML::add_node_value(view, "ShowGrid", true);
  std::printf("  the document vtuXML wrote:\n");
  const std::string text = document->toText();
  for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
    end = std::min(text.find('\n', start), text.size());
    std::printf("    %.*s\n", static_cast<int>(end - start), text.data() + start);
  }

  CString title;
  int zoom = 0;
  bool grid = false;
  bool rulers = true;  // preset: the document has no such value
  const brenxml::xmlNode root = document->documentElement();
  vtuXML::get_node_value(root, "Title", title);
  vtuXML::get_node_value(root, "Zoom", zoom);
  vtuXML::get_node_value(root, "ShowGrid", grid);
  vtuXML::safe_get_node_value(root, "ShowRulers", rulers);
  std::printf("  read back: Title \"%s\", Zoom %d, ShowGrid %s, ShowRulers (absent, preset) %s\n",
              title.GetString(), zoom, yes_no(grid), yes_no(rulers));
}

}  // namespace

void print_xml_demo() {
  std::printf("Services and XML\n");
  std::printf("  document factory registered before the scope: %s\n",
              yes_no(vtuXmlServiceRegistration::is_xml_service_registered()));
  {
    const vtuXmlServiceScope services;
    std::printf("  inside a vtuXmlServiceScope: %s\n",
                yes_no(vtuXmlServiceRegistration::is_xml_service_registered()));
    show_settings(*vtuXmlServiceRegistration::document_factory());
  }
  std::printf("  after the scope: %s\n",
              yes_no(vtuXmlServiceRegistration::is_xml_service_registered()));
}
