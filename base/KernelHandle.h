// A kernel object's handle (a process, a snapshot, a file, an event), closed on every path.
#pragma once

#include <windows.h>

#include "base/OwnedHandle.h"

// The system answers "no handle" with null from some calls and with INVALID_HANDLE_VALUE from
// others (files, snapshots): both count as none, so neither is ever closed.
struct TKernelHandleTraits {
  using Handle = HANDLE;
  static bool Valid(HANDLE Value) { return Value && Value != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE Value) { CloseHandle(Value); }
};

using TKernelHandle = TOwnedHandle<TKernelHandleTraits>;
