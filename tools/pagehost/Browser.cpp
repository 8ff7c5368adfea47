#include "tools/pagehost/Browser.h"

#include <shlguid.h>

#include <algorithm>

namespace pagehost {
namespace {

VARIANT RefTo(VARIANT* target) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_VARIANT | VT_BYREF;
  v.pvarVal = target;
  return v;
}

// The Cancel argument of the events that offer one; the host never reads it back.
VARIANT CancelRef(VARIANT_BOOL* cancel) {
  *cancel = VARIANT_FALSE;
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BOOL | VT_BYREF;
  v.pboolVal = cancel;
  return v;
}

LRESULT CALLBACK FrameWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(wnd, msg, wp, lp);
}

}  // namespace

// ---- EventPoint

void* EventPoint::Cast(REFIID riid) {
  if (riid == IID_IUnknown || riid == IID_IConnectionPoint)
    return static_cast<IConnectionPoint*>(this);
  return nullptr;
}

void EventPoint::Fire(DISPID id, const std::vector<VARIANT>& declared) {
  std::vector<VARIANT> args(declared.rbegin(), declared.rend());
  DISPPARAMS params{};
  params.cArgs = static_cast<UINT>(args.size());
  params.rgvarg = args.empty() ? nullptr : args.data();
  auto sinks = FSinks;  // a sink may unadvise while it handles the event
  for (auto& s : sinks)
    s.second->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                     nullptr);
}

HRESULT EventPoint::GetConnectionInterface(IID* piid) {
  if (!piid) return E_POINTER;
  *piid = DIID_DWebBrowserEvents2;
  return S_OK;
}

HRESULT EventPoint::GetConnectionPointContainer(IConnectionPointContainer** ppCPC) {
  if (!ppCPC) return E_POINTER;
  *ppCPC = FOwner;
  if (!FOwner) return E_UNEXPECTED;
  FOwner->AddRef();
  return S_OK;
}

HRESULT EventPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!sink || !cookie) return E_POINTER;
  *cookie = 0;
  if (FailAdvise) return CONNECT_E_CANNOTCONNECT;
  ComPtr<IDispatch> disp;
  if (FAILED(sink->QueryInterface(DIID_DWebBrowserEvents2,
                                  reinterpret_cast<void**>(disp.GetAddressOf()))) &&
      FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(disp.GetAddressOf()))))
    return CONNECT_E_CANNOTCONNECT;
  *cookie = FNextCookie++;
  FSinks.emplace_back(*cookie, disp);
  return S_OK;
}

HRESULT EventPoint::Unadvise(DWORD cookie) {
  auto it = std::find_if(FSinks.begin(), FSinks.end(),
                         [cookie](const auto& s) { return s.first == cookie; });
  if (it == FSinks.end()) return CONNECT_E_NOCONNECTION;
  FSinks.erase(it);
  return S_OK;
}

// ---- Browser

Browser::Browser(Host* host, Browser* parent) : FHost(host), FParent(parent) {
  if (!parent) FEvents = Make<EventPoint>(static_cast<IConnectionPointContainer*>(this));
}

void* Browser::Cast(REFIID riid) {
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IWebBrowser ||
      riid == IID_IWebBrowserApp || riid == IID_IWebBrowser2)
    return static_cast<IWebBrowser2*>(this);
  if (riid == IID_IConnectionPointContainer && FEvents && !RefuseEvents)
    return static_cast<IConnectionPointContainer*>(this);
  if (riid == IID_IServiceProvider && !FParent) return static_cast<IServiceProvider*>(this);
  return nullptr;
}

HRESULT Browser::get_HWND(SHANDLE_PTR* pHWND) {
  if (!pHWND) return E_POINTER;
  *pHWND = 0;
  if (FailHwnd || !FHost) return E_FAIL;
  *pHWND = reinterpret_cast<SHANDLE_PTR>(FHost->WindowHandle());
  return *pHWND ? S_OK : E_FAIL;
}

HRESULT Browser::get_LocationURL(BSTR* url) {
  if (FailLocationUrl) return E_FAIL;
  return ReturnBstr(FLocationUrl, url);
}

HRESULT Browser::get_Document(IDispatch** disp) {
  if (!disp) return E_POINTER;
  *disp = nullptr;
  if (FailDocument) return E_FAIL;
  if (NoDocument || !FShown) return S_OK;
  *disp = FShown.Get();
  (*disp)->AddRef();
  return S_OK;
}

HRESULT Browser::get_Busy(VARIANT_BOOL* busy) {
  if (!busy) return E_POINTER;
  if (FailBusy) return E_FAIL;
  *busy = Busy ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT Browser::PutProperty(BSTR name, VARIANT value) {
  if (FailPutProperty) return E_FAIL;
  WideString key = name ? WideString(name, SysStringLen(name)) : WideString();
  VARIANT n;
  VariantInit(&n);
  long number = SUCCEEDED(VariantChangeType(&n, &value, 0, VT_I4)) ? n.lVal : 0;
  auto it = std::find_if(Properties.begin(), Properties.end(),
                         [&](const auto& p) { return p.first == key; });
  if (it != Properties.end())
    it->second = number;
  else
    Properties.emplace_back(key, number);
  // Only the top browser's observers hear about it; a frame's property stays with the frame.
  if (FEvents) {
    VARIANT arg = TextVariant(key);
    FEvents->Fire(DispPropertyChange, {arg});
    VariantClear(&arg);
  }
  return S_OK;
}

HRESULT Browser::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) {
  if (!ppCP) return E_POINTER;
  *ppCP = nullptr;
  if (FailFindConnectionPoint || !FEvents || riid != DIID_DWebBrowserEvents2)
    return CONNECT_E_NOCONNECTION;
  *ppCP = FEvents.Get();
  FEvents->AddRef();
  return S_OK;
}

