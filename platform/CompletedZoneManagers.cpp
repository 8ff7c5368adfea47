#include "platform/CompletedZoneManagers.h"

#include <exception>
#include <new>

#include "base/ComEdge.h"
#include "platform/ZoneRegistry.h"

namespace {

// Reference counting shared by both wrappers. Single apartment: the count needs no atomics, but
// an interlocked count costs nothing and keeps the object honest if it is ever handed across.
template <class TInterface>
class TCompletedManager : public TInterface {
 public:
  explicit TCompletedManager(TInterface* Inner) : FInner(Inner) { FInner->AddRef(); }
  virtual ~TCompletedManager() { FInner->Release(); }
  TCompletedManager(const TCompletedManager&) = delete;
  TCompletedManager& operator=(const TCompletedManager&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    // Only the interface that is completed is handed out: a newer interface of the inner manager
    // would bypass the completion.
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(TInterface))) {
      *ppv = static_cast<TInterface*>(this);
      this->AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&FRefs); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG refs = InterlockedDecrement(&FRefs);
    if (refs == 0) delete this;
    return refs;
  }

 protected:
  TInterface* FInner;

 private:
  LONG FRefs = 1;
};

// The platform's answer, unless it is E_NOTIMPL: then the registry's. No exception leaves a
// method of the manager.
template <class TFallback>
HRESULT CompletedAnswer(HRESULT PlatformAnswer, TFallback Fallback) {
  if (PlatformAnswer != E_NOTIMPL) return PlatformAnswer;
  return AnswerAtComEdge(Fallback, [](std::exception_ptr Error) noexcept {
    try {
      std::rethrow_exception(Error);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    } catch (...) {
      return E_UNEXPECTED;
    }
  });
}

class TCompletedSecurityManager : public TCompletedManager<IInternetSecurityManager> {
 public:
  using TCompletedManager::TCompletedManager;

  HRESULT STDMETHODCALLTYPE SetSecuritySite(IInternetSecurityMgrSite* pSite) override {
    return FInner->SetSecuritySite(pSite);
  }
  HRESULT STDMETHODCALLTYPE GetSecuritySite(IInternetSecurityMgrSite** ppSite) override {
    return FInner->GetSecuritySite(ppSite);
  }
  HRESULT STDMETHODCALLTYPE MapUrlToZone(LPCWSTR pwszUrl, DWORD* pdwZone, DWORD dwFlags) override {
    return FInner->MapUrlToZone(pwszUrl, pdwZone, dwFlags);
  }
  HRESULT STDMETHODCALLTYPE GetSecurityId(LPCWSTR pwszUrl, BYTE* pbSecurityId, DWORD* pcbSecurityId,
                                          DWORD_PTR dwReserved) override {
    return FInner->GetSecurityId(pwszUrl, pbSecurityId, pcbSecurityId, dwReserved);
  }
  HRESULT STDMETHODCALLTYPE ProcessUrlAction(LPCWSTR pwszUrl, DWORD dwAction, BYTE* pPolicy,
                                             DWORD cbPolicy, BYTE* pContext, DWORD cbContext,
                                             DWORD dwFlags, DWORD dwReserved) override {
    return FInner->ProcessUrlAction(pwszUrl, dwAction, pPolicy, cbPolicy, pContext, cbContext,
                                    dwFlags, dwReserved);
  }
  HRESULT STDMETHODCALLTYPE QueryCustomPolicy(LPCWSTR pwszUrl, REFGUID guidKey, BYTE** ppPolicy,
                                              DWORD* pcbPolicy, BYTE* pContext, DWORD cbContext,
                                              DWORD dwReserved) override {
    return FInner->QueryCustomPolicy(pwszUrl, guidKey, ppPolicy, pcbPolicy, pContext, cbContext,
                                     dwReserved);
  }
  HRESULT STDMETHODCALLTYPE SetZoneMapping(DWORD dwZone, LPCWSTR lpszPattern,
                                           DWORD dwFlags) override {
    return CompletedAnswer(FInner->SetZoneMapping(dwZone, lpszPattern, dwFlags),
                           [&] { return RegistrySetZoneMapping(dwZone, lpszPattern, dwFlags, FInner); });
  }
  HRESULT STDMETHODCALLTYPE GetZoneMappings(DWORD dwZone, IEnumString** ppenumString,
                                            DWORD dwFlags) override {
    return FInner->GetZoneMappings(dwZone, ppenumString, dwFlags);
  }
};

class TCompletedZoneManager : public TCompletedManager<IInternetZoneManager> {
 public:
  using TCompletedManager::TCompletedManager;

