// Tests of the framework's exceptions: which one AtlThrow throws for a failed HRESULT.
#include <gtest/gtest.h>

#include "vtplatform/mfc/exceptions.h"
#include "vtplatform/win32/error.h"

namespace {

TEST(AtlThrow, OutOfMemoryIsAMemoryExceptionAndEveryOtherCodeAnOleException) {
  try {
    AtlThrow(E_OUTOFMEMORY);
  } catch (CMemoryException* exception) {
    exception->Delete();
  }
  for (const HRESULT code : {E_INVALIDARG, E_FAIL, HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED)}) {
    try {
      AtlThrow(code);
    } catch (COleException* exception) {
      EXPECT_EQ(exception->m_sc, code);
      exception->Delete();
    }
  }
}

}  // namespace
