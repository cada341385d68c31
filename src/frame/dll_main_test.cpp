// Tests of the library's entry functions. The test program holds the library's objects, so the
// library attached as this program started; whether libVTUtils.so joins the resource chain when
// a process loads it is asked of the layout probe (layout_test.cpp).
#include <gtest/gtest.h>

#include "frame/dll_main.h"
#include "vtplatform/mfc/string_table.h"
#include "vtutils/platform/framework.h"
#include "vtutils/platform/framework_strings.h"
#include "vtutils/platform/processes.h"

namespace {

char test_library_image;
HINSTANCE test_library() { return reinterpret_cast<HINSTANCE>(&test_library_image); }

TEST(LibraryLoad, AttachCollectsTheStaticRegistrationsAndDetachLeaves) {
  // The library's record is attached already: it leaves first and comes back at the end, so
  // that attach and detach run on it here as on a load.
  ASSERT_TRUE(DllMain(GetModuleHandleA(nullptr), DLL_PROCESS_DETACH, nullptr));
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
  ASSERT_TRUE(DllMain(GetModuleHandleA(nullptr), DLL_PROCESS_ATTACH, nullptr));
}

TEST(LibraryLoad, ARefusedRegistrationFailsTheAttachAndCreatesNoLibrary) {
  const int libraries = AfxGetExtensionLibraryCount();
  EXPECT_FALSE(DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr));
  EXPECT_EQ(AfxGetExtensionLibraryCount(), libraries);
}

}  // namespace
