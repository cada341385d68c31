// vtuServiceInstanceScope: the current service instance for the scope's lifetime, and the removal
// of the services registered under new names while it lived.
#include "vtutils/service_instance_scope.h"

vtuServiceInstanceScope::vtuServiceInstanceScope() : previous_instance_(get_instance()) {
  for (const auto& [name, service] : map()) names_at_start_.insert(name);
  set_instance(this);
}

vtuServiceInstanceScope::~vtuServiceInstanceScope() {
  set_instance(previous_instance_);
  std::set<utServiceName> added;
  for (const auto& [name, service] : map()) {
    if (names_at_start_.count(name) == 0) added.insert(name);
  }
  for (const utServiceName& name : added) map().erase(name);
}