  HRESULT STDMETHODCALLTYPE GetZoneAttributes(DWORD dwZone, ZONEATTRIBUTES* pZoneAttributes) override {
    return FInner->GetZoneAttributes(dwZone, pZoneAttributes);
  }
  HRESULT STDMETHODCALLTYPE SetZoneAttributes(DWORD dwZone, ZONEATTRIBUTES* pZoneAttributes) override {
    return FInner->SetZoneAttributes(dwZone, pZoneAttributes);
  }
  HRESULT STDMETHODCALLTYPE GetZoneCustomPolicy(DWORD dwZone, REFGUID guidKey, BYTE** ppPolicy,
                                                DWORD* pcbPolicy, URLZONEREG urlZoneReg) override {
    return FInner->GetZoneCustomPolicy(dwZone, guidKey, ppPolicy, pcbPolicy, urlZoneReg);
  }
  HRESULT STDMETHODCALLTYPE SetZoneCustomPolicy(DWORD dwZone, REFGUID guidKey, BYTE* pPolicy,
                                                DWORD cbPolicy, URLZONEREG urlZoneReg) override {
    return FInner->SetZoneCustomPolicy(dwZone, guidKey, pPolicy, cbPolicy, urlZoneReg);
  }
  HRESULT STDMETHODCALLTYPE GetZoneActionPolicy(DWORD dwZone, DWORD dwAction, BYTE* pPolicy,
                                                DWORD cbPolicy, URLZONEREG urlZoneReg) override {
    return FInner->GetZoneActionPolicy(dwZone, dwAction, pPolicy, cbPolicy, urlZoneReg);
  }
  HRESULT STDMETHODCALLTYPE SetZoneActionPolicy(DWORD dwZone, DWORD dwAction, BYTE* pPolicy,
                                                DWORD cbPolicy, URLZONEREG urlZoneReg) override {
    return CompletedAnswer(
        FInner->SetZoneActionPolicy(dwZone, dwAction, pPolicy, cbPolicy, urlZoneReg), [&] {
          return RegistrySetZoneActionPolicy(dwZone, dwAction, pPolicy, cbPolicy, urlZoneReg);
        });
  }
  HRESULT STDMETHODCALLTYPE PromptAction(DWORD dwAction, HWND hwndParent, LPCWSTR pwszUrl,
                                         LPCWSTR pwszText, DWORD dwPromptFlags) override {
    return FInner->PromptAction(dwAction, hwndParent, pwszUrl, pwszText, dwPromptFlags);
  }
  HRESULT STDMETHODCALLTYPE LogAction(DWORD dwAction, LPCWSTR pwszUrl, LPCWSTR pwszText,
                                      DWORD dwLogFlags) override {
    return FInner->LogAction(dwAction, pwszUrl, pwszText, dwLogFlags);
  }
  HRESULT STDMETHODCALLTYPE CreateZoneEnumerator(DWORD* pdwEnum, DWORD* pdwCount,
                                                 DWORD dwFlags) override {
    return FInner->CreateZoneEnumerator(pdwEnum, pdwCount, dwFlags);
  }
  HRESULT STDMETHODCALLTYPE GetZoneAt(DWORD dwEnum, DWORD dwIndex, DWORD* pdwZone) override {
    return FInner->GetZoneAt(dwEnum, dwIndex, pdwZone);
  }
  HRESULT STDMETHODCALLTYPE DestroyZoneEnumerator(DWORD dwEnum) override {
    return FInner->DestroyZoneEnumerator(dwEnum);
  }
  HRESULT STDMETHODCALLTYPE CopyTemplatePoliciesToZone(DWORD dwTemplate, DWORD dwZone,
                                                       DWORD dwReserved) override {
    return CompletedAnswer(FInner->CopyTemplatePoliciesToZone(dwTemplate, dwZone, dwReserved),
                           [&] { return RegistryCopyTemplatePoliciesToZone(dwTemplate, dwZone); });
  }
};

}  // namespace

IInternetSecurityManager* CompleteSecurityManager(IInternetSecurityManager* Inner) {
  return new (std::nothrow) TCompletedSecurityManager(Inner);
}

IInternetZoneManager* CompleteZoneManager(IInternetZoneManager* Inner) {
  return new (std::nothrow) TCompletedZoneManager(Inner);
}

namespace {

// The platform's manager, wrapped; the wrapper holds the only reference the caller gets.
template <class TManager>
using TPlatformCreate = HRESULT(STDAPICALLTYPE*)(IServiceProvider*, TManager**, DWORD);

template <class TManager>
HRESULT CreateCompleted(TPlatformCreate<TManager> CreatePlatform, TManager* (*Complete)(TManager*),
                        IServiceProvider* Provider, TManager** Manager, DWORD Reserved) {
  if (!Manager) return E_POINTER;
  *Manager = nullptr;
  TManager* inner = nullptr;
  HRESULT hr = CreatePlatform(Provider, &inner, Reserved);
  if (FAILED(hr)) return hr;
  if (!inner) return E_FAIL;
  *Manager = Complete(inner);
  inner->Release();
  return *Manager ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

HRESULT CreateCompletedSecurityManager(IServiceProvider* Provider,
                                       IInternetSecurityManager** Manager, DWORD Reserved) {
  return CreateCompleted(CoInternetCreateSecurityManager, CompleteSecurityManager, Provider,
                         Manager, Reserved);
}

HRESULT CreateCompletedZoneManager(IServiceProvider* Provider, IInternetZoneManager** Manager,
                                   DWORD Reserved) {
  return CreateCompleted(CoInternetCreateZoneManager, CompleteZoneManager, Provider, Manager,
                         Reserved);
}
