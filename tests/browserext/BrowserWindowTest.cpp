// The page host as the browser window around the extension: work that reaches the browser
// through its message queue, so a one-message pump inside an event handler delivers it; the
// close sequence (also on WM_CLOSE) that lets every sited object and sink go; Busy while frames
// load; navigation from inside an event handler; documents told apart by content; canonical
// addresses; and the extension's objects loaded from an in-process server by path or by class.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "base/Module.h"
#include "tests/support/ComEnvironment.h"
#include "tests/browserext/EventArguments.h"
#include "tests/browserext/FakeExtension.h"
#include "tools/pagehost/Browser.h"

using namespace pagehost;

namespace {

struct Seen {
  DISPID Id;
  IUnknown* Who;  // identity of the browser concerned, or nullptr
  WideString Text;
  bool operator==(const Seen&) const = default;
};

IUnknown* Identity(IUnknown* p) {
  if (!p) return nullptr;
  ComPtr<IUnknown> u;
  p->QueryInterface(IID_PPV_ARGS(&u));
  return u.Get();
}
IUnknown* Identity(Browser* b) { return Identity(static_cast<IWebBrowser2*>(b)); }

// An event sink that writes down what reaches it and can act on it.
class Sink final : public ComObject<IDispatch> {
 public:
  std::vector<Seen> Events;
  std::function<void(const Seen&)> OnEvent;

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT*,
                                   EXCEPINFO*, UINT*) override {
    EventSubject subject = ReadEventSubject(*p);
    Seen e{id, Identity(subject.Who), std::move(subject.Text)};
    Events.push_back(e);
    if (OnEvent) OnEvent(e);
    return S_OK;
  }
  std::vector<DISPID> Ids() const {
    std::vector<DISPID> out;
    for (const auto& e : Events) out.push_back(e.Id);
    return out;
  }

 protected:
  void* Cast(REFIID riid) override {
    return riid == IID_IUnknown || riid == IID_IDispatch ? static_cast<IDispatch*>(this) : nullptr;
  }
};

DWORD Advise(Host& host, IUnknown* sink) {
  ComPtr<IConnectionPointContainer> cpc;
  ComPtr<IConnectionPoint> cp;
  host.Top()->QueryInterface(IID_PPV_ARGS(&cpc));
  cpc->FindConnectionPoint(DIID_DWebBrowserEvents2, &cp);
  DWORD cookie = 0;
  EXPECT_EQ(cp->Advise(sink, &cookie), S_OK);
  return cookie;
}

// What the dialog session does between its polls: at most one message, 8-bit, WM_QUIT kept out.
bool PumpOneMessage() {
  MSG m;
  if (!PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) return false;
  if (m.message != WM_QUIT) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  return true;
}

WideString ProgramFolder() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  WideString p(path, n);
  return p.substr(0, p.find_last_of(L"\\/"));
}

const WideString& FakeDll() {
  static const WideString path = ProgramFolder() + L"\\FakeExtension.dll";
  return path;
}

// The fake server's own log, read through its exports while the host has it loaded.
class FakeServer {
 public:
  FakeServer() : FModule(LoadLibraryW(FakeDll().c_str())) {
    if (FModule) FModule.Export<FakeExtensionClearLogFn>("FakeExtensionClearLog")();
  }
  bool Loaded() const { return static_cast<bool>(FModule); }
  std::vector<std::wstring> Lines() {
    std::wstring log = FModule.Export<FakeExtensionLogFn>("FakeExtensionLog")();
    std::vector<std::wstring> out;
    for (size_t pos = 0, end; (end = log.find(L'\n', pos)) != std::wstring::npos; pos = end + 1)
      out.push_back(log.substr(pos, end - pos));
    return out;
  }
  long LiveObjects() {
    return FModule.Export<FakeExtensionLiveObjectsFn>("FakeExtensionLiveObjects")();
  }
  template <class Fn>
  Fn Export(const char* Name) const { return FModule.Export<Fn>(Name); }

 private:
  TLibrary FModule;
};

class BrowserWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    FBefore = LiveObjectCount();
    FHost = std::make_unique<Host>();
    ASSERT_NE(FHost->WindowHandle(), nullptr) << "no display";
  }
  void TearDown() override {
    FHost.reset();
    EXPECT_EQ(LiveObjectCount(), FBefore) << "page-host objects nobody released";
  }
  Host& H() { return *FHost; }
  void Page(const WideString& url, const AnsiString& html) { H().Sites().AddPage(url, html); }
  void DestroyHost() { FHost.reset(); }

 private:
  long FBefore = 0;
  std::unique_ptr<Host> FHost;
};

