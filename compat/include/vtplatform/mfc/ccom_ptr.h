// CComPtr: the framework's smart pointer to a COM object, with the members that code written for
// the framework uses, on the layer's ComPtr. It holds one counted reference and releases it when
// it goes.
#pragma once

#include "vtplatform/win32/com_ptr.h"
#include "vtplatform/win32/error.h"

template <class T>
class CComPtr : public vtplatform::ComPtr<T> {
  using Base = vtplatform::ComPtr<T>;

 public:
  CComPtr() = default;
  // Takes a new reference to `object` (null: none). Not explicit, as in the framework.
  CComPtr(T* object) : Base(object) {}
  CComPtr& operator=(T* object) {
    Base::operator=(Base(object));
    return *this;
  }

  // The object, without a new reference, so that the pointer passes where a T* is expected.
  operator T*() const { return this->get(); }
  // The address to receive a new reference through an out parameter. What was held is released
  // first.
  T** operator&() { return this->put(); }

  // Releases the reference now; the pointer is null afterwards.
  void Release() { *this = CComPtr(); }
  // Takes over a reference the caller holds, releasing what was held.
  void Attach(T* object) { static_cast<Base&>(*this) = Base::adopt(object); }
  // Hands the reference to the caller; the pointer is null afterwards.
  T* Detach() { return this->release(); }
  // Gives `target` a new reference to the object (null when there is none). S_OK, or E_POINTER
  // for a null `target`.
  HRESULT CopyTo(T** target) const {
    if (target == nullptr) return E_POINTER;
    *target = this->get();
    if (*target != nullptr) (*target)->AddRef();
    return S_OK;
  }
};
