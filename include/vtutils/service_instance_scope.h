// vtuServiceInstanceScope: brackets a phase of work that needs services. While the scope lives it
// is the current service instance; when it ends the previous instance is current again and every
// service registered under a new name in the meantime is removed from the registry. Scopes nest
// in last-in, first-out order.
#pragma once

#include <set>

#include "vtutils/export.h"
#include "vtutils/platform/services.h"

class VTUTILS_API vtuServiceInstanceScope : public utService {
 public:
  // Notes the registered names and becomes the current instance. If noting them fails, the
  // exception propagates and the current instance is unchanged.
  vtuServiceInstanceScope();
  // Makes the previous instance current again and removes every service registered under a name
  // that was not registered when the scope began, whoever registered it. A service that replaced
  // one under an existing name stays; one removed meanwhile is not put back. A removed service
  // is destroyed unless someone else still holds it.
  ~vtuServiceInstanceScope() override;

  vtuServiceInstanceScope(const vtuServiceInstanceScope&) = delete;
  vtuServiceInstanceScope& operator=(const vtuServiceInstanceScope&) = delete;

 private:
  utService* previous_instance_;
  std::set<utServiceName> names_at_start_;
};
