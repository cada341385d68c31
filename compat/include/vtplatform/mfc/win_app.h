// The application object. A host creates one CWinApp (usually a static object of a class derived
// from it) and the framework finds it through the application's module state.
#pragma once

#include "vtplatform/export.h"
#include "vtplatform/mfc/module_state.h"
#include "vtplatform/win32/types.h"

class VTPLATFORM_API CWinApp {
 public:
  // Registers the object as the application's. `app_name` is kept as given (null: none). The
  // instance handle is the running program's; a host that runs inside another program may set
  // another module's handle.
  explicit CWinApp(LPCSTR app_name = nullptr);
  // Unregisters the object if it is still the application's.
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  LPCSTR m_pszAppName;
  HINSTANCE m_hInstance;
};

// The application object, or null when the host has none.
VTPLATFORM_API CWinApp* AfxGetApp();
