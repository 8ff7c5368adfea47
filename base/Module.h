// A loaded module, freed on every path.
#pragma once

#include <windows.h>

#include "base/OwnedHandle.h"

struct TModuleTraits {
  using Handle = HMODULE;
  static bool Valid(HMODULE Module) { return Module != nullptr; }
  static void Close(HMODULE Module) { FreeLibrary(Module); }
};

class TLibrary : public TOwnedHandle<TModuleTraits> {
 public:
  using TOwnedHandle::TOwnedHandle;
  // The address of an export as the function type the caller names, or null.
  template <class Fn>
  Fn Export(const char* Name) const {
    return Get() ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(Get(), Name))) : nullptr;
  }
};
