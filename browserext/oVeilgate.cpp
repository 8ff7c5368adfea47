#include "browserext/oVeilgate.h"

#include <shlguid.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstring>
#include <exception>

#include "base/ComEdge.h"
#include "base/ComValues.h"
#include "base/Scope.h"
#include "browserext/trvBrowserTools.h"
#include "browserext/uDomParser.h"
#include "browserext/uVgtCommon.h"
#include "classlib/ComServ.h"
#include "common/trvRegistry.h"
#include "protocol/uVgtSignal.h"
#include "unicode/GnuGettext.h"

namespace {

// What the site and command methods promise their callers for any failure.
HRESULT AnswerFail(std::exception_ptr) noexcept { return E_FAIL; }

HRESULT GetSiteOf(IUnknown* Site, REFIID riid, void** ppvSite) noexcept {
  if (!ppvSite) return E_FAIL;
  *ppvSite = nullptr;
  if (!Site) return E_FAIL;
  return SUCCEEDED(Site->QueryInterface(riid, ppvSite)) && *ppvSite ? S_OK : E_FAIL;
}

// Logs whatever an edge caught, under Context; raises nothing.
void LogCaught(const WideString& Context, std::exception_ptr Error) noexcept {
  try {
    try {
      std::rethrow_exception(Error);
    } catch (const Exception& e) {
      LogException(Context, e);
    } catch (const std::exception& e) {
      LogException(Context, e);
    } catch (...) {
      DebugLogText(Context + L": unknown exception");
    }
  } catch (...) {
    // Out of memory for the line: the failure is still swallowed, as the edge promises.
  }
}

// The interface a browser event names in an argument: an object reference, also behind a
// reference to a variant; nullptr for anything else.
IUnknown* InterfaceOf(const VARIANT& V, int Depth = 0) {
  switch (V.vt) {
    case VT_UNKNOWN:
      return V.punkVal;
    case VT_DISPATCH:
      return V.pdispVal;
    case VT_UNKNOWN | VT_BYREF:
      return V.ppunkVal ? *V.ppunkVal : nullptr;
    case VT_DISPATCH | VT_BYREF:
      return V.ppdispVal ? *V.ppdispVal : nullptr;
    case VT_VARIANT | VT_BYREF:
      // One level is what a caller may wrap; a chain of references is not followed further.
      return V.pvarVal && Depth == 0 ? InterfaceOf(*V.pvarVal, Depth + 1) : nullptr;
    default:
      return nullptr;
  }
}

// The first argument as text, as the variant conversion gives it; raises when it has none.
WideString TextOf(const VARIANT& V) {
  // The conversion would read through a reference that leads nowhere.
  if ((V.vt & VT_BYREF) && !V.byref) throw EOleSysError("A reference to nothing", DISP_E_TYPEMISMATCH);
  TVariant text;
  OleCheck(VariantChangeType(text.Get(), const_cast<VARIANT*>(&V), 0, VT_BSTR));
  return BstrText(text->bstrVal);
}

bool AsBool(VARIANT_BOOL Value) { return Value != 0; }

// The window of the HTML document Browser shows; nullptr when it shows none, or a document of
// another kind (OtherKind is then set). A failed read raises.
ComPtr<IHTMLWindow2> DocumentWindowOf(IWebBrowser2* Browser, bool& OtherKind) {
  OtherKind = false;
  ComPtr<IDispatch> document;
  OleCheck(Browser->get_Document(&document));
  if (!document) return nullptr;
  ComPtr<IHTMLDocument2> html;
  if (FAILED(document.As(&html)) || !html) {
    OtherKind = true;
    return nullptr;
  }
  ComPtr<IHTMLWindow2> window;
  OleCheck(html->get_parentWindow(&window));
  return window;
}

constexpr wchar_t BlankPage[] = L"about:blank";

// A text of the library in the language the user chose for the product ("lang" under the
// product's key; none: the system's), as the zone dialog and the wizard show theirs. The choice
// is read again each time: the user may change it while the browser runs.
WideString TranslateInChosenLanguage(const WideString& MsgId) {
  try {
    UseLanguage(ReadRegistryString(ProductRegistryKey, ProductLanguageValue, L""));
  } catch (...) {
    // Without the choice the text shows in the language in use.
  }
  return Translate(MsgId);
}

}  // namespace

// ---- TWebBrowserHolder

TWebBrowserHolder::TWebBrowserHolder(IWebBrowser2* Browser) : FBrowser(Browser) {
  if (!FBrowser) throw EIntfCastError("Interface not supported");
  TBstr url;
  OleCheck(FBrowser->get_LocationURL(url.Out()));
}

