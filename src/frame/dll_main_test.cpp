// Tests of the library's load sequence: the entry functions run on their own record here, and
// libVTUtils.so itself, loaded with this test program, is checked for having joined the chain.
#include <gtest/gtest.h>

#include "frame/dll_main.h"

namespace {

char test_library_image;
HINSTANCE test_library() { return reinterpret_cast<HINSTANCE>(&test_library_image); }

TEST(LibraryLoad, TheLoadedLibraryIsOnTheResourceChain) {
  HMODULE library = GetModuleHandleA("libVTUtils");
  ASSERT_NE(library, nullptr);
  CModuleStringTable strings(library, {{62001, "from the library's table"}});
  CString text;
  EXPECT_TRUE(text.LoadString(62001));
  EXPECT_STREQ(text, "from the library's table");
}

TEST(LibraryLoad, AttachCollectsTheStaticRegistrationsAndDetachLeaves) {
  AFX_MODULE_STATE* state = AfxGetModuleState();
  const AFX_MODULE_STATE saved = *state;
  const int libraries = AfxGetExtensionLibraryCount();
  CRuntimeClass host_class{"CHostFrame"};
  AfxClassInit(&host_class);

  ASSERT_TRUE(RawDllMain(test_library(), DLL_PROCESS_ATTACH, nullptr));
  EXPECT_EQ(state->m_pClassList, nullptr);
  CRuntimeClass static_class{"CRegisteredByAStaticObject"};
  AfxClassInit(&static_class);
  ASSERT_TRUE(DllMain(test_library(), DLL_PROCESS_ATTACH, nullptr));
  EXPECT_EQ(state->m_pClassList, &host_class);
  EXPECT_EQ(AfxGetExtensionLibraryCount(), libraries + 1);

  EXPECT_TRUE(DllMain(test_library(), DLL_THREAD_ATTACH, nullptr));
  EXPECT_TRUE(DllMain(test_library(), DLL_THREAD_DETACH, nullptr));
  EXPECT_EQ(AfxGetExtensionLibraryCount(), libraries + 1);

  EXPECT_TRUE(DllMain(test_library(), DLL_PROCESS_DETACH, nullptr));
  EXPECT_TRUE(RawDllMain(test_library(), DLL_PROCESS_DETACH, nullptr));
  EXPECT_EQ(AfxGetExtensionLibraryCount(), libraries);
  *state = saved;
}

TEST(LibraryLoad, ARefusedRegistrationFailsTheAttachAndCreatesNoLibrary) {
  const int libraries = AfxGetExtensionLibraryCount();
  EXPECT_FALSE(DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr));
  EXPECT_EQ(AfxGetExtensionLibraryCount(), libraries);
}

}  // namespace
