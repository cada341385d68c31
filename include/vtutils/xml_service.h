// XML documents are created and parsed through a document factory (axmDocumentFactory) that is
// found as the service "xml" of the base library's registry. vtuXmlServiceRegistration makes
// sure such a factory is registered; vtuXmlServiceScope does so for the lifetime of a scope.
#pragma once

#include <memory>

#include "vtutils/export.h"
#include "vtutils/service_instance_scope.h"

class axmDocumentFactory;

class VTUTILS_API vtuXmlServiceRegistration {
 public:
  vtuXmlServiceRegistration() = delete;

  // The document factory that the current service instance locates under "xml", or under a less
  // qualified form of it; null when there is none (a service there that is no document factory
  // does not count) or no current service instance.
  static std::shared_ptr<axmDocumentFactory> document_factory();

  // True when document_factory finds one.
  static bool is_xml_service_registered();
  // Registers the standard document factory under "xml" through the current instance unless a
  // factory is registered already; a service of another kind under that name is replaced.
  // Needs a current service instance; without one nothing is registered.
  static void register_standard_xml_service();
};

// A service instance scope in which the standard document factory is registered under "xml"
// unless the application had one registered already. At its end the factory it registered is
// removed again.
class VTUTILS_API vtuXmlServiceScope : public vtuServiceInstanceScope {
 public:
  vtuXmlServiceScope();
  ~vtuXmlServiceScope() override;
};
