// An owning COM interface pointer: releases its interface when it goes out
// of scope, so no early return can leak a shell link or a firewall object.
#pragma once
#include <windows.h>
#include <unknwn.h>

#include <utility>

namespace ks {

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  explicit ComPtr(T* adopted) : p_(adopted) {}  // takes over one reference
  ~ComPtr() { Reset(); }
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  void Reset() {
    if (p_) std::exchange(p_, nullptr)->Release();
  }
  // For calls that hand out an interface: releases the current one first.
  T** Put() {
    Reset();
    return &p_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }

  // QueryInterface into `out`; the HRESULT of the call.
  template <typename U>
  HRESULT QueryTo(REFIID iid, ComPtr<U>& out) const {
    if (!p_) return E_POINTER;
    return p_->QueryInterface(iid, out.PutVoid());
  }

 private:
  T* p_ = nullptr;
};

}  // namespace ks
