#include "tools/pagehost/Browser.h"

#include <shlguid.h>
#include <wininet.h>

#include <algorithm>

#include "base/Scope.h"

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

// Asks the window's procedure to run the next piece of posted work.
constexpr UINT WM_RUNWORK = WM_APP + 0x2A1;
const wchar_t kWindowClass[] = L"VeilgatePageHostWindow";

void RegisterWindowClass(WNDPROC proc) {
  WNDCLASSW wc{};
  if (GetClassInfoW(GetModuleHandleW(nullptr), kWindowClass, &wc)) return;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kWindowClass;
  RegisterClassW(&wc);
}

}  // namespace

WideString CanonicalUrl(const WideString& url) {
  std::vector<wchar_t> buffer(INTERNET_MAX_URL_LENGTH + 1, L'\0');
  DWORD length = INTERNET_MAX_URL_LENGTH;
  if (!InternetCanonicalizeUrlW(url.c_str(), buffer.data(), &length, 0)) return url;
  WideString out(buffer.data());
  URL_COMPONENTSW c{};
  c.dwStructSize = sizeof c;
  c.dwSchemeLength = c.dwHostNameLength = c.dwUrlPathLength = c.dwExtraInfoLength = 1;
  if (!InternetCrackUrlW(out.c_str(), static_cast<DWORD>(out.size()), 0, &c)) return out;
  // The parts point into out: scheme and host change case in place.
  auto lower = [&](const wchar_t* part, DWORD n) {
    if (!part) return;
    for (size_t i = static_cast<size_t>(part - out.data()), e = i + n; i < e; ++i)
      if (out[i] >= L'A' && out[i] <= L'Z') out[i] = static_cast<wchar_t>(out[i] + 32);
  };
  lower(c.lpszScheme, c.dwSchemeLength);
  lower(c.lpszHostName, c.dwHostNameLength);
  const bool hierarchical = c.nScheme == INTERNET_SCHEME_HTTP ||
                            c.nScheme == INTERNET_SCHEME_HTTPS || c.nScheme == INTERNET_SCHEME_FTP;
  if (hierarchical && c.lpszHostName && c.dwUrlPathLength == 0) {
    const size_t at = c.lpszExtraInfo && c.dwExtraInfoLength
                          ? static_cast<size_t>(c.lpszExtraInfo - out.data())
                          : out.size();
    out.insert(at, 1, L'/');
  }
  return out;
}

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

