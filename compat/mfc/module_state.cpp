// Module states: the application's, the thread's current one and the guard that switches it,
// and the registration of run-time classes and object factories in the current state.
#include "vtplatform/mfc/module_state.h"

#include <atomic>

#include "vtplatform/win32/module.h"

namespace {

AFX_MODULE_STATE& app_module_state() {
  static AFX_MODULE_STATE state;
  return state;
}

thread_local AFX_MODULE_STATE* current_module_state = nullptr;

// Set by AfxSetResourceHandle; until then the running program holds the host's resources.
std::atomic<HINSTANCE> host_resource_handle{nullptr};

}  // namespace

AFX_MODULE_STATE* AfxGetAppModuleState() { return &app_module_state(); }

AFX_MODULE_STATE* AfxGetModuleState() {
  return current_module_state != nullptr ? current_module_state : &app_module_state();
}

AFX_MAINTAIN_STATE2::AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* new_state)
    : previous_(current_module_state) {
  current_module_state = new_state;
}

AFX_MAINTAIN_STATE2::~AFX_MAINTAIN_STATE2() { current_module_state = previous_; }

void AfxClassInit(CRuntimeClass* new_class) {
  AFX_MODULE_STATE* state = AfxGetModuleState();
  new_class->m_pNextClass = state->m_pClassList;
  state->m_pClassList = new_class;
}

void AfxRegisterObjectFactory(COleObjectFactory* factory) {
  AFX_MODULE_STATE* state = AfxGetModuleState();
  factory->m_pNextFactory = state->m_pFactoryList;
  state->m_pFactoryList = factory;
}

HINSTANCE AfxGetResourceHandle() {
  HINSTANCE handle = host_resource_handle.load();
  return handle != nullptr ? handle : GetModuleHandleA(nullptr);
}

void AfxSetResourceHandle(HINSTANCE resource) { host_resource_handle.store(resource); }
