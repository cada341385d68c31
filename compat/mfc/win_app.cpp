// The application object and its registration in the application's module state.
#include "vtplatform/mfc/win_app.h"

#include "vtplatform/win32/module.h"

CWinApp::CWinApp(LPCSTR app_name)
    : m_pszAppName(app_name), m_hInstance(GetModuleHandleA(nullptr)) {
  AfxGetAppModuleState()->m_pCurrentWinApp = this;
}

CWinApp::~CWinApp() {
  AFX_MODULE_STATE* state = AfxGetAppModuleState();
  if (state->m_pCurrentWinApp == this) state->m_pCurrentWinApp = nullptr;
}

CWinApp* AfxGetApp() { return AfxGetModuleState()->m_pCurrentWinApp; }