bool TWebBrowserHolder::IsAlive() const {
  try {
    if (!FBrowser) return false;
    VARIANT_BOOL busy = 0;
    OleCheck(FBrowser->get_Busy(&busy));
    if (busy) return true;
    bool otherKind = false;
    const ComPtr<IHTMLWindow2> window = DocumentWindowOf(FBrowser.Get(), otherKind);
    // A PDF, an image or plain text has no window to ask: shown, it is alive, and its domain
    // goes to the dialog marked as no HTML document.
    if (otherKind) return true;
    if (!window) return false;
    VARIANT_BOOL closed = 0;
    OleCheck(window->get_closed(&closed));
    return !closed;
  } catch (...) {
    return false;
  }
}

ComPtr<IHTMLWindow2> TWebBrowserHolder::GetDocumentWindow() const {
  bool otherKind = false;
  return DocumentWindowOf(FBrowser.Get(), otherKind);
}

// ---- TvgtToolbutton

HRESULT TvgtToolbutton::SetSite(IUnknown* pUnkSite) {
  return AnswerAtComEdge([&] { FSite = pUnkSite; }, AnswerFail);
}

HRESULT TvgtToolbutton::GetSite(REFIID riid, void** ppvSite) {
  return GetSiteOf(FSite.Get(), riid, ppvSite);
}

HRESULT TvgtToolbutton::QueryStatus(const GUID*, ULONG cCmds, OLECMD prgCmds[],
                                    OLECMDTEXT* pCmdText) {
  if (!prgCmds) return E_POINTER;
  return AnswerAtComEdge([&] {
    for (ULONG i = 0; i < cCmds; ++i) prgCmds[i].cmdf = OLECMDF_SUPPORTED | OLECMDF_ENABLED;
    if (!pCmdText || cCmds < 1) return;
    if (!(pCmdText->cmdtextf & (OLECMDTEXTF_NAME | OLECMDTEXTF_STATUS))) return;
    const size_t length = std::wcslen(VeilgateTitle);
    pCmdText->cwActual = static_cast<ULONG>(length + 1);
    // A buffer of no characters has no room even for the terminating NUL.
    if (pCmdText->cwBuf == 0) return;
    const size_t copied = std::min<size_t>(length, pCmdText->cwBuf - 1);
    wchar_t* out = pCmdText->rgwz;
    std::memcpy(out, VeilgateTitle, copied * sizeof(wchar_t));
    out[copied] = L'\0';
  }, AnswerFail);
}

HRESULT TvgtToolbutton::Exec(const GUID*, DWORD, DWORD, VARIANT*, VARIANT*) {
  // Keeps the button alive should the session that the signal starts let go of the site.
  ComPtr<IUnknown> self(static_cast<ISupportErrorInfo*>(this));
  try {
    ComPtr<IShellBrowser> shell;
    if (!FSite || FAILED(FSite.As(&shell)) || !shell)
      throw EIntfCastError("Interface not supported");
    ComPtr<IServiceProvider> services;
    if (FAILED(shell.As(&services)) || !services) throw EIntfCastError("Interface not supported");
    ComPtr<IServiceProvider> topServices;
    OleCheck(services->QueryService(SID_STopLevelBrowser, IID_IServiceProvider,
                                    reinterpret_cast<void**>(topServices.GetAddressOf())));
    if (!topServices) throw EOleSysError("No top-level browser", E_NOINTERFACE);
    ComPtr<IWebBrowser2> browser;
    OleCheck(topServices->QueryService(SID_SWebBrowserApp, IID_IWebBrowser2,
                                       reinterpret_cast<void**>(browser.GetAddressOf())));
    if (!browser) throw EOleSysError("No top-level browser", E_NOINTERFACE);
    TBstr name(ZoneDialogSignalProperty());
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = ZoneDialogSignalValue;
    OleCheck(browser->PutProperty(name.Get(), value));
  } catch (...) {
    try {
      WideMessageBox(nullptr, TranslateInChosenLanguage(ButtonErrorText), VeilgateTitle, MB_OK);
    } catch (...) {
      // No memory even for the box: the press is lost, the browser goes on.
    }
  }
  return S_OK;
}

// ---- TvgtBrowserObserver

void TvgtBrowserObserver::Initialize() {
  TComImpl::Initialize();
  FHolders = std::make_unique<TObjectList>(true);
  FLock = std::make_unique<TCriticalSection>();
}

TvgtBrowserObserver::~TvgtBrowserObserver() {
  FHolders.reset();
  FLock.reset();
}

void* TvgtBrowserObserver::ObjQueryInterface(REFIID riid) {
  if (IsEqualIID(riid, DIID_DWebBrowserEvents2)) return static_cast<IDispatch*>(this);
  return TComImpl::ObjQueryInterface(riid);
}

