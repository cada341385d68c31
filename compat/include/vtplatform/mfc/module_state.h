// The framework's module state and extension libraries.
//
// Every module that uses the framework has a module state: the lists of run-time classes and
// object factories its static constructors registered. The host
// application's state is the process's application module state. An extension library joins the
// host by initialising its AFX_EXTENSION_MODULE record and creating a CDynLinkLibrary for it; the
// framework keeps the CDynLinkLibrary objects in one chain, owns them, and searches their string
// tables after the host's when a string resource is loaded.
#pragma once

#include "vtplatform/export.h"
#include "vtplatform/win32/types.h"

// A run-time class record, registered by a static constructor of the module that defines it.
struct CRuntimeClass {
  LPCSTR m_lpszClassName = nullptr;
  CRuntimeClass* m_pNextClass = nullptr;
};

// An object factory record, registered like a run-time class.
struct COleObjectFactory {
  LPCSTR m_lpszProgID = nullptr;
  COleObjectFactory* m_pNextFactory = nullptr;
};

class CDynLinkLibrary;
class CWinApp;

struct AFX_MODULE_STATE {
  // The application object, in the application's module state; null until the host creates it.
  CWinApp* m_pCurrentWinApp = nullptr;
  // Live heads of the classes and factories registered in this state.
  CRuntimeClass* m_pClassList = nullptr;
  COleObjectFactory* m_pFactoryList = nullptr;
  // Heads set aside while an extension library's static constructors run, so that what they
  // register is collected for that library and not mixed into the host's lists.
  CRuntimeClass* m_pClassInit = nullptr;
  COleObjectFactory* m_pFactoryInit = nullptr;
};

// The record with which an extension library registers itself with the framework.
struct AFX_EXTENSION_MODULE {
  BOOL bInitialized = FALSE;
  HMODULE hModule = nullptr;
  HMODULE hResource = nullptr;
  CRuntimeClass* pFirstSharedClass = nullptr;
  COleObjectFactory* pFirstSharedFactory = nullptr;
};

// One extension library in the framework's chain. Created on the heap by the library's entry
// point; the constructor links it into the chain, and from then on the framework owns it and
// deletes it in AfxTermExtensionModule.
class VTPLATFORM_API CDynLinkLibrary {
 public:
  explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL bSystem = FALSE);
  virtual ~CDynLinkLibrary();
  CDynLinkLibrary(const CDynLinkLibrary&) = delete;
  CDynLinkLibrary& operator=(const CDynLinkLibrary&) = delete;

  HMODULE m_hModule;
  HMODULE m_hResource;
  CRuntimeClass* m_pFirstClass;
  COleObjectFactory* m_pFirstFactory;
  BOOL m_bSystem;
  CDynLinkLibrary* m_pNextDLL = nullptr;
};

// The calling thread's current module state; the application's unless a guard switched it.
VTPLATFORM_API AFX_MODULE_STATE* AfxGetModuleState();
// The host application's module state.
VTPLATFORM_API AFX_MODULE_STATE* AfxGetAppModuleState();

// Makes another module state current on this thread for the guard's lifetime.
class VTPLATFORM_API AFX_MAINTAIN_STATE2 {
 public:
  explicit AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* new_state);
  ~AFX_MAINTAIN_STATE2();
  AFX_MAINTAIN_STATE2(const AFX_MAINTAIN_STATE2&) = delete;
  AFX_MAINTAIN_STATE2& operator=(const AFX_MAINTAIN_STATE2&) = delete;

 private:
  AFX_MODULE_STATE* previous_;
};

// Registers a run-time class or an object factory in the current module state.
VTPLATFORM_API void AfxClassInit(CRuntimeClass* new_class);
VTPLATFORM_API void AfxRegisterObjectFactory(COleObjectFactory* factory);

// Takes the classes and factories registered since the library's entry hook set the host's
// aside into `state`, gives the host its lists back, and records `module` as the library's
// module and resource handle. Refuses (FALSE, ERROR_INVALID_PARAMETER) a null module handle.
// A record that is already initialised stays as it is and succeeds.
VTPLATFORM_API BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module);

// Takes the library's CDynLinkLibrary objects (all of them with `bAll`) out of the chain,
// deletes them and marks the record uninitialised.
VTPLATFORM_API void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL bAll = FALSE);

// The extension libraries in the chain, in the order they joined; for diagnostics and tests.
VTPLATFORM_API int AfxGetExtensionLibraryCount();

// The handle whose string table is searched first: the host application's.
VTPLATFORM_API HINSTANCE AfxGetResourceHandle();
VTPLATFORM_API void AfxSetResourceHandle(HINSTANCE resource);
