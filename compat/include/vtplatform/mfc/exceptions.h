// The framework's exceptions. As in the framework they are objects on the heap thrown by
// pointer: a handler catches `CException*` (or a derived pointer) and calls Delete() when done.
#pragma once

#include "vtplatform/export.h"
#include "vtplatform/win32/types.h"

class VTPLATFORM_API CException {
 public:
  virtual ~CException();
  // Frees the exception; the handler's last use of it.
  void Delete() { delete this; }
};

// Memory was not there.
class VTPLATFORM_API CMemoryException : public CException {
 public:
  ~CMemoryException() override;
};

// An OLE or system operation failed with the status code m_sc.
class VTPLATFORM_API COleException : public CException {
 public:
  explicit COleException(SCODE sc) : m_sc(sc) {}
  ~COleException() override;
  SCODE m_sc;
};

[[noreturn]] VTPLATFORM_API void AfxThrowMemoryException();
[[noreturn]] VTPLATFORM_API void AfxThrowOleException(SCODE sc);
// The framework's reaction to a failed HRESULT: E_OUTOFMEMORY throws a CMemoryException, every
// other code a COleException carrying it.
[[noreturn]] VTPLATFORM_API void AtlThrow(HRESULT hr);