TWebBrowserHolder* TvgtBrowserObserver::Holder(int Index) const {
  return static_cast<TWebBrowserHolder*>(FHolders->Items(Index));
}

HRESULT TvgtBrowserObserver::SetSite(IUnknown* pUnkSite) {
  return AnswerAtComEdge([&] {
    FSite = pUnkSite;
    if (!pUnkSite) return S_OK;
    ComPtr<IConnectionPointContainer> container;
    if (FAILED(FSite.As(&container)) || !container) return E_FAIL;
    ComPtr<IConnectionPoint> point;
    container->FindConnectionPoint(DIID_DWebBrowserEvents2, &point);
    if (!point) return E_FAIL;
    DWORD cookie = 0;
    point->Advise(static_cast<IDispatch*>(this), &cookie);
    FCookie = cookie;
    return S_OK;
  }, AnswerFail);
}

HRESULT TvgtBrowserObserver::GetSite(REFIID riid, void** ppvSite) {
  return GetSiteOf(FSite.Get(), riid, ppvSite);
}

HRESULT TvgtBrowserObserver::GetTypeInfoCount(UINT* pctinfo) {
  if (pctinfo) *pctinfo = 0;
  return S_OK;
}

HRESULT TvgtBrowserObserver::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) {
  if (ppTInfo) *ppTInfo = nullptr;
  return E_NOTIMPL;
}

HRESULT TvgtBrowserObserver::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return E_NOTIMPL;
}

HRESULT TvgtBrowserObserver::Invoke(DISPID dispIdMember, REFIID, LCID, WORD,
                                    DISPPARAMS* pDispParams, VARIANT*, EXCEPINFO*, UINT*) {
  // An event may end the observer's connection (OnQuit) and with it the last reference the
  // browser held: the observer stays until its own handler has returned.
  ComPtr<IUnknown> self(static_cast<ISupportErrorInfo*>(this));
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  const DISPPARAMS& params = pDispParams ? *pDispParams : none;
  try {
    switch (dispIdMember) {
      case 112:  // PropertyChange
        try {
          PropertyChange(params);
        } catch (...) {
          LogCaught(L"TVeilgate.Invoke (PropertyChange)", std::current_exception());
        }
        break;
      case 250:  // BeforeNavigate2
        if (TWebBrowserHolder* holder = RegisterBrowser(params))
          if (SameComObject(holder->Browser(), FSite.Get())) ResetToTop();
        break;
      case 252:  // NavigateComplete2
      case 271:  // NavigateError
        RegisterBrowser(params);
        break;
      case 253:  // OnQuit
        OnQuit();
        break;
      case 259:  // DocumentComplete
        try {
          RegisterBrowser(params);
          PruneBrowsers();
        } catch (...) {
          LogCaught(L"TVeilgate.Invoke (DocumentComplete)", std::current_exception());
        }
        break;
      default:
        break;
    }
  } catch (...) {
    LogCaught(L"TVeilgate.Invoke", std::current_exception());
  }
  return S_OK;
}

void TvgtBrowserObserver::PropertyChange(const DISPPARAMS& Params) {
  TVariantArray args;
  DispParamsToVariantArray(Params, args);
  // An event without the property's name cannot be the signal.
  if (args.Empty()) return;
  if (TextOf(args[0]) == ZoneDialogSignalProperty()) ShowZoneDialog();
}

void TvgtBrowserObserver::OnQuit() {
  ComPtr<IConnectionPointContainer> container;
  if (FSite && SUCCEEDED(FSite.As(&container)) && container) {
    ComPtr<IConnectionPoint> point;
    container->FindConnectionPoint(DIID_DWebBrowserEvents2, &point);
    if (point) point->Unadvise(FCookie);
  }
  FCookie = 0;
  FSite = nullptr;
}

TWebBrowserHolder* TvgtBrowserObserver::RegisterBrowser(const DISPPARAMS& Params) {
  try {
    TVariantArray args;
    DispParamsToVariantArray(Params, args);
    if (args.Empty()) return nullptr;
    IUnknown* named = InterfaceOf(args[0]);
    ComPtr<IWebBrowser2> browser;
    if (!named || FAILED(named->QueryInterface(IID_PPV_ARGS(&browser))) || !browser)
      return nullptr;
    for (int i = FHolders->Count() - 1; i >= 0; --i)
      if (SameComObject(Holder(i)->Browser(), browser.Get())) return Holder(i);
    auto holder = std::make_unique<TWebBrowserHolder>(browser.Get());
    FHolders->Add(holder.get());
    return holder.release();
  } catch (...) {
    return nullptr;
  }
}

