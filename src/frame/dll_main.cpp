// The library's entry functions: it joins the host's framework state as an extension library
// when a process loads it and leaves it when the process unloads it.
#include "frame/dll_main.h"

#include "vtutils/platform/framework.h"

namespace {

// The library's record with the framework.
AFX_EXTENSION_MODULE extension_module;

}  // namespace

BOOL WINAPI RawDllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    // Set the host's class and factory lists aside, so that what the library's static
    // constructors register is collected for the library alone. AfxInitExtensionModule takes
    // the library's entries and gives the host its lists back.
    AFX_MODULE_STATE* state = AfxGetModuleState();
    state->m_pClassInit = state->m_pClassList;
    state->m_pFactoryInit = state->m_pFactoryList;
    state->m_pClassList = nullptr;
    state->m_pFactoryList = nullptr;
  }
  return TRUE;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    if (!AfxInitExtensionModule(extension_module, instance)) return FALSE;
    // The framework takes the object into its chain of extension libraries and deletes it.
    new CDynLinkLibrary(extension_module, FALSE);
  } else if (reason == DLL_PROCESS_DETACH) {
    AfxTermExtensionModule(extension_module, FALSE);
  }
  return TRUE;
}
