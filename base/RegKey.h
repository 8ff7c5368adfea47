// An open registry key, closed on every path.
#pragma once

#include <windows.h>

#include "base/OwnedHandle.h"

struct TRegKeyTraits {
  using Handle = HKEY;
  static bool Valid(HKEY Key) { return Key != nullptr; }
  static void Close(HKEY Key) { RegCloseKey(Key); }
};

using TRegKey = TOwnedHandle<TRegKeyTraits>;