HRESULT Browser::QueryService(REFGUID service, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (service == SID_STopLevelBrowser) {
    if (FailTopLevelService) return E_FAIL;
    return QueryInterface(riid, ppv);
  }
  if (service == SID_SWebBrowserApp) {
    if (FailWebBrowserService) return E_FAIL;
    return QueryInterface(riid, ppv);
  }
  return E_NOINTERFACE;
}

// ---- ButtonSite

void* ButtonSite::Cast(REFIID riid) {
  if (riid == IID_IUnknown) return static_cast<IShellBrowser*>(this);
  if (riid == IID_IOleWindow || riid == IID_IShellBrowser)
    return RefuseShellBrowser ? nullptr : static_cast<IShellBrowser*>(this);
  if (riid == IID_IServiceProvider)
    return RefuseServiceProvider ? nullptr : static_cast<IServiceProvider*>(this);
  return nullptr;
}

HRESULT ButtonSite::QueryService(REFGUID service, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (service != SID_STopLevelBrowser && service != SID_SWebBrowserApp) return E_NOINTERFACE;
  if (FailTopLevelService || !FTop) return E_FAIL;
  return FTop->QueryService(service, riid, ppv);
}

// ---- Host

Host::Host(std::shared_ptr<SiteMap> sites)
    : FSites(std::move(sites)), FTop(Make<Browser>(this, nullptr)) {}

Host::~Host() {
  DropFrames(FTop.Get());
  FTop->FHost = nullptr;
  FTop->FEvents->Detach();
  if (FWindow) DestroyWindow(FWindow);
}

void Host::DropFrames(Browser* b) {
  for (auto& f : b->FFrames) {
    DropFrames(f.Get());
    f->FHost = nullptr;
    f->FParent = nullptr;
    if (pagehost::Window* window = f->DocumentWindow()) window->Closed = true;
  }
  b->FFrames.clear();
}

std::vector<Browser*> Host::Browsers() const {
  std::vector<Browser*> out;
  std::vector<Browser*> stack{FTop.Get()};
  while (!stack.empty()) {
    Browser* b = stack.back();
    stack.pop_back();
    out.push_back(b);
    for (auto it = b->FFrames.rbegin(); it != b->FFrames.rend(); ++it) stack.push_back(it->Get());
  }
  return out;
}

void Host::FireFor(DISPID id, Browser* b, const WideString& url) {
  EventPoint* events = FTop->FEvents.Get();
  ComPtr<Browser> keep(b);
  VARIANT who;
  VariantInit(&who);
  if (b) {
    who.vt = VT_DISPATCH;
    who.pdispVal = static_cast<IWebBrowser2*>(b);
  }
  VARIANT address = TextVariant(url), target = TextVariant(L""), headers = TextVariant(L"");
  VARIANT post, flags = IntVariant(0), status = IntVariant(404);
  VariantInit(&post);
  VARIANT_BOOL cancel;
  switch (id) {
    case DispBeforeNavigate2:
      events->Fire(id, {who, RefTo(&address), RefTo(&flags), RefTo(&target), RefTo(&post),
                        RefTo(&headers), CancelRef(&cancel)});
      break;
    case DispNavigateComplete2:
    case DispDocumentComplete: events->Fire(id, {who, RefTo(&address)}); break;
    case DispNavigateError:
      events->Fire(id, {who, RefTo(&address), RefTo(&target), RefTo(&status), CancelRef(&cancel)});
      break;
    default: events->Fire(id, {}); break;
  }
  VariantClear(&address);
  VariantClear(&target);
  VariantClear(&headers);
}

void Host::Navigate(const WideString& url) { Load(FTop.Get(), url, 0); }

void Host::NavigateFrame(Browser* frame, const WideString& url) {
  int depth = 0;
  for (Browser* p = frame->FParent; p; p = p->FParent) ++depth;
  Load(frame, url, depth);
}

void Host::Quit() { FireFor(DispOnQuit, nullptr, L""); }

void Host::Load(Browser* b, const WideString& url, int depth) {
  ComPtr<Browser> keep(b);
  FireFor(DispBeforeNavigate2, b, url);
  auto page = FSites->Fetch(url);
  b->FLocationUrl = url;
  DropFrames(b);
  b->FHtml.Reset();
  b->FShown.Reset();
  if (!page) {
    FireFor(DispNavigateError, b, url);
    page = Resource{};  // the browser then shows its own (empty) error page
  }
  if (page->Kind == ResourceKind::Html) {
    b->FHtml = Make<Document>(url, *page, FSites);
    b->FShown = static_cast<IHTMLDocument2*>(b->FHtml.Get());
  } else {
    b->FShown = Make<PlainObject>();
  }
  FireFor(DispNavigateComplete2, b, url);
  if (b->FHtml && depth < MaxFrameDepth) {
    for (const auto& frameUrl : b->FHtml->FrameUrls()) {
      auto frame = Make<Browser>(this, b);
      b->FFrames.push_back(frame);
      Load(frame.Get(), frameUrl, depth + 1);
    }
  }
  FireFor(DispDocumentComplete, b, url);
}

HWND Host::WindowHandle() {
  if (FWindow) return FWindow;
  static const wchar_t* kClass = L"VeilgatePageHostWindow";
  WNDCLASSW wc{};
  wc.lpfnWndProc = FrameWindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kClass;
  RegisterClassW(&wc);  // fails harmlessly when already registered
  FWindow = CreateWindowExW(0, kClass, L"Page host", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                            CW_USEDEFAULT, 640, 480, nullptr, nullptr, wc.hInstance, nullptr);
  return FWindow;
}

}  // namespace pagehost
