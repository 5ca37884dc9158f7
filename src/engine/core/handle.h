// Owning wrappers for Win32 handles (kernel objects, registry keys, modules):
// each closes what it holds, can be moved and never copied.
#pragma once
#include <windows.h>

#include <utility>

namespace ks {

template <typename Traits>
class UniqueResource {
 public:
  using Type = typename Traits::Type;

  UniqueResource() = default;
  explicit UniqueResource(Type value) : value_(value) {}
  UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  ~UniqueResource() { reset(); }

  Type get() const { return value_; }
  bool valid() const { return Traits::Valid(value_); }
  explicit operator bool() const { return valid(); }

  // Hands the value to the caller, who now owns it.
  Type release() { return std::exchange(value_, Traits::Invalid()); }
  // Closes the old value without disturbing the thread's last error, so a
  // failure path can clean up and still report its own reason.
  void reset(Type value = Traits::Invalid()) {
    Type old = std::exchange(value_, value);
    if (Traits::Valid(old)) {
      DWORD error = GetLastError();
      Traits::Close(old);
      SetLastError(error);
    }
  }

 private:
  Type value_ = Traits::Invalid();
};

// Kernel objects opened by CreateFileW and friends: invalid is
// INVALID_HANDLE_VALUE or null, whichever the opening call used.
struct KernelHandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return nullptr; }
  static bool Valid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Type h) { CloseHandle(h); }
};

// Registry keys. The predefined roots are never closed: a key object may hold
// a root itself ("\HKLM\" with nothing after it).
struct RegistryHandleTraits {
  using Type = HKEY;
  static Type Invalid() { return nullptr; }
  static bool Valid(Type h) { return h != nullptr; }
  static void Close(Type h) {
    auto value = reinterpret_cast<ULONG_PTR>(h);
    if (value < 0x80000000u || value > 0x800000FFu) RegCloseKey(h);
  }
};

struct ModuleHandleTraits {
  using Type = HMODULE;
  static Type Invalid() { return nullptr; }
  static bool Valid(Type h) { return h != nullptr; }
  static void Close(Type h) { FreeLibrary(h); }
};

// FindFirstFileW searches.
struct FindHandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static bool Valid(Type h) { return h != INVALID_HANDLE_VALUE; }
  static void Close(Type h) { FindClose(h); }
};

using UniqueHandle = UniqueResource<KernelHandleTraits>;
using UniqueFind = UniqueResource<FindHandleTraits>;
using UniqueKey = UniqueResource<RegistryHandleTraits>;
using UniqueModule = UniqueResource<ModuleHandleTraits>;

}  // namespace ks
