// An open registry key, closed on every path. Shared by every unit that opens keys directly.
#pragma once

#include <windows.h>

class TRegKey {
 public:
  TRegKey() = default;
  ~TRegKey() {
    if (FKey) RegCloseKey(FKey);
  }
  TRegKey(const TRegKey&) = delete;
  TRegKey& operator=(const TRegKey&) = delete;
  // Where an open call stores the key.
  PHKEY Out() { return &FKey; }
  HKEY Get() const { return FKey; }

 private:
  HKEY FKey = nullptr;
};
