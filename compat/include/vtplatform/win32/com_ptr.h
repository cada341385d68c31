// ComPtr: one counted reference to a COM object, released when the owner goes. For the
// replacement layer, the library and their programs alike.
#pragma once

#include <utility>

namespace vtplatform {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over a reference the caller already holds.
  static ComPtr adopt(T* object) {
    ComPtr result;
    result.object_ = object;
    return result;
  }
  // Takes a new reference.
  explicit ComPtr(T* object) : object_(object) {
    if (object_ != nullptr) object_->AddRef();
  }
  ComPtr(const ComPtr& other) : ComPtr(other.object_) {}
  ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(object_, other.object_);
    return *this;
  }
  ~ComPtr() {
    if (object_ != nullptr) object_->Release();
  }

  T* get() const { return object_; }
  T* operator->() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  // Hands the reference to the caller.
  T* release() { return std::exchange(object_, nullptr); }
  // Releases what is held and gives the address to receive a new reference (an out parameter).
  T** put() {
    *this = ComPtr();
    return &object_;
  }

 private:
  T* object_ = nullptr;
};

}  // namespace vtplatform
