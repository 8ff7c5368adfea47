// A zone manager that keeps policies in memory and records every write, handed to the wizard
// through the zone services' factory seam. Owned by the test; its reference count is not used.
#pragma once

#include <windows.h>
#include <urlmon.h>

#include <map>
#include <utility>
#include <vector>

class TFakeZoneManager : public IInternetZoneManager {
 public:
  struct TWrite {
    DWORD Zone, Action, Policy;
    bool operator==(const TWrite&) const = default;
  };

  std::map<std::pair<DWORD, DWORD>, DWORD> Policies;  // (zone, action) -> policy; missing: E_FAIL
  std::vector<TWrite> Writes;                         // accepted and refused writes, in order
  std::vector<std::pair<DWORD, DWORD>> Copies;        // (template, zone)
  int RefuseWritesFrom = -1;                          // index of the first write to refuse; -1 none
  HRESULT AttributesResult = S_OK;
  bool AttributesWriteNothing = false;  // success, record untouched (as the platform for unknown zones)

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Object) override {
    if (Iid == IID_IUnknown || Iid == IID_IInternetZoneManager) {
      *Object = static_cast<IInternetZoneManager*>(this);
      return S_OK;
    }
    *Object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE GetZoneAttributes(DWORD Zone, ZONEATTRIBUTES* Attributes) override {
    if (FAILED(AttributesResult) || AttributesWriteNothing) return AttributesResult;
    Attributes->dwTemplateRecommended = Zone == 2 ? 0x10000 : Zone == 3 ? 0x11000 : 0x12000;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetZoneAttributes(DWORD, ZONEATTRIBUTES*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetZoneCustomPolicy(DWORD, REFGUID, BYTE**, DWORD*, URLZONEREG) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetZoneCustomPolicy(DWORD, REFGUID, BYTE*, DWORD, URLZONEREG) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetZoneActionPolicy(DWORD Zone, DWORD Action, BYTE* Policy, DWORD Size,
                                                URLZONEREG) override {
    auto it = Policies.find({Zone, Action});
    if (it == Policies.end() || Size != sizeof(DWORD)) return E_FAIL;
    *reinterpret_cast<DWORD*>(Policy) = it->second;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetZoneActionPolicy(DWORD Zone, DWORD Action, BYTE* Policy, DWORD Size,
                                                URLZONEREG) override {
    if (Size != sizeof(DWORD)) return E_INVALIDARG;
    const DWORD value = *reinterpret_cast<DWORD*>(Policy);
    const bool refuse = RefuseWritesFrom >= 0 && static_cast<int>(Writes.size()) >= RefuseWritesFrom;
    Writes.push_back({Zone, Action, value});
    if (refuse) return E_ACCESSDENIED;
    Policies[{Zone, Action}] = value;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE PromptAction(DWORD, HWND, LPCWSTR, LPCWSTR, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE LogAction(DWORD, LPCWSTR, LPCWSTR, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CreateZoneEnumerator(DWORD*, DWORD*, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetZoneAt(DWORD, DWORD, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DestroyZoneEnumerator(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CopyTemplatePoliciesToZone(DWORD Template, DWORD Zone, DWORD) override {
    Copies.emplace_back(Template, Zone);
    return S_OK;
  }
};
