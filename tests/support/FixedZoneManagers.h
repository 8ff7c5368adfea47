// Zone managers that answer every mapping, policy, template and attribute write with a fixed
// result and count the calls: what the completion of the platform's managers and the zone
// services are tested against where the platform's own answer must not decide.
#pragma once

#include <windows.h>
#include <urlmon.h>
#include <wrl/client.h>

// A manager whose mapping, policy and template writes answer a fixed result, counting calls.
class TFixedZoneManagers : public IInternetSecurityManager, public IInternetZoneManager {
 public:
  explicit TFixedZoneManagers(HRESULT Answer) : FAnswer(Answer) {}
  int Calls = 0;
  ZONEATTRIBUTES SeenOnEntry{};
  HRESULT AttributesAnswer = S_OK;
  bool WriteAttributes = false;
  DWORD FlagsToWrite = 0;
  DWORD TemplateToWrite = 0;
  DWORD CopiedTemplate = 0;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) override {
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++FRefs; }
  ULONG STDMETHODCALLTYPE Release() override { return --FRefs; }
  // IInternetSecurityManager
  HRESULT STDMETHODCALLTYPE SetSecuritySite(IInternetSecurityMgrSite*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetSecuritySite(IInternetSecurityMgrSite**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE MapUrlToZone(LPCWSTR Url, DWORD* z, DWORD Flags) override {
    // Leaving the writes unimplemented, it reads as the platform does; the completion checks
    // its writes by this answer.
    if (FAnswer == E_NOTIMPL) {
      Microsoft::WRL::ComPtr<IInternetSecurityManager> platform;
      if (FAILED(CoInternetCreateSecurityManager(nullptr, &platform, 0))) return E_FAIL;
      return platform->MapUrlToZone(Url, z, Flags);
    }
    *z = 4;
    return FAnswer == S_OK ? S_OK : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE GetSecurityId(LPCWSTR, BYTE*, DWORD*, DWORD_PTR) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE ProcessUrlAction(LPCWSTR, DWORD, BYTE*, DWORD, BYTE*, DWORD, DWORD,
                                             DWORD) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE QueryCustomPolicy(LPCWSTR, REFGUID, BYTE**, DWORD*, BYTE*, DWORD,
                                              DWORD) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetZoneMapping(DWORD, LPCWSTR, DWORD) override {
    ++Calls;
    return FAnswer;
  }
  HRESULT STDMETHODCALLTYPE GetZoneMappings(DWORD, IEnumString**, DWORD) override { return E_NOTIMPL; }
  // IInternetZoneManager
  HRESULT STDMETHODCALLTYPE GetZoneAttributes(DWORD, ZONEATTRIBUTES* a) override {
    SeenOnEntry = *a;
    if (WriteAttributes) {
      a->dwFlags = FlagsToWrite;
      a->dwTemplateRecommended = TemplateToWrite;
    }
    return AttributesAnswer;
  }
  HRESULT STDMETHODCALLTYPE SetZoneAttributes(DWORD, ZONEATTRIBUTES* a) override {
    ++Calls;
    FlagsToWrite = a->dwFlags;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetZoneCustomPolicy(DWORD, REFGUID, BYTE**, DWORD*, URLZONEREG) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetZoneCustomPolicy(DWORD, REFGUID, BYTE*, DWORD, URLZONEREG) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetZoneActionPolicy(DWORD, DWORD, BYTE*, DWORD, URLZONEREG) override {
    return E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE SetZoneActionPolicy(DWORD, DWORD, BYTE*, DWORD, URLZONEREG) override {
    ++Calls;
    return FAnswer;
  }
  HRESULT STDMETHODCALLTYPE PromptAction(DWORD, HWND, LPCWSTR, LPCWSTR, DWORD) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE LogAction(DWORD, LPCWSTR, LPCWSTR, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CreateZoneEnumerator(DWORD*, DWORD*, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetZoneAt(DWORD, DWORD, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DestroyZoneEnumerator(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CopyTemplatePoliciesToZone(DWORD t, DWORD, DWORD) override {
    ++Calls;
    CopiedTemplate = t;
    return FAnswer;
  }

  IInternetSecurityManager* Security() { return this; }
  IInternetZoneManager* Zone() { return this; }

 private:
  HRESULT FAnswer;
  ULONG FRefs = 1;
};
