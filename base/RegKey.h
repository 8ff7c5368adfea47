// An open registry key, closed on every path.
#pragma once

#include <windows.h>

#include <utility>

class TRegKey {
 public:
  TRegKey() = default;
  explicit TRegKey(HKEY Key) : FKey(Key) {}
  ~TRegKey() { Close(); }
  TRegKey(const TRegKey&) = delete;
  TRegKey& operator=(const TRegKey&) = delete;
  TRegKey(TRegKey&& Other) noexcept : FKey(std::exchange(Other.FKey, nullptr)) {}
  TRegKey& operator=(TRegKey&& Other) noexcept {
    if (this != &Other) {
      Close();
      FKey = std::exchange(Other.FKey, nullptr);
    }
    return *this;
  }

  // Where an open or create call stores the key; a key held before is closed first.
  PHKEY Out() {
    Close();
    return &FKey;
  }
  HKEY Get() const { return FKey; }
  explicit operator bool() const { return FKey != nullptr; }
  void Close() {
    if (FKey) RegCloseKey(std::exchange(FKey, nullptr));
  }

 private:
  HKEY FKey = nullptr;
};