// ---- posted work

TEST_F(BrowserWindow, PostedNavigationWaitsForThePumpAndThenRunsToTheEnd) {
  Page(L"http://a.example/", "<iframe src='http://b.example/'></iframe>");
  Page(L"http://b.example/", "<p>b</p>");
  auto sink = Make<Sink>();
  Advise(H(), sink.Get());
  H().PostNavigate(L"http://a.example/");
  EXPECT_TRUE(sink->Events.empty()) << "nothing happens before the queue is pumped";
  int passes = 0;
  while (H().PendingWork() > 0 && passes < 100 && PumpOneMessage()) ++passes;
  EXPECT_EQ(sink->Ids(), (std::vector<DISPID>{DispBeforeNavigate2, DispNavigateComplete2,
                                              DispBeforeNavigate2, DispNavigateComplete2,
                                              DispDocumentComplete, DispDocumentComplete}));
  EXPECT_EQ(H().Top()->LocationUrl(), L"http://a.example/");
  EXPECT_TRUE(IsWindowVisible(H().WindowHandle()));
}

TEST_F(BrowserWindow, SessionPumpInsideTheSignalDeliversANavigationAndASecondPress) {
  FakeServer server;
  ASSERT_TRUE(server.Loaded());
  Page(L"http://a.example/", "<p>a</p>");
  Page(L"http://b.example/", "<p>b</p>");
  H().Navigate(L"http://a.example/");
  ASSERT_EQ(H().AddButton(CLSID_FakeButton, FakeDll()), S_OK);
  auto sink = Make<Sink>();
  Advise(H(), sink.Get());
  int depth = 0, deepest = 0, sessions = 0;
  std::vector<std::pair<DISPID, int>> nested;  // event and session depth it arrived at
  sink->OnEvent = [&](const Seen& e) {
    nested.emplace_back(e.Id, depth);
    if (e.Id != DispPropertyChange || e.Text != FakeSignal || sessions++ > 0) return;
    // The first signal opens a "dialog" that pumps one message per pass until it is done.
    ++depth;
    deepest = std::max(deepest, depth);
    for (int pass = 0; pass < 200 && H().PendingWork() > 0; ++pass) PumpOneMessage();
    --depth;
  };
  H().PostPressButton();
  H().PostNavigate(L"http://b.example/");
  H().PostPressButton();
  H().PumpUntil([&] { return H().PendingWork() == 0; });
  EXPECT_EQ(deepest, 1);
  EXPECT_EQ(nested, (std::vector<std::pair<DISPID, int>>{{DispPropertyChange, 0},
                                                        {DispBeforeNavigate2, 1},
                                                        {DispNavigateComplete2, 1},
                                                        // pressed before the page completed
                                                        {DispPropertyChange, 1},
                                                        {DispDocumentComplete, 1}}));
  EXPECT_EQ(H().Top()->LocationUrl(), L"http://b.example/");
  sink->OnEvent = nullptr;  // the close's OnQuit comes after this body
}

TEST_F(BrowserWindow, WorkWhoseMessageAnotherLoopSwallowedStillRuns) {
  Page(L"http://a.example/", "<p>a</p>");
  Page(L"http://b.example/", "<p>b</p>");
  H().PostNavigate(L"http://a.example/");
  MSG m;
  int swallowed = 0;
  // Taken and not dispatched, as a loop that filters for its own messages might.
  while (PeekMessageW(&m, H().WindowHandle(), WM_APP, 0xBFFF, PM_REMOVE)) ++swallowed;
  EXPECT_GT(swallowed, 0);
  H().Navigate(L"http://b.example/");  // must not wait forever for the lost message
  EXPECT_EQ(H().Top()->LocationUrl(), L"http://b.example/");
  EXPECT_EQ(H().PendingWork(), 0u);
}

// ---- Busy and frames side by side

