#include "tests/browserext/FakeExtension.h"

#include <docobj.h>
#include <exdisp.h>
#include <ocidl.h>
#include <servprov.h>
#include <shlguid.h>
#include <shobjidl.h>

#include <string>
#include <vector>

#include "tools/pagehost/ComBase.h"

using pagehost::ComObject;
using pagehost::ComPtr;
using pagehost::LiveObjectCount;

namespace {

std::wstring Log;
long Locks = 0;

void Write(const std::wstring& line) { Log += line + L"\n"; }

class FakeButton final : public ComObject<IObjectWithSite, IOleCommandTarget> {
 public:
  HRESULT STDMETHODCALLTYPE SetSite(IUnknown* site) override {
    FSite = site;
    Write(site ? L"button SetSite" : L"button SetSite NULL");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetSite(REFIID riid, void** ppv) override {
    if (ppv) *ppv = nullptr;
    return FSite ? FSite->QueryInterface(riid, ppv) : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE QueryStatus(const GUID*, ULONG, OLECMD*, OLECMDTEXT*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Exec(const GUID*, DWORD, DWORD, VARIANT*, VARIANT*) override {
    Write(L"button Exec");
    ComPtr<IShellBrowser> shell;
    ComPtr<IServiceProvider> sp, top;
    ComPtr<IWebBrowser2> browser;
    if (!FSite || FAILED(FSite.As(&shell)) || FAILED(shell.As(&sp)) ||
        FAILED(sp->QueryService(SID_STopLevelBrowser, IID_PPV_ARGS(&top))) ||
        FAILED(top->QueryService(SID_SWebBrowserApp, IID_PPV_ARGS(&browser))))
      return S_OK;
    VARIANT one;
    VariantInit(&one);
    one.vt = VT_I4;
    one.lVal = 1;
    BSTR name = SysAllocString(FakeSignal);
    browser->PutProperty(name, one);
    SysFreeString(name);
    return S_OK;
  }

 protected:
  void* Cast(REFIID riid) override {
    if (riid == IID_IUnknown || riid == IID_IObjectWithSite)
      return static_cast<IObjectWithSite*>(this);
    if (riid == IID_IOleCommandTarget) return static_cast<IOleCommandTarget*>(this);
    return nullptr;
  }

 private:
  ComPtr<IUnknown> FSite;
};

class FakeObserver final : public ComObject<IObjectWithSite, IDispatch> {
 public:
  explicit FakeObserver(bool unadviseOnQuit) : FUnadviseOnQuit(unadviseOnQuit) {}
  ~FakeObserver() override { Write(L"observer freed"); }

  HRESULT STDMETHODCALLTYPE SetSite(IUnknown* site) override {
    // As the extension's observer: a NULL site is only stored, no Unadvise.
    FSite = site;
    if (!site) {
      Write(L"observer SetSite NULL");
      return S_OK;
    }
    Write(L"observer SetSite");
    ComPtr<IConnectionPoint> cp = Point();
    if (!cp) return E_FAIL;
    cp->Advise(static_cast<IDispatch*>(this), &FCookie);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetSite(REFIID riid, void** ppv) override {
    if (ppv) *ppv = nullptr;
    return FSite ? FSite->QueryInterface(riid, ppv) : E_FAIL;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT*,
                                   EXCEPINFO*, UINT*) override {
    const VARIANT* first = p && p->cArgs > 0 && p->rgvarg ? &p->rgvarg[p->cArgs - 1] : nullptr;
    switch (id) {
      case 112:
        Write(std::wstring(L"observer PropertyChange ") +
              (first && first->vt == VT_BSTR ? first->bstrVal : L"?"));
        break;
      case 252:  // NavigateComplete2: held on to, as the holder list does
        if (first && first->vt == VT_DISPATCH && first->pdispVal)
          FHolders.emplace_back(first->pdispVal);
        break;
      case 253:
        Write(L"observer OnQuit");
        if (FUnadviseOnQuit) {
          if (ComPtr<IConnectionPoint> cp = Point()) cp->Unadvise(FCookie);
          Write(L"observer Unadvise");
          FSite.Reset();
        }
        break;
      default: break;
    }
    return S_OK;
  }

 protected:
  void* Cast(REFIID riid) override {
    if (riid == IID_IUnknown || riid == IID_IObjectWithSite)
      return static_cast<IObjectWithSite*>(this);
    if (riid == IID_IDispatch) return static_cast<IDispatch*>(this);
    return nullptr;
  }

 private:
  ComPtr<IConnectionPoint> Point() {
    ComPtr<IConnectionPointContainer> cpc;
    ComPtr<IConnectionPoint> cp;
    if (FSite && SUCCEEDED(FSite.As(&cpc))) cpc->FindConnectionPoint(DIID_DWebBrowserEvents2, &cp);
    return cp;
  }

  bool FUnadviseOnQuit;
  ComPtr<IUnknown> FSite;
  DWORD FCookie = 0;
  std::vector<ComPtr<IDispatch>> FHolders;
};

class Factory final : public ComObject<IClassFactory> {
 public:
  explicit Factory(const CLSID& clsid) : FClsid(clsid) {}
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    ComPtr<IUnknown> object;
    if (FClsid == CLSID_FakeButton)
      object = static_cast<IObjectWithSite*>(new FakeButton);
    else
      object = static_cast<IObjectWithSite*>(new FakeObserver(FClsid == CLSID_FakeObserver));
    return object->QueryInterface(riid, ppv);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    Locks += lock ? 1 : -1;
    return S_OK;
  }

 protected:
  void* Cast(REFIID riid) override {
    return riid == IID_IUnknown || riid == IID_IClassFactory ? static_cast<IClassFactory*>(this)
                                                             : nullptr;
  }

 private:
  CLSID FClsid;
};

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (clsid != CLSID_FakeButton && clsid != CLSID_FakeObserver &&
      clsid != CLSID_FakeStubbornObserver)
    return CLASS_E_CLASSNOTAVAILABLE;
  ComPtr<Factory> factory(new Factory(clsid));
  return factory->QueryInterface(riid, ppv);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return LiveObjectCount() == 0 && Locks == 0 ? S_OK : S_FALSE;
}

extern "C" const wchar_t* __cdecl FakeExtensionLog() { return Log.c_str(); }
extern "C" void __cdecl FakeExtensionClearLog() { Log.clear(); }
extern "C" long __cdecl FakeExtensionLiveObjects() { return LiveObjectCount(); }
