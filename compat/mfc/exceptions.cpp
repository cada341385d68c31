// The framework's exceptions.
#include "vtplatform/mfc/exceptions.h"

#include "vtplatform/win32/error.h"

CException::~CException() = default;
CMemoryException::~CMemoryException() = default;
COleException::~COleException() = default;

void AfxThrowMemoryException() { throw new CMemoryException; }

void AfxThrowOleException(SCODE sc) { throw new COleException(sc); }

void AtlThrow(HRESULT hr) {
  if (hr == E_OUTOFMEMORY) AfxThrowMemoryException();
  AfxThrowOleException(hr);
}