TEST_F(BrowserWindow, BusyWhileTheBrowserOrAnyOfItsFramesLoads) {
  Page(L"http://a.example/",
       "<iframe src='http://b.example/'></iframe><iframe src='http://c.example/'></iframe>");
  Page(L"http://b.example/", "<p>b</p>");
  Page(L"http://c.example/", "<p>c</p>");
  auto sink = Make<Sink>();
  Advise(H(), sink.Get());
  std::vector<std::pair<DISPID, bool>> busy;  // the top browser's Busy at each event
  sink->OnEvent = [&](const Seen& e) {
    VARIANT_BOOL b = VARIANT_FALSE;
    H().Top()->get_Busy(&b);
    busy.emplace_back(e.Id, b != VARIANT_FALSE);
  };
  H().Navigate(L"http://a.example/");
  auto browsers = H().Browsers();
  ASSERT_EQ(browsers.size(), 3u);
  IUnknown *top = Identity(browsers[0]), *b = Identity(browsers[1]), *c = Identity(browsers[2]);
  std::vector<std::pair<DISPID, IUnknown*>> order;
  for (const auto& e : sink->Events) order.emplace_back(e.Id, e.Who);
  // Both frames start before either finishes.
  EXPECT_EQ(order, (std::vector<std::pair<DISPID, IUnknown*>>{
                       {DispBeforeNavigate2, top}, {DispNavigateComplete2, top},
                       {DispBeforeNavigate2, b},   {DispNavigateComplete2, b},
                       {DispBeforeNavigate2, c},   {DispNavigateComplete2, c},
                       {DispDocumentComplete, b},  {DispDocumentComplete, c},
                       {DispDocumentComplete, top}}));
  for (size_t i = 0; i + 1 < busy.size(); ++i)
    EXPECT_TRUE(busy[i].second) << "event " << i << " (" << busy[i].first << ")";
  EXPECT_FALSE(busy.back().second) << "the top's DocumentComplete comes when it is done";
  VARIANT_BOOL now = VARIANT_TRUE;
  H().Top()->get_Busy(&now);
  EXPECT_EQ(now, VARIANT_FALSE);

  // A frame navigating alone makes the top busy too.
  busy.clear();
  H().NavigateFrame(browsers[1], L"http://c.example/");
  ASSERT_FALSE(busy.empty());
  EXPECT_TRUE(busy.front().second);
  EXPECT_EQ(busy.back(), std::make_pair(DISPID(DispDocumentComplete), false));
  sink->OnEvent = nullptr;  // the close's OnQuit comes after this body
}

// ---- navigation from inside an event handler

TEST_F(BrowserWindow, NavigationFromAHandlerSupersedesTheRunningOneWithoutStaleEvents) {
  Page(L"http://a.example/",
       "<iframe src='http://b.example/'></iframe><iframe src='http://c.example/'></iframe>");
  Page(L"http://b.example/", "<iframe src='http://e.example/'></iframe>");
  Page(L"http://c.example/", "<p>c</p>");
  Page(L"http://e.example/", "<p>e</p>");
  Page(L"http://d.example/", "<p>d</p>");
  for (DISPID trigger : {DispBeforeNavigate2, DispNavigateComplete2, DispDocumentComplete}) {
    SCOPED_TRACE(trigger);
    H().Navigate(L"about:blank");
    auto sink = Make<Sink>();
    DWORD cookie = Advise(H(), sink.Get());
    bool done = false;
    ComPtr<Browser> oldFrame;
    sink->OnEvent = [&](const Seen& e) {
      if (done || e.Id != trigger || e.Text != L"http://b.example/") return;
      done = true;
      for (Browser* br : H().Browsers())
        if (br->LocationUrl() == L"http://c.example/") oldFrame = br;
      H().Navigate(L"http://d.example/");  // at once, inside the handler
    };
    H().Navigate(L"http://a.example/");
    ASSERT_TRUE(done);
    auto browsers = H().Browsers();
    ASSERT_EQ(browsers.size(), 1u) << "the old frames are gone";
    EXPECT_EQ(browsers[0]->LocationUrl(), L"http://d.example/");
    // Nothing of the old page after the new one is complete.
    ASSERT_FALSE(sink->Events.empty());
    EXPECT_EQ(sink->Events.back().Id, DispDocumentComplete);
    EXPECT_EQ(sink->Events.back().Text, L"http://d.example/");
    size_t completes = 0;
    for (const auto& e : sink->Events)
      if (e.Id == DispDocumentComplete && e.Who == Identity(H().Top())) ++completes;
    EXPECT_EQ(completes, 1u) << "one DocumentComplete for the top: the new page's";
    if (oldFrame) {
      ASSERT_NE(oldFrame->DocumentWindow(), nullptr);
      EXPECT_TRUE(oldFrame->DocumentWindow()->Closed);
      VARIANT_BOOL b = VARIANT_TRUE;
      oldFrame->get_Busy(&b);
      EXPECT_EQ(b, VARIANT_FALSE);
    }
    VARIANT_BOOL b = VARIANT_TRUE;
    H().Top()->get_Busy(&b);
    EXPECT_EQ(b, VARIANT_FALSE);
    ComPtr<IConnectionPoint> cp;
    H().Top()->Events()->Unadvise(cookie);
  }
}

