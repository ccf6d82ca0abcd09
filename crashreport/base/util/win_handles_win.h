// Owners that close what a system question opens, on every path out.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

namespace tarvex::win {

// Owns one handle and gives it back with `Close` when it goes. A null handle
// and INVALID_HANDLE_VALUE (what CreateFile and the snapshots answer on
// failure) hold nothing.
template <typename H, auto Close>
class Owned {
 public:
  Owned() = default;
  explicit Owned(H handle) : handle_(handle) {}
  ~Owned() { Reset(); }
  Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, H{})) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, H{});
    }
    return *this;
  }

  explicit operator bool() const { return handle_ != H{} && handle_ != reinterpret_cast<H>(INVALID_HANDLE_VALUE); }
  H get() const { return handle_; }
  // For a call that writes the handle it opens; the owner must hold none yet.
  H* receive() { return &handle_; }

 private:
  void Reset() {
    if (*this) Close(handle_);
    handle_ = H{};
  }

  H handle_{};
};

using KernelHandle = Owned<HANDLE, &CloseHandle>;
using RegistryKey = Owned<HKEY, &RegCloseKey>;

// HKEY_LOCAL_MACHINE\path and the like, opened for reading; holds nothing when it cannot be opened.
inline RegistryKey OpenRegistryKey(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  return RegistryKey(RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS ? key : nullptr);
}

// A library loaded for one question and freed with it.
class Library : public Owned<HMODULE, &FreeLibrary> {
 public:
  explicit Library(const char* name) : Owned(LoadLibraryA(name)) {}
  // The exported function `name` as a pointer of type Fn; nullptr when missing.
  template <typename Fn>
  Fn Function(const char* name) const {
    return *this ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(get(), name))) : nullptr;
  }
};

// A function of a module the process already has (kernel32, user32), or nullptr.
template <typename Fn>
Fn LoadedFunction(const char* module, const char* name) {
  const HMODULE handle = GetModuleHandleA(module);
  return handle ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(handle, name))) : nullptr;
}

inline void ReleaseScreenDC(HDC dc) { ReleaseDC(nullptr, dc); }

// The whole screen's device context.
class ScreenDC : public Owned<HDC, &ReleaseScreenDC> {
 public:
  ScreenDC() : Owned(GetDC(nullptr)) {}
};

}  // namespace tarvex::win
