// Owners of the two COM values that need freeing: a BSTR and a VARIANT.
#pragma once

#include <windows.h>

// After windows.h, whose types it uses without including it.
#include <oleauto.h>

#include <new>
#include <string>
#include <string_view>
#include <utility>

// A BSTR's text, embedded nulls included; a null BSTR is the empty text, as automation defines it.
inline std::wstring BstrText(BSTR Value) { return Value ? std::wstring(Value, SysStringLen(Value)) : std::wstring(); }

// A BSTR freed on every path. Made from text (raising std::bad_alloc when the system has no
// memory for it), or filled by a call through Out().
class TBstr {
 public:
  TBstr() = default;
  explicit TBstr(std::wstring_view Text)
      : FValue(SysAllocStringLen(Text.data(), static_cast<UINT>(Text.size()))) {
    if (!FValue) throw std::bad_alloc();
  }
  ~TBstr() { SysFreeString(FValue); }
  TBstr(const TBstr&) = delete;
  TBstr& operator=(const TBstr&) = delete;
  TBstr(TBstr&& Other) noexcept : FValue(std::exchange(Other.FValue, nullptr)) {}
  TBstr& operator=(TBstr&& Other) noexcept {
    if (this != &Other) {
      SysFreeString(FValue);
      FValue = std::exchange(Other.FValue, nullptr);
    }
    return *this;
  }

  BSTR Get() const { return FValue; }
  // Where a call returns a string; a string held before is freed first.
  BSTR* Out() {
    SysFreeString(std::exchange(FValue, nullptr));
    return &FValue;
  }
  // Hands the string to a caller that frees it (an out-parameter of our own).
  BSTR Detach() { return std::exchange(FValue, nullptr); }
  std::wstring Text() const { return BstrText(FValue); }

 private:
  BSTR FValue = nullptr;
};

// A VARIANT cleared on every path.
class TVariant {
 public:
  TVariant() { VariantInit(&FValue); }
  ~TVariant() { VariantClear(&FValue); }
  TVariant(const TVariant&) = delete;
  TVariant& operator=(const TVariant&) = delete;

  VARIANT* Get() { return &FValue; }
  const VARIANT* Get() const { return &FValue; }
  VARIANT* operator->() { return &FValue; }
  const VARIANT* operator->() const { return &FValue; }
  // Where a call returns a value; a value held before is cleared first.
  VARIANT* Out() {
    VariantClear(&FValue);
    return &FValue;
  }

 private:
  VARIANT FValue;
};
