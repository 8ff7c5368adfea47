// A loaded module, freed on every path.
#pragma once

#include <windows.h>

#include <utility>

class TLibrary {
 public:
  TLibrary() = default;
  explicit TLibrary(HMODULE Module) : FModule(Module) {}
  ~TLibrary() {
    if (FModule) FreeLibrary(FModule);
  }
  TLibrary(const TLibrary&) = delete;
  TLibrary& operator=(const TLibrary&) = delete;
  TLibrary(TLibrary&& Other) noexcept : FModule(std::exchange(Other.FModule, nullptr)) {}
  TLibrary& operator=(TLibrary&& Other) noexcept {
    if (this != &Other) {
      if (FModule) FreeLibrary(FModule);
      FModule = std::exchange(Other.FModule, nullptr);
    }
    return *this;
  }

  HMODULE Get() const { return FModule; }
  explicit operator bool() const { return FModule != nullptr; }
  // The address of an export as the function type the caller names, or null.
  template <class Fn>
  Fn Export(const char* Name) const {
    return FModule ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(FModule, Name))) : nullptr;
  }

 private:
  HMODULE FModule = nullptr;
};