void EventPoint::UnadviseAll() {
  while (!FSinks.empty()) Unadvise(FSinks.back().first);
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
  if (FailHwnd || !FHost) return E_FAIL;  // a frame that is gone, or a closed window
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

bool Browser::LoadingHereOrBelow() const {
  if (FLoading) return true;
  for (const auto& f : FFrames)
    if (f->LoadingHereOrBelow()) return true;
  return false;
}

HRESULT Browser::get_Busy(VARIANT_BOOL* busy) {
  if (!busy) return E_POINTER;
  if (FailBusy) return E_FAIL;
  *busy = Busy || LoadingHereOrBelow() ? VARIANT_TRUE : VARIANT_FALSE;
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
    const auto clear = ScopeExit([&] { VariantClear(&arg); });
    FEvents->Fire(DispPropertyChange, {arg});
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
    : FSites(std::move(sites)), FTop(Make<Browser>(this, nullptr)) {
  RegisterWindowClass(WindowProc);
  // Shown without taking the focus: a dialog owned by it is owned by a visible window, and tests
  // beside it keep theirs.
  FWindow = CreateWindowExW(0, kWindowClass, L"Page host", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                            CW_USEDEFAULT, 640, 480, nullptr, nullptr, GetModuleHandleW(nullptr),
                            nullptr);
  if (FWindow) {
    SetWindowLongPtrW(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ShowWindow(FWindow, SW_SHOWNOACTIVATE);
  }
}

Host::~Host() {
  Close();
  FTop->FHost = nullptr;
}

LRESULT CALLBACK Host::WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  Host* host = reinterpret_cast<Host*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
  if (!host) return DefWindowProcW(wnd, msg, wp, lp);
  try {
    switch (msg) {
      case WM_RUNWORK: host->RunOneWork(); return 0;
      case WM_CLOSE: host->Close(); return 0;
      case WM_DESTROY:
        // Destroyed by someone else: the browser is gone all the same.
        SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
        host->FWindow = nullptr;
        host->Close();
        return 0;
      default: break;
    }
  } catch (...) {
    // Nothing may leave a window procedure; posted work reports through the events it fires.
  }
  return DefWindowProcW(wnd, msg, wp, lp);
}

void Host::Post(std::function<void()> work) {
  if (FClosed) return;
  FWork.push_back(std::move(work));
  if (FWindow) PostMessageW(FWindow, WM_RUNWORK, 0, 0);
}

void Host::RunOneWork() {
  if (FWork.empty()) return;
  auto work = std::move(FWork.front());
  FWork.pop_front();
  work();
}

bool Host::PumpUntil(const std::function<bool()>& done) {
  while (!done()) {
    if (FClosed) return false;
    if (!FWindow) {
      // No window to post to: the work runs straight from the list.
      if (FWork.empty()) return false;
      RunOneWork();
      continue;
    }
    if (FWork.empty()) return false;  // nothing queued could make it true
    MSG m;
    // A nudge taken off the queue by someone else's loop would strand the work behind it.
    if (!PeekMessageW(&m, FWindow, WM_RUNWORK, WM_RUNWORK, PM_NOREMOVE))
      PostMessageW(FWindow, WM_RUNWORK, 0, 0);
    const BOOL got = GetMessageW(&m, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(m.wParam));  // for the loop that owns the thread
      return false;
    }
    if (got < 0) return false;
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  return true;
}

void Host::DropFrames(Browser* b) {
  for (auto& f : b->FFrames) {
    DropFrames(f.Get());
    --FFrameCount;
    f->FHost = nullptr;
    f->FParent = nullptr;
    f->FLoading = false;
    if (pagehost::Window* window = f->DocumentWindow()) window->Closed = true;
    // What is not HTML has no window to report closed: the browser lets go of it instead.
    if (!f->FHtml) f->FShown.Reset();
  }
  b->FFrames.clear();
  b->FPendingFrames = 0;
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
  const auto clear = ScopeExit([&] {
    VariantClear(&address);
    VariantClear(&target);
    VariantClear(&headers);
  });
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
}

bool Host::ShownAround(Browser* b, const WideString& url) {
  auto page = [](const WideString& u) { return u.substr(0, u.find(L'#')); };
  const WideString wanted = page(CanonicalUrl(url));
  for (Browser* p = b; p; p = p->FParent)
    if (page(p->FLocationUrl) == wanted) return true;
  return false;
}

int Host::DepthOf(Browser* b) {
  int depth = 0;
  for (Browser* p = b->FParent; p; p = p->FParent) ++depth;
  return depth;
}

void Host::PostNavigate(const WideString& url) {
  ComPtr<Browser> top = FTop;
  Post([this, top, url] { Begin(top.Get(), url, 0); });
}

void Host::PostNavigateFrame(Browser* frame, const WideString& url) {
  ComPtr<Browser> keep(frame);
  Post([this, keep, url] {
    if (keep->FHost == this) Begin(keep.Get(), url, DepthOf(keep.Get()));
  });
}

void Host::NavigateAndWait(Browser* b, const WideString& url) {
  // Started: the navigation number it took. Done once b loads no more under that number.
  auto started = std::make_shared<int>(-1);
  ComPtr<Browser> keep(b);
  Post([this, keep, url, started] {
    if (keep->FHost != this) return;
    *started = keep->FGeneration + 1;
    Begin(keep.Get(), url, DepthOf(keep.Get()));
  });
  PumpUntil([&] {
    return *started >= 0 &&
           (keep->FGeneration != *started || !keep->FLoading || keep->FHost != this);
  });
}

void Host::Navigate(const WideString& url) { NavigateAndWait(FTop.Get(), url); }

void Host::NavigateFrame(Browser* frame, const WideString& url) { NavigateAndWait(frame, url); }

bool Host::Current(Browser* b, int gen) const {
  return !FClosed && b->FHost == this && b->FGeneration == gen;
}

void Host::Begin(Browser* b, const WideString& requested, int depth) {
  ComPtr<Browser> keep(b);
  const int gen = ++b->FGeneration;
  b->FLoading = true;
  const WideString url = CanonicalUrl(requested);
  FireFor(DispBeforeNavigate2, b, url);
  if (!Current(b, gen)) return;  // a handler navigated elsewhere
  auto page = FSites->Fetch(url);
  b->FLocationUrl = url;
  DropFrames(b);
  b->FHtml.Reset();
  b->FShown.Reset();
  bool html = page && LooksLikeMarkup(page->Bytes);
  if (!page) {
    FireFor(DispNavigateError, b, url);
    if (!Current(b, gen)) return;
    page = Resource{};  // the browser then shows its own (empty) error page
    html = true;
  }
  if (html) {
    b->FHtml = Make<Document>(url, *page, FSites);
    b->FShown = static_cast<IHTMLDocument2*>(b->FHtml.Get());
  } else {
    b->FShown = Make<PlainObject>();
  }
  FireFor(DispNavigateComplete2, b, url);
  if (!Current(b, gen)) return;
  std::vector<ComPtr<Browser>> frames;
  if (b->FHtml && depth < MaxFrameDepth)
    for (const auto& frameUrl : b->FHtml->FrameUrls()) {
      if (FFrameCount >= MaxFramesPerWindow || ShownAround(b, frameUrl)) continue;
      auto frame = Make<Browser>(this, b);
      ++FFrameCount;
      b->FFrames.push_back(frame);
      frames.push_back(frame);
      // Every frame starts before any finishes, as the browser loads them side by side.
      Post([this, frame, frameUrl, depth] {
        if (frame->FHost == this && frame->FGeneration == 0)
          Begin(frame.Get(), frameUrl, depth + 1);
      });
    }
  b->FPendingFrames = static_cast<int>(frames.size());
  if (frames.empty()) {
    // Done in a step of its own, so that sibling frames finish after they all started.
    ComPtr<Browser> keep2(b);
    Post([this, keep2, gen] {
      if (Current(keep2.Get(), gen)) Complete(keep2.Get());
    });
  }
}

void Host::Complete(Browser* b) {
  ComPtr<Browser> keep(b);
  b->FLoading = false;
  FireFor(DispDocumentComplete, b, b->FLocationUrl);
  if (FClosed || b->FHost != this || b->FToldParent || !b->FParent) return;
  // A frame's first load is what its parent waits for; later ones are its own business.
  b->FToldParent = true;
  Browser* parent = b->FParent;
  if (parent->FLoading && --parent->FPendingFrames == 0) Complete(parent);
}

void Host::PostPressButton() {
  Post([this] {
    if (ComPtr<IOleCommandTarget> button = FButton)
      button->Exec(nullptr, 0, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr);
  });
}

void Host::PressButton() {
  auto pressed = std::make_shared<bool>(false);
  Post([this, pressed] {
    *pressed = true;
    if (ComPtr<IOleCommandTarget> button = FButton)
      button->Exec(nullptr, 0, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr);
  });
  PumpUntil([&] { return *pressed; });
}

void Host::PostClose() {
  if (FWindow) PostMessageW(FWindow, WM_CLOSE, 0, 0);
}

void Host::Quit() { FireFor(DispOnQuit, nullptr, L""); }

void Host::Close() {
  if (FClosed) return;
  FClosed = true;
  FWork.clear();
  FireFor(DispOnQuit, nullptr, L"");
  // Sited objects let go of their sites, in the order they got them.
  auto sited = std::move(FSited);
  for (auto& o : sited) o->SetSite(nullptr);
  // A sink that did not leave on OnQuit is let go all the same, so it cannot keep itself alive
  // through the browser it holds.
  FTop->FEvents->UnadviseAll();
  sited.clear();
  FButton.Reset();
  DropFrames(FTop.Get());
  FTop->FLoading = false;
  if (pagehost::Window* window = FTop->DocumentWindow()) window->Closed = true;
  if (HWND window = FWindow) {
    FWindow = nullptr;
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
  }
  // A library whose objects are all gone is unloaded; one that still serves objects stays, so
  // that their code is still there when they are released.
  for (auto it = FModules.rbegin(); it != FModules.rend(); ++it) {
    using CanUnload = HRESULT(STDAPICALLTYPE*)();
    auto canUnload = reinterpret_cast<CanUnload>(
        reinterpret_cast<void*>(GetProcAddress(*it, "DllCanUnloadNow")));
    if (canUnload && canUnload() == S_OK) FreeLibrary(*it);
  }
  FModules.clear();
}

// ---- the extension's objects

HRESULT Host::CreateServerObject(const CLSID& clsid, const WideString& dll, IUnknown** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (dll.empty())
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                            reinterpret_cast<void**>(object));
  HMODULE module = LoadLibraryW(dll.c_str());
  if (!module) return HRESULT_FROM_WIN32(GetLastError());
  FModules.push_back(module);
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  auto get = reinterpret_cast<GetClassObject>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
  if (!get) return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
  ComPtr<IClassFactory> factory;
  HRESULT hr = get(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf()));
  if (FAILED(hr)) return hr;
  if (!factory) return E_UNEXPECTED;
  return factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(object));
}

