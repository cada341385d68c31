// CComPtr's reference counting through the members that framework code uses.
#include "vtplatform/mfc/ccom_ptr.h"

#include <gtest/gtest.h>

#include "vtplatform/win32/com.h"

namespace {

class Counted final : public IUnknown {
 public:
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return ++references; }
  ULONG Release() override { return --references; }

  ULONG references = 1;  // the creator's
};

// Hands out a new reference, as a COM factory does through an out parameter.
void create(Counted& object, IUnknown** out) {
  object.AddRef();
  *out = &object;
}

TEST(CComPtrTest, EveryReferenceTakenIsReleasedOnce) {
  Counted object;
  {
    CComPtr<IUnknown> first(&object);  // a new reference
    CComPtr<IUnknown> second;
    second = first;
    EXPECT_EQ(object.references, 3u);
    IUnknown* raw = first;  // no new reference
    EXPECT_EQ(raw, &object);

    create(object, &second);  // releases what `second` held first
    EXPECT_EQ(object.references, 3u);
    IUnknown* copy = nullptr;
    EXPECT_EQ(second.CopyTo(&copy), S_OK);
    EXPECT_EQ(second.CopyTo(nullptr), E_POINTER);
    EXPECT_EQ(object.references, 4u);

    second.Attach(copy);  // takes the copy's reference over, releasing its own
    EXPECT_EQ(object.references, 3u);
    IUnknown* detached = second.Detach();
    EXPECT_EQ(second, nullptr);
    detached->Release();
    first.Release();
    EXPECT_EQ(first, nullptr);
    EXPECT_EQ(object.references, 1u);
    first = &object;
  }
  EXPECT_EQ(object.references, 1u);
}

}  // namespace
