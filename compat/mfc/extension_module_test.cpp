// Tests of extension libraries joining the framework: the class lists set aside and given back,
// the chain of CDynLinkLibrary objects, and string resources found along the resource chain.
#include <gtest/gtest.h>

#include "vtplatform/mfc/cstring.h"
#include "vtplatform/mfc/module_state.h"
#include "vtplatform/mfc/string_table.h"

namespace {

// Distinct stand-in module handles for libraries that exist only in these tests.
char first_library_image;
char second_library_image;
HMODULE first_library() { return reinterpret_cast<HMODULE>(&first_library_image); }
HMODULE second_library() { return reinterpret_cast<HMODULE>(&second_library_image); }

// Keeps the application's class list as the test found it.
class ExtensionModuleTest : public testing::Test {
 protected:
  void SetUp() override { saved_ = *AfxGetModuleState(); }
  void TearDown() override { *AfxGetModuleState() = saved_; }

 private:
  AFX_MODULE_STATE saved_;
};

TEST_F(ExtensionModuleTest, CollectsTheLibrarysClassesApartFromTheHosts) {
  AFX_MODULE_STATE* state = AfxGetModuleState();
  CRuntimeClass host_class{"CHostView"};
  AfxClassInit(&host_class);

  // What a library's entry hook does before its static constructors run.
  state->m_pClassInit = state->m_pClassList;
  state->m_pClassList = nullptr;
  CRuntimeClass library_class{"CLibraryDocument"};
  AfxClassInit(&library_class);

  AFX_EXTENSION_MODULE module;
  ASSERT_TRUE(AfxInitExtensionModule(module, first_library()));
  EXPECT_TRUE(module.bInitialized);
  EXPECT_EQ(module.hModule, first_library());
  EXPECT_EQ(module.pFirstSharedClass, &library_class);
  EXPECT_EQ(library_class.m_pNextClass, nullptr);
  EXPECT_EQ(state->m_pClassList, &host_class);
  EXPECT_EQ(state->m_pClassInit, nullptr);

  // A second initialisation of the same record changes nothing.
  EXPECT_TRUE(AfxInitExtensionModule(module, second_library()));
  EXPECT_EQ(module.hModule, first_library());
}

TEST_F(ExtensionModuleTest, RefusesANullModuleAndLeavesNoLibraryBehind) {
  const int libraries = AfxGetExtensionLibraryCount();
  AFX_EXTENSION_MODULE module;
  EXPECT_FALSE(AfxInitExtensionModule(module, nullptr));
  EXPECT_FALSE(module.bInitialized);
  EXPECT_EQ(AfxGetExtensionLibraryCount(), libraries);
}

TEST_F(ExtensionModuleTest, LoadStringSearchesTheHostFirstThenTheLibrariesInJoinOrder) {
  const int libraries = AfxGetExtensionLibraryCount();
  AFX_EXTENSION_MODULE first;
  AFX_EXTENSION_MODULE second;
  ASSERT_TRUE(AfxInitExtensionModule(first, first_library()));
  ASSERT_TRUE(AfxInitExtensionModule(second, second_library()));
  new CDynLinkLibrary(first);
  new CDynLinkLibrary(second);
  EXPECT_EQ(AfxGetExtensionLibraryCount(), libraries + 2);

  CModuleStringTable host(AfxGetResourceHandle(), {{61001, "host"}});
  CModuleStringTable first_strings(first_library(), {{61001, "first"}, {61002, "first only"}});
  CModuleStringTable second_strings(second_library(), {{61002, "second"}, {61003, "Größe"}});

  CString text;
  EXPECT_TRUE(text.LoadString(61001));
  EXPECT_STREQ(text, "host");
  EXPECT_TRUE(text.LoadString(61002));
  EXPECT_STREQ(text, "first only");
  EXPECT_TRUE(text.LoadString(61003));
  EXPECT_STREQ(text, "Größe");
  EXPECT_FALSE(text.LoadString(61004));

  // The library that leaves takes its strings off the chain.
  AfxTermExtensionModule(first);
  EXPECT_FALSE(first.bInitialized);
  EXPECT_EQ(AfxGetExtensionLibraryCount(), libraries + 1);
  EXPECT_TRUE(text.LoadString(61002));
  EXPECT_STREQ(text, "second");
  AfxTermExtensionModule(second);
  EXPECT_EQ(AfxGetExtensionLibraryCount(), libraries);
}

TEST_F(ExtensionModuleTest, MaintainStateSwitchesTheCurrentModuleStateForItsScope) {
  AFX_MODULE_STATE library_state;
  {
    AFX_MAINTAIN_STATE2 guard(&library_state);
    EXPECT_EQ(AfxGetModuleState(), &library_state);
    EXPECT_NE(AfxGetAppModuleState(), &library_state);
  }
  EXPECT_EQ(AfxGetModuleState(), AfxGetAppModuleState());
}

}  // namespace
