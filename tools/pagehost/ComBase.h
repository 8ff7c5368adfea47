// The reference counting and interface lookup every page-host object shares. Derived classes list
// their interfaces as bases and answer Cast(); IDispatch's own methods answer E_NOTIMPL, since the
// extension reaches the host only through the interfaces' vtables.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include "classlib/System.h"

namespace pagehost {

using Microsoft::WRL::ComPtr;

// How many objects made on ComObject live in this module: what a test compares before and after
// to find an object nobody released (one counter per module; the page host is single-threaded).
inline long& LiveObjectCounter() {
  static long count = 0;
  return count;
}
inline long LiveObjectCount() { return LiveObjectCounter(); }

template <class... Interfaces>
class ComObject : public Interfaces... {
 public:
  ComObject() { ++LiveObjectCounter(); }
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;
  virtual ~ComObject() { --LiveObjectCounter(); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = Cast(riid);
    if (!*ppv) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() { return ++FRefs; }
  ULONG STDMETHODCALLTYPE Release() {
    ULONG n = --FRefs;
    if (n == 0) delete this;
    return n;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) {
    if (count) *count = 0;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) {
    return E_NOTIMPL;
  }

  ULONG RefCount() const { return FRefs; }

 protected:
  // The interface pointer for riid, or nullptr; no reference is added here.
  virtual void* Cast(REFIID riid) = 0;

 private:
  ULONG FRefs = 0;
};

// Makes a host object and hands it out counted; objects start at zero references.
template <class T, class... Args>
ComPtr<T> Make(Args&&... args) {
  return ComPtr<T>(new T(std::forward<Args>(args)...));
}

inline VARIANT IntVariant(LONG value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}

// A VARIANT holding a copy of text; the caller clears it.
inline VARIANT TextVariant(const WideString& text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return v;
}

// Writes a BSTR result: S_OK, or E_OUTOFMEMORY when the string cannot be made.
inline HRESULT ReturnBstr(const WideString& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

// Hands out an interface of a host object with a reference for the caller; nullptr gives S_OK
// with nullptr, as the browser does for an absent object.
template <class I, class T>
HRESULT ReturnInterface(const ComPtr<T>& object, I** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!object) return S_OK;
  return object->QueryInterface(__uuidof(I), reinterpret_cast<void**>(out));
}

}  // namespace pagehost
