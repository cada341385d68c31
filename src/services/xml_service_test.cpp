// Tests of vtuXmlServiceRegistration and vtuXmlServiceScope: which services count as a document
// factory under "xml", and what a scope registers and leaves behind.
#include "vtutils/xml_service.h"

#include <gtest/gtest.h>

#include <memory>

#include "vtutils/platform/xml.h"

namespace {

// The application's service instance for one test; whatever the test registers goes with it.
class XmlServiceTest : public ::testing::Test {
 protected:
  std::shared_ptr<utService> xml_service() {
    return application_.locate_service(utServiceName("xml"));
  }
  vtuServiceInstanceScope application_;
};

TEST_F(XmlServiceTest, RegistersOneStandardFactory) {
  EXPECT_FALSE(vtuXmlServiceRegistration::is_xml_service_registered());
  vtuXmlServiceRegistration::register_standard_xml_service();
  const std::shared_ptr<utService> factory = xml_service();
  EXPECT_TRUE(std::dynamic_pointer_cast<xxmDocumentFactory>(factory));
  EXPECT_EQ(vtuXmlServiceRegistration::document_factory(), factory);
  vtuXmlServiceRegistration::register_standard_xml_service();
  EXPECT_EQ(xml_service(), factory);
}

TEST_F(XmlServiceTest, AnotherKindOfServiceUnderXmlIsReplaced) {
  auto other = std::make_shared<utService>();
  std::weak_ptr<utService> other_alive = other;
  application_.register_service(utServiceName("xml"), std::move(other));
  EXPECT_EQ(vtuXmlServiceRegistration::document_factory(), nullptr);
  vtuXmlServiceRegistration::register_standard_xml_service();
  EXPECT_TRUE(vtuXmlServiceRegistration::is_xml_service_registered());
  EXPECT_TRUE(other_alive.expired());
}

TEST_F(XmlServiceTest, ScopeRegistersOnlyWhatIsMissingAndRemovesOnlyThat) {
  std::weak_ptr<utService> scoped;
  {
    vtuXmlServiceScope scope;
    EXPECT_EQ(utService::get_instance(), &scope);
    EXPECT_TRUE(vtuXmlServiceRegistration::is_xml_service_registered());
    scoped = xml_service();
  }
  EXPECT_EQ(utService::get_instance(), &application_);
  EXPECT_FALSE(vtuXmlServiceRegistration::is_xml_service_registered());
  EXPECT_TRUE(scoped.expired());

  auto own = std::make_shared<xxmDocumentFactory>();
  application_.register_service(utServiceName("xml"), own);
  { vtuXmlServiceScope scope; }
  EXPECT_EQ(xml_service(), own);
}

TEST(XmlServiceWithoutInstance, AnswersFalseAndRegistersNothing) {
  ASSERT_EQ(utService::get_instance(), nullptr);
  EXPECT_FALSE(vtuXmlServiceRegistration::is_xml_service_registered());
  vtuXmlServiceRegistration::register_standard_xml_service();
  vtuServiceInstanceScope look;
  EXPECT_FALSE(vtuXmlServiceRegistration::is_xml_service_registered());
}

}  // namespace
