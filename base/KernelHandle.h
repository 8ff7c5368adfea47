// A kernel object's handle (a process, a snapshot, a file, an event), closed on every path.
#pragma once

#include <windows.h>

#include <utility>

// The system answers "no handle" with null from some calls and with INVALID_HANDLE_VALUE from
// others (files, snapshots): both count as none, so neither is ever closed.
class TKernelHandle {
 public:
  TKernelHandle() = default;
  explicit TKernelHandle(HANDLE Handle) : FHandle(Handle) {}
  ~TKernelHandle() { Reset(); }
  TKernelHandle(const TKernelHandle&) = delete;
  TKernelHandle& operator=(const TKernelHandle&) = delete;
  TKernelHandle(TKernelHandle&& Other) noexcept : FHandle(std::exchange(Other.FHandle, nullptr)) {}
  TKernelHandle& operator=(TKernelHandle&& Other) noexcept {
    if (this != &Other) Reset(std::exchange(Other.FHandle, nullptr));
    return *this;
  }

  HANDLE Get() const { return FHandle; }
  explicit operator bool() const { return FHandle && FHandle != INVALID_HANDLE_VALUE; }
  // Closes the handle held and holds Handle instead.
  void Reset(HANDLE Handle = nullptr) {
    if (*this) CloseHandle(FHandle);
    FHandle = Handle;
  }

 private:
  HANDLE FHandle = nullptr;
};
