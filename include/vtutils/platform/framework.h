// The framework's application object with its profile, and the module state through which an
// extension library joins its host; elsewhere also the string tables that stand in for the
// resource section.
#pragma once

#if defined(_WIN32)
#include <afxwin.h>
#else
#include "vtplatform/mfc/module_state.h"
#include "vtplatform/mfc/string_table.h"
#include "vtplatform/mfc/win_app.h"
#endif