// ---- what a document is

TEST(LooksLikeMarkup, MarkupIsHtmlWhateverTheName) {
  for (const char* yes : {"<html>", "<!DOCTYPE html>", "  \r\n\t<p>x", "\xEF\xBB\xBF<b>",
                          "<!-- c -->", "</p>", "<?xml version='1.0'?>", "<P>"})
    EXPECT_TRUE(LooksLikeMarkup(yes)) << yes;
  for (const char* no : {"", "<", "< p>", "%PDF-1.4", "plain text with <b>tags</b>", "<1>",
                         "\xEF\xBB\xBF", "  "})
    EXPECT_FALSE(LooksLikeMarkup(no)) << no;
}

TEST_F(BrowserWindow, DocumentsAreToldApartByTheirContent) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  WideString folder = WideString(temp) + L"vgt_sniff_" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(folder.c_str(), nullptr);
  auto write = [&](const wchar_t* name, const char* text) {
    HANDLE f = CreateFileW((folder + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_ALWAYS, 0, nullptr);
    DWORD n = 0;
    WriteFile(f, text, static_cast<DWORD>(strlen(text)), &n, nullptr);
    CloseHandle(f);
  };
  write(L"page.php", "<html><body><script></script></body></html>");
  write(L"readme", "<p>no extension, still markup</p>");
  write(L"notes.html", "Just words, no markup, whatever the name says.");
  H().Sites().MapFolder(L"http://files.example/", folder);
  struct Case {
    const wchar_t* Url;
    bool Html;
  } cases[] = {{L"http://files.example/page.php", true},
               {L"http://files.example/readme", true},
               {L"http://files.example/notes.html", false}};
  for (const auto& c : cases) {
    H().Navigate(c.Url);
    EXPECT_EQ(H().Top()->Html() != nullptr, c.Html) << ::testing::PrintToString(c.Url);
    ComPtr<IDispatch> shown;
    ASSERT_EQ(H().Top()->get_Document(&shown), S_OK);
    EXPECT_NE(shown, nullptr);
  }
  for (const wchar_t* name : {L"page.php", L"readme", L"notes.html"})
    DeleteFileW((folder + L"\\" + name).c_str());
  RemoveDirectoryW(folder.c_str());
}

TEST_F(BrowserWindow, LocationIsTheCanonicalAddress) {
  Page(L"http://a.example/", "<p>a</p>");
  auto sink = Make<Sink>();
  Advise(H(), sink.Get());
  H().Navigate(L"HTTP://A.Example");
  EXPECT_EQ(H().Top()->LocationUrl(), L"http://a.example/");
  ASSERT_NE(H().Top()->Html(), nullptr);
  EXPECT_EQ(H().Top()->Html()->Url(), L"http://a.example/");
  ASSERT_FALSE(sink->Events.empty());
  EXPECT_EQ(sink->Events.front().Text, L"http://a.example/");
  EXPECT_EQ(CanonicalUrl(L"http://A.Example:8080?q=1"), L"http://a.example:8080/?q=1");
  EXPECT_EQ(CanonicalUrl(L"HTTPS://Sec.Example/Path/Kept"), L"https://sec.example/Path/Kept");
  EXPECT_EQ(CanonicalUrl(L"about:blank"), L"about:blank");
  EXPECT_EQ(CanonicalUrl(L"notaurl"), L"notaurl");
}

// ---- the close sequence

