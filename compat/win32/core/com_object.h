// ComObject: the reference counting that every COM object of the layer shares. An object
// starts with one reference, which its creator hands out, and deletes itself when the last one
// is released.
#pragma once

#include <atomic>

#include "vtplatform/win32/com.h"

namespace vtplatform {

template <class Interface>
class ComObject : public Interface {
 public:
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  ComObject() = default;
  virtual ~ComObject() = default;

  // QueryInterface for an object that offers `Interface` and the interfaces it derives from:
  // `also` lists their IIDs besides IUnknown's.
  HRESULT query(REFIID iid, void** object, std::initializer_list<IID> also) {
    if (object == nullptr) return E_POINTER;
    bool known = iid == IID_IUnknown;
    for (const IID& other : also) known = known || iid == other;
    if (!known) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    *object = static_cast<Interface*>(this);
    return S_OK;
  }

 private:
  std::atomic<ULONG> references_{1};
};

}  // namespace vtplatform
