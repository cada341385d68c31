// Extension libraries: initialising and terminating an extension module record, and the chain of
// CDynLinkLibrary objects that the framework owns.
#include <mutex>
#include <vector>

#include "mfc/library_chain.h"
#include "vtplatform/mfc/module_state.h"
#include "vtplatform/win32/error.h"

namespace {

struct LibraryChain {
  std::mutex mutex;
  CDynLinkLibrary* head = nullptr;
};

// Never destroyed: libraries leave the chain in their own unload, which may come after the
// static objects of this layer are gone.
LibraryChain& chain() {
  static auto* chain = new LibraryChain;
  return *chain;
}

}  // namespace

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL bSystem)
    : m_hModule(state.hModule),
      m_hResource(state.hResource),
      m_pFirstClass(state.pFirstSharedClass),
      m_pFirstFactory(state.pFirstSharedFactory),
      m_bSystem(bSystem) {
  std::lock_guard lock(chain().mutex);
  CDynLinkLibrary** link = &chain().head;
  while (*link != nullptr) link = &(*link)->m_pNextDLL;
  *link = this;
}

CDynLinkLibrary::~CDynLinkLibrary() = default;

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module) {
  if (module == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (state.bInitialized) return TRUE;

  AFX_MODULE_STATE* module_state = AfxGetModuleState();
  state.hModule = module;
  state.hResource = module;
  state.pFirstSharedClass = module_state->m_pClassList;
  state.pFirstSharedFactory = module_state->m_pFactoryList;
  module_state->m_pClassList = module_state->m_pClassInit;
  module_state->m_pFactoryList = module_state->m_pFactoryInit;
  module_state->m_pClassInit = nullptr;
  module_state->m_pFactoryInit = nullptr;
  state.bInitialized = TRUE;
  return TRUE;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL bAll) {
  std::vector<CDynLinkLibrary*> leaving;
  {
    std::lock_guard lock(chain().mutex);
    for (CDynLinkLibrary** link = &chain().head; *link != nullptr;) {
      CDynLinkLibrary* library = *link;
      if (bAll || library->m_hModule == state.hModule) {
        *link = library->m_pNextDLL;
        leaving.push_back(library);
      } else {
        link = &library->m_pNextDLL;
      }
    }
  }
  for (CDynLinkLibrary* library : leaving) delete library;
  state.bInitialized = FALSE;
}

int AfxGetExtensionLibraryCount() {
  std::lock_guard lock(chain().mutex);
  int count = 0;
  for (CDynLinkLibrary* library = chain().head; library != nullptr; library = library->m_pNextDLL) {
    ++count;
  }
  return count;
}

namespace vtplatform {

std::vector<HINSTANCE> extension_resource_handles() {
  std::lock_guard lock(chain().mutex);
  std::vector<HINSTANCE> handles;
  for (CDynLinkLibrary* library = chain().head; library != nullptr; library = library->m_pNextDLL) {
    handles.push_back(library->m_hResource);
  }
  return handles;
}

}  // namespace vtplatform
