// vtuXmlServiceRegistration and vtuXmlServiceScope: making sure that a document factory is
// registered under the XML service name.
#include "vtutils/xml_service.h"

#include <memory>

#include "services/xml_service_name.h"
#include "vtutils/platform/xml.h"

std::shared_ptr<axmDocumentFactory> vtuXmlServiceRegistration::document_factory() {
  utService* const instance = utService::get_instance();
  if (instance == nullptr) return nullptr;
  for (utServiceName name = vtutils::xml_service_name; !name.invalid(); name.dequalify()) {
    if (auto factory = std::dynamic_pointer_cast<axmDocumentFactory>(instance->locate_service(name))) {
      return factory;
    }
  }
  return nullptr;
}

bool vtuXmlServiceRegistration::is_xml_service_registered() {
  return document_factory() != nullptr;
}

void vtuXmlServiceRegistration::register_standard_xml_service() {
  utService* const instance = utService::get_instance();
  if (instance == nullptr || is_xml_service_registered()) return;
  instance->register_service(vtutils::xml_service_name, std::make_shared<xxmDocumentFactory>());
}

vtuXmlServiceScope::vtuXmlServiceScope() {
  // A throw here destroys the base, which restores the previous instance and removes what was
  // added.
  vtuXmlServiceRegistration::register_standard_xml_service();
}

vtuXmlServiceScope::~vtuXmlServiceScope() = default;
