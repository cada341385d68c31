// Tests of utServiceName's order and dequalification, and of the service registry: replacing,
// locating through an instance that overrides the lookup, and the current instance.
#include "vtplatform/base/ut_service.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string text(const utServiceName& name) {
  return name.invalid() ? "<invalid>" : std::string(name.name().data(), name.name().length());
}

TEST(ServiceName, DequalifyDropsOneDottedLevelAtATime) {
  utServiceName name("xml.dom.reader");
  std::vector<std::string> steps;
  for (; !name.invalid(); name.dequalify()) steps.push_back(text(name));
  EXPECT_EQ(steps, (std::vector<std::string>{"xml.dom.reader", "xml.dom", "xml"}));
  EXPECT_TRUE(name.dequalify().invalid());
  EXPECT_TRUE(utServiceName(".hidden").dequalify().invalid());
  EXPECT_TRUE(utServiceName("").invalid());
  EXPECT_TRUE(utServiceName(static_cast<const char*>(nullptr)).invalid());
  EXPECT_TRUE(utServiceName().invalid());
}

TEST(ServiceName, OrderIsByteWise) {
  EXPECT_LT(utServiceName("xml"), utServiceName("xml.dom"));
  EXPECT_LT(utServiceName("Xml"), utServiceName("xml"));
  EXPECT_FALSE(utServiceName("xml") < utServiceName("xml"));
  EXPECT_EQ(utServiceName("xml"), utServiceName(utString("xml")));
  EXPECT_LT(utServiceName(), utServiceName("a"));
}

class Probe : public utService {
 public:
  explicit Probe(int id = 0) : id(id) {}
  const int id;
  // Test access to the registry, to leave it as the test found it.
  static void erase(const char* name) { map().erase(utServiceName(name)); }
};

// An instance whose lookup falls back to less qualified names.
class FallbackInstance : public utService {
 protected:
  std::shared_ptr<utService> do_locate_service(const utServiceName& name) override {
    for (utServiceName level = name; !level.invalid(); level.dequalify()) {
      if (auto found = utService::do_locate_service(level)) return found;
    }
    return nullptr;
  }
};

TEST(ServiceRegistry, RegistersReplacesAndLocatesThroughTheInstance) {
  utService plain;
  auto first = std::make_shared<Probe>(1);
  std::weak_ptr<Probe> first_alive = first;
  plain.register_service(utServiceName("test.registry"), std::move(first));
  plain.register_service(utServiceName(), std::make_shared<Probe>(9));  // ignored
  plain.register_service(utServiceName("test.null"), nullptr);          // ignored
  EXPECT_FALSE(plain.locate_service(utServiceName("test.null")));

  FallbackInstance fallback;
  const auto located = std::dynamic_pointer_cast<Probe>(
      fallback.locate_service(utServiceName("test.registry.deeper")));
  ASSERT_TRUE(located);
  EXPECT_EQ(located->id, 1);
  EXPECT_FALSE(plain.locate_service(utServiceName("test.registry.deeper")));

  fallback.register_service(utServiceName("test.registry"), std::make_shared<Probe>(2));
  EXPECT_EQ(
      std::dynamic_pointer_cast<Probe>(plain.locate_service(utServiceName("test.registry")))->id,
      2);
  EXPECT_FALSE(first_alive.expired());  // still held by `located`
  Probe::erase("test.registry");
}

TEST(ServiceRegistry, SetInstanceReturnsThePreviousOne) {
  utService* const outside = utService::get_instance();
  utService one, two;
  EXPECT_EQ(utService::set_instance(&one), outside);
  EXPECT_EQ(utService::set_instance(&two), &one);
  EXPECT_EQ(utService::get_instance(), &two);
  EXPECT_EQ(utService::set_instance(outside), &two);
}

}  // namespace