TEST_F(BrowserWindow, ClosingTellsTheSinksThenTakesTheSitesAndFreesTheExtension) {
  FakeServer server;
  ASSERT_TRUE(server.Loaded());
  Page(L"http://a.example/", "<iframe src='http://b.example/'></iframe>");
  Page(L"http://b.example/", "<p>b</p>");
  ASSERT_EQ(H().AddObserver(CLSID_FakeObserver, FakeDll()), S_OK);
  ASSERT_EQ(H().AddButton(CLSID_FakeButton, FakeDll()), S_OK);
  H().Navigate(L"http://a.example/");
  H().PressButton();
  EXPECT_EQ(H().Top()->Events()->SinkCount(), 1u);
  HWND window = H().WindowHandle();
  H().PostClose();
  H().PumpUntil([&] { return H().Closed(); });
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  EXPECT_TRUE(H().Closed());
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(H().WindowHandle(), nullptr);
  SHANDLE_PTR wnd = 1;
  EXPECT_EQ(H().Top()->get_HWND(&wnd), E_FAIL) << "no dead handle after the window is gone";
  EXPECT_EQ(H().Top()->Events()->SinkCount(), 0u);
  EXPECT_EQ(server.Lines(),
            (std::vector<std::wstring>{L"observer SetSite", L"button SetSite", L"button Exec",
                                       std::wstring(L"observer PropertyChange ") + FakeSignal,
                                       L"observer OnQuit", L"observer Unadvise",
                                       L"observer SetSite NULL", L"button SetSite NULL",
                                       L"observer freed"}));
  EXPECT_EQ(server.LiveObjects(), 0);
  // Nothing posted runs after the close.
  H().PostNavigate(L"http://b.example/");
  EXPECT_EQ(H().PendingWork(), 0u);
}

TEST_F(BrowserWindow, ObserverThatNeverUnadvisesIsLetGoAllTheSame) {
  FakeServer server;
  Page(L"http://a.example/", "<iframe src='http://b.example/'></iframe>");
  Page(L"http://b.example/", "<p>b</p>");
  ASSERT_EQ(H().AddObserver(CLSID_FakeStubbornObserver, FakeDll()), S_OK);
  H().Navigate(L"http://a.example/");  // it holds both browsers now
  DestroyHost();                       // closes; TearDown counts the host's objects
  auto lines = server.Lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), L"observer freed");
  EXPECT_EQ(server.LiveObjects(), 0);
}

TEST_F(BrowserWindow, DestroyingTheWindowClosesTheBrowser) {
  auto sink = Make<Sink>();
  Advise(H(), sink.Get());
  HWND window = H().WindowHandle();
  SendMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(H().Closed());
  EXPECT_EQ(sink->Ids(), std::vector<DISPID>{DispOnQuit});
  EXPECT_EQ(H().Top()->Events()->SinkCount(), 0u) << "unadvised by the host";
}

// ---- loading the extension's objects

TEST_F(BrowserWindow, ObjectsComeFromARegisteredClassOrFromALibraryByPath) {
  FakeServer server;
  ASSERT_TRUE(server.Loaded());
  // Registered in this process, the way a registration in the prefix makes CoCreateInstance
  // find it.
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  auto get = server.Export<GetClassObject>("DllGetClassObject");
  ComPtr<IUnknown> factory;
  ASSERT_EQ(get(CLSID_FakeObserver, IID_PPV_ARGS(&factory)), S_OK);
  DWORD registration = 0;
  ASSERT_EQ(CoRegisterClassObject(CLSID_FakeObserver, factory.Get(), CLSCTX_INPROC_SERVER,
                                  REGCLS_MULTIPLEUSE, &registration),
            S_OK);
  EXPECT_EQ(H().AddObserver(CLSID_FakeObserver), S_OK);
  CoRevokeClassObject(registration);
  factory.Reset();
  EXPECT_EQ(server.Lines(), std::vector<std::wstring>{L"observer SetSite"});

  EXPECT_EQ(H().AddObserver(CLSID_FakeButton), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(H().AddButton(CLSID_FakeObserver, FakeDll()), E_NOINTERFACE) << "no command target";
  EXPECT_EQ(H().AddObserver(CLSID_NULL, FakeDll()), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(H().AddObserver(CLSID_FakeObserver, ProgramFolder() + L"\\NoSuch.dll"),
            HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(H().AddObserver(CLSID_FakeObserver, L"kernel32.dll"),
            HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND));
  EXPECT_EQ(H().Button(), nullptr);
}

}  // namespace
