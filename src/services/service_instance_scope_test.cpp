// Tests of vtuServiceInstanceScope: the current instance it makes and restores, and which of the
// services registered meanwhile it removes.
#include "vtutils/service_instance_scope.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class Probe : public utService {
 public:
  // Test access to the registry.
  static bool registered(const char* name) { return map().count(utServiceName(name)) != 0; }
  static void erase(const char* name) { map().erase(utServiceName(name)); }
};

// Registers a new Probe under `name` through `instance` and returns a watch on it.
std::weak_ptr<Probe> add(utService& instance, const char* name) {
  auto probe = std::make_shared<Probe>();
  std::weak_ptr<Probe> watch = probe;
  instance.register_service(utServiceName(name), std::move(probe));
  return watch;
}

TEST(ServiceInstanceScope, RemovesNewNamesKeepsReplacementsAndRestoresNothingRemoved) {
  utService application;
  const std::weak_ptr<Probe> kept = add(application, "scope.test.kept");
  const std::weak_ptr<Probe> replaced = add(application, "scope.test.replaced");
  add(application, "scope.test.removed");
  std::weak_ptr<Probe> added, added_elsewhere, replacement;
  std::shared_ptr<utService> held_outside;
  {
    vtuServiceInstanceScope scope;
    added = add(scope, "scope.test.added");
    added_elsewhere = add(application, "scope.test.added.elsewhere");
    held_outside = scope.locate_service(utServiceName("scope.test.added.elsewhere"));
    replacement = add(scope, "scope.test.replaced");
    Probe::erase("scope.test.removed");
    EXPECT_TRUE(replaced.expired());
  }
  EXPECT_TRUE(added.expired());
  EXPECT_FALSE(Probe::registered("scope.test.added"));
  EXPECT_FALSE(Probe::registered("scope.test.added.elsewhere"));
  EXPECT_FALSE(added_elsewhere.expired());  // removed from the registry, alive in held_outside
  EXPECT_EQ(application.locate_service(utServiceName("scope.test.replaced")), replacement.lock());
  EXPECT_FALSE(Probe::registered("scope.test.removed"));
  EXPECT_FALSE(kept.expired());
  for (const char* name : {"scope.test.kept", "scope.test.replaced"}) Probe::erase(name);
}

TEST(ServiceInstanceScope, NestedScopesUnwindInReverseOrder) {
  ASSERT_EQ(utService::get_instance(), nullptr);
  auto outer = std::make_unique<vtuServiceInstanceScope>();
  add(*outer, "scope.test.outer");
  auto inner = std::make_unique<vtuServiceInstanceScope>();
  add(*inner, "scope.test.inner");
  EXPECT_EQ(utService::get_instance(), inner.get());

  inner.reset();
  EXPECT_EQ(utService::get_instance(), outer.get());
  EXPECT_TRUE(Probe::registered("scope.test.outer"));
  EXPECT_FALSE(Probe::registered("scope.test.inner"));
  outer.reset();
  EXPECT_EQ(utService::get_instance(), nullptr);
  EXPECT_FALSE(Probe::registered("scope.test.outer"));
}

}  // namespace
