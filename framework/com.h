// COM ownership: a move-only interface pointer and an initialisation guard.
#pragma once

#include <objbase.h>

#include <utility>

namespace quillbox {

template <class Interface>
class ComPtr {
 public:
  ComPtr() noexcept = default;
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    reset(std::exchange(other.pointer_, nullptr));
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { reset(); }

  Interface* get() const noexcept { return pointer_; }
  Interface* operator->() const noexcept { return pointer_; }
  explicit operator bool() const noexcept { return pointer_ != nullptr; }

  // Releases what is held and hands out the slot for a creating call.
  Interface** put() noexcept {
    reset();
    return &pointer_;
  }
  void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

  void reset(Interface* pointer = nullptr) noexcept {
    if (Interface* old = std::exchange(pointer_, pointer))
      old->Release();
  }

  template <class Other>
  HRESULT As(REFIID iid, ComPtr<Other>& other) const noexcept {
    return pointer_->QueryInterface(iid, other.put_void());
  }

 private:
  Interface* pointer_ = nullptr;
};

// COM for the calling thread while the guard lives. Only a successful
// initialisation is balanced: a thread already in another apartment mode
// (RPC_E_CHANGED_MODE) must not be uninitialised by us.
class ComInitialization {
 public:
  ComInitialization() noexcept : result_(::CoInitialize(nullptr)) {}
  ~ComInitialization() {
    if (SUCCEEDED(result_))
      ::CoUninitialize();
  }
  ComInitialization(const ComInitialization&) = delete;
  ComInitialization& operator=(const ComInitialization&) = delete;

 private:
  HRESULT result_;
};

}  // namespace quillbox
