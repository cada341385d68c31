// The framework's class chain below its dialogs: object, command target, window, dialog and
// common dialog. Nothing here makes a window; the classes carry what the dialogs need.
#pragma once

#include "vtplatform/export.h"
#include "vtplatform/win32/commdlg.h"
#include "vtplatform/win32/types.h"

// Dialog results.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

class VTPLATFORM_API CObject {
 public:
  virtual ~CObject() = default;

 protected:
  CObject() = default;
  CObject(const CObject&) = default;
  CObject& operator=(const CObject&) = default;
};

class VTPLATFORM_API CCmdTarget : public CObject {};

// A window. A parent window is only passed along; its handle becomes the dialog's owner.
class VTPLATFORM_API CWnd : public CCmdTarget {
 public:
  HWND m_hWnd = nullptr;
};

class VTPLATFORM_API CDialog : public CWnd {
 public:
  // Shows the dialog and returns IDOK, IDCANCEL or -1 when it cannot be shown.
  virtual INT_PTR DoModal() = 0;
};

class VTPLATFORM_API CCommonDialog : public CDialog {};