HRESULT Host::SiteObject(IUnknown* object, IUnknown* site) {
  if (!object) return E_POINTER;
  if (FClosed) return E_UNEXPECTED;
  ComPtr<IObjectWithSite> withSite;
  HRESULT hr = object->QueryInterface(IID_PPV_ARGS(&withSite));
  if (FAILED(hr)) return hr;
  // Remembered even when SetSite fails: the object may have kept the site all the same.
  FSited.push_back(withSite);
  return withSite->SetSite(site);
}

HRESULT Host::AddObserver(const CLSID& clsid, const WideString& dll) {
  ComPtr<IUnknown> object;
  HRESULT hr = CreateServerObject(clsid, dll, &object);
  if (FAILED(hr)) return hr;
  return SiteObject(object.Get(), static_cast<IWebBrowser2*>(FTop.Get()));
}

HRESULT Host::AddButton(const CLSID& clsid, const WideString& dll) {
  ComPtr<IUnknown> object;
  HRESULT hr = CreateServerObject(clsid, dll, &object);
  if (FAILED(hr)) return hr;
  ComPtr<IOleCommandTarget> target;
  hr = object.As(&target);
  if (FAILED(hr)) return hr;
  auto site = MakeButtonSite();
  hr = SiteObject(object.Get(), static_cast<IShellBrowser*>(site.Get()));
  if (SUCCEEDED(hr)) FButton = target;
  return hr;
}

}  // namespace pagehost
