// The one owner of a system handle: every kind of handle the code holds (registry keys, modules,
// kernel objects, GDI objects) is this template with the kind's traits, which say how the system
// writes "no handle" and how a handle is given back.
#pragma once

#include <utility>

//   struct Traits {
//     using Handle = ...;
//     static bool Valid(Handle H);   // false for every value the system uses for "no handle"
//     static void Close(Handle H);   // called for valid handles only
//   };
template <class Traits>
class TOwnedHandle {
 public:
  using Handle = typename Traits::Handle;

  TOwnedHandle() = default;
  explicit TOwnedHandle(Handle Value) : FHandle(Value) {}
  ~TOwnedHandle() { Reset(); }
  TOwnedHandle(const TOwnedHandle&) = delete;
  TOwnedHandle& operator=(const TOwnedHandle&) = delete;
  TOwnedHandle(TOwnedHandle&& Other) noexcept : FHandle(std::exchange(Other.FHandle, Handle{})) {}
  TOwnedHandle& operator=(TOwnedHandle&& Other) noexcept {
    if (this != &Other) Reset(std::exchange(Other.FHandle, Handle{}));
    return *this;
  }

  Handle Get() const { return FHandle; }
  explicit operator bool() const { return Traits::Valid(FHandle); }
  // Where a call that opens or creates stores the handle; a handle held before is given back first.
  Handle* Out() {
    Reset();
    return &FHandle;
  }
  // Gives the handle up to a new owner.
  Handle Release() { return std::exchange(FHandle, Handle{}); }
  // Gives back the handle held and holds Value instead.
  void Reset(Handle Value = Handle{}) {
    if (Traits::Valid(FHandle)) Traits::Close(FHandle);
    FHandle = Value;
  }
  void Close() { Reset(); }

 private:
  Handle FHandle{};
};