void TvgtBrowserObserver::ResetToTop() {
  TCriticalSectionGuard guard(*FLock);
  for (int i = FHolders->Count() - 1; i >= 1; --i) FHolders->Delete(i);
}

void TvgtBrowserObserver::PruneBrowsers() {
  TCriticalSectionGuard guard(*FLock);
  for (int i = FHolders->Count() - 1; i >= 0; --i)
    if (!Holder(i)->IsAlive()) FHolders->Delete(i);
}

void TvgtBrowserObserver::ShowZoneDialog() {
  // Events dispatched by the pump below can end the observer's connection (OnQuit) or take its
  // site (SetSite(nil)); the session keeps both until it is over.
  ComPtr<IUnknown> self(static_cast<ISupportErrorInfo*>(this));
  ComPtr<IWebBrowser2> browser;
  if (!FSite || FAILED(FSite.As(&browser)) || !browser)
    throw EIntfCastError("Interface not supported");
  SHANDLE_PTR handle = 0;
  OleCheck(browser->get_HWND(&handle));
  const HWND window = reinterpret_cast<HWND>(handle);

  TQuitRequest quit;
  auto postQuit = ScopeExit([&] {
    if (quit.Seen) PostQuitMessage(quit.ExitCode);
  });
  ComPtr<IZoneDialog> dialog = CoZoneDialog::Create();
  OleCheck(dialog->SetParentWindow(HandleToULong(window)));
  CollectDomains(dialog.Get());
  {
    auto enable = ScopeExit([&] { EnableWindow(window, TRUE); });
    OleCheck(dialog->ShowDialog());
    for (;;) {
      VARIANT_BOOL refresh = 0;
      OleCheck(dialog->RefreshWanted(&refresh));
      if (AsBool(refresh)) {
        CollectDomains(dialog.Get());
        OleCheck(dialog->ShowDialog());
      }
      Sleep(10);
      PumpOneMessage(quit);
      VARIANT_BOOL done = 0;
      OleCheck(dialog->DialogDone(&done));
      if (AsBool(done)) break;
    }
  }
}

void TvgtBrowserObserver::CollectDomains(IZoneDialog* Dialog) {
  PruneBrowsers();
  VARIANT_BOOL highlevel = 0;
  OleCheck(Dialog->HighlevelDomains(&highlevel));
  TDomParser parser;
  // The walk dispatches no messages, so no event changes the list under it; the count is read
  // again all the same.
  for (int i = 0; i < FHolders->Count(); ++i) {
    TWebBrowserHolder* holder = Holder(i);
    if (i == 0 || holder->IsAlive()) parser.ParseDom(holder->Browser(), AsBool(highlevel));
  }
  TDomainList* list = parser.DomainList();
  const int count = list->Count();
  for (int j = 0; j < count; ++j) {
    TvgtUrlDomain* entry = list->Items(j);
    // A blank page is a domain only where it is all the window shows.
    if (j != 0 && entry->Domain == BlankPage) continue;
    TBstr domain(entry->Domain), zoneUrl(entry->VGTDomain);
    OleCheck(Dialog->AddDomain(domain.Get(), zoneUrl.Get(), entry->Scheme, entry->GetFlags()));
  }
}

// ---- the dialog server, the pump, the factories

ComPtr<IZoneDialog> CoZoneDialog::Create() {
  ComPtr<IUnknown> object;
  OleCheck(CoCreateInstance(CLSID_ZoneDialog, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                            IID_IUnknown, reinterpret_cast<void**>(object.GetAddressOf())));
  ComPtr<IZoneDialog> dialog;
  if (!object || FAILED(object.As(&dialog)) || !dialog)
    throw EIntfCastError("Interface not supported");
  return dialog;
}

void PumpOneMessage(TQuitRequest& Quit) {
  MSG message;
  if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return;
  if (message.message == WM_QUIT) {
    Quit.Seen = true;
    Quit.ExitCode = static_cast<int>(message.wParam);
    return;
  }
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

void CreateVeilgateFactories() {
  static TComObjectFactory button(ComServer(), ComObjectCreator<TvgtToolbutton>(),
                                  CLSID_vgtToolbutton, L"vgtToolbutton", L"Veilgate Button",
                                  TClassInstancing::ciMultiInstance, TThreadingModel::tmApartment);
  static TComObjectFactory observer(ComServer(), ComObjectCreator<TvgtBrowserObserver>(),
                                    CLSID_vgtBrowserObserver, L"vgtBrowserObserver", ProductName,
                                    TClassInstancing::ciMultiInstance,
                                    TThreadingModel::tmApartment);
}
