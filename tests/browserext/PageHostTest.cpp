// The page host must behave like the browser where the extension relies on it: events in the
// browser's order with its argument layout, the property signal reaching every observer, the
// button's way to the top-level browser, frames loaded into browsers of their own, style-sheet
// imports followed, and failures only where a test asks for them.
#include "tests/browserext/PageHostFixture.h"

#include <shlguid.h>

#include <algorithm>

#include "tests/browserext/EventArguments.h"

using namespace pagehost;

namespace {

struct Event {
  DISPID Id = 0;
  std::vector<VARTYPE> Types;  // rgvarg order: last argument first
  IUnknown* Who = nullptr;     // the first declared argument, when it is an object
  WideString Text;             // the URL, or PropertyChange's name
  UINT Named = 0;
};

class Recorder final : public ComObject<IDispatch> {
 public:
  std::vector<Event> Events;
  std::function<void(DISPID)> OnEvent;

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT*,
                                   EXCEPINFO*, UINT*) override {
    Event e;
    e.Id = id;
    e.Named = p->cNamedArgs;
    for (UINT i = 0; i < p->cArgs; ++i) e.Types.push_back(p->rgvarg[i].vt);
    EventSubject subject = ReadEventSubject(*p);
    e.Who = subject.Who;
    e.Text = std::move(subject.Text);
    Events.push_back(e);
    if (OnEvent) OnEvent(id);
    return S_OK;
  }

 protected:
  void* Cast(REFIID riid) override {
    return riid == IID_IUnknown || riid == IID_IDispatch ? static_cast<IDispatch*>(this) : nullptr;
  }
};

DWORD AdviseOn(Browser* top, IUnknown* sink) {
  ComPtr<IConnectionPointContainer> cpc;
  EXPECT_EQ(top->QueryInterface(IID_PPV_ARGS(&cpc)), S_OK);
  ComPtr<IConnectionPoint> cp;
  EXPECT_EQ(cpc->FindConnectionPoint(DIID_DWebBrowserEvents2, &cp), S_OK);
  DWORD cookie = 0;
  EXPECT_EQ(cp->Advise(sink, &cookie), S_OK);
  return cookie;
}

IUnknown* Identity(IUnknown* p) {
  ComPtr<IUnknown> u;
  p->QueryInterface(IID_PPV_ARGS(&u));
  return u.Get();
}

TEST_F(PageHostFixture, NavigationFiresEventsInTheBrowsersOrder) {
  auto rec = Make<Recorder>();
  AdviseOn(HostOf().Top(), rec.Get());
  HostOf().Sites().AddPage(L"http://a.example/", "<iframe src='http://b.example/'></iframe>");
  HostOf().Sites().AddPage(L"http://b.example/", "<p>b</p>");
  HostOf().Navigate(L"http://a.example/");

  auto browsers = HostOf().Browsers();
  ASSERT_EQ(browsers.size(), 2u);
  IUnknown* top = Identity(static_cast<IWebBrowser2*>(browsers[0]));
  IUnknown* frame = Identity(static_cast<IWebBrowser2*>(browsers[1]));
  std::vector<std::pair<DISPID, IUnknown*>> seen;
  for (auto& e : rec->Events) seen.emplace_back(e.Id, e.Who ? Identity(e.Who) : nullptr);
  std::vector<std::pair<DISPID, IUnknown*>> expected{
      {DispBeforeNavigate2, top},    {DispNavigateComplete2, top}, {DispBeforeNavigate2, frame},
      {DispNavigateComplete2, frame}, {DispDocumentComplete, frame}, {DispDocumentComplete, top}};
  EXPECT_EQ(seen, expected);

  // Positional arguments, last first, no names: BeforeNavigate2's Cancel comes first in rgvarg
  // and the browser last.
  const Event& before = rec->Events[0];
  EXPECT_EQ(before.Named, 0u);
  ASSERT_EQ(before.Types.size(), 7u);
  EXPECT_EQ(before.Types.front(), VT_BOOL | VT_BYREF);
  EXPECT_EQ(before.Types.back(), VT_DISPATCH);
  EXPECT_EQ(before.Text, L"http://a.example/");
  EXPECT_EQ(rec->Events[1].Types.size(), 2u);
}

TEST_F(PageHostFixture, MissingPageFiresNavigateErrorAndShowsAnEmptyDocument) {
  auto rec = Make<Recorder>();
  AdviseOn(HostOf().Top(), rec.Get());
  HostOf().Navigate(L"http://nowhere.example/");
  ASSERT_EQ(rec->Events.size(), 4u);
  EXPECT_EQ(rec->Events[1].Id, DispNavigateError);
  EXPECT_EQ(rec->Events[1].Types.size(), 5u);
  ASSERT_NE(HostOf().Top()->Html(), nullptr);
  EXPECT_TRUE(HostOf().Top()->Html()->Elements().empty());
}

TEST_F(PageHostFixture, PutPropertyReachesEverySinkAndSinksMayLeaveDuringAnEvent) {
  auto first = Make<Recorder>(), second = Make<Recorder>();
  DWORD cookie = AdviseOn(HostOf().Top(), first.Get());
  AdviseOn(HostOf().Top(), second.Get());
  ComPtr<IConnectionPoint> cp;
  {
    ComPtr<IConnectionPointContainer> cpc;
    HostOf().Top()->QueryInterface(IID_PPV_ARGS(&cpc));
    cpc->FindConnectionPoint(DIID_DWebBrowserEvents2, &cp);
  }
  first->OnEvent = [&](DISPID) { cp->Unadvise(cookie); };

  VARIANT one;
  VariantInit(&one);
  one.vt = VT_I4;
  one.lVal = 1;
  BSTR name = SysAllocString(L"{ABC}");
  EXPECT_EQ(HostOf().Top()->PutProperty(name, one), S_OK);
  EXPECT_EQ(HostOf().Top()->PutProperty(name, one), S_OK);
  SysFreeString(name);

  ASSERT_EQ(first->Events.size(), 1u);  // left during the first signal
  ASSERT_EQ(second->Events.size(), 2u);
  EXPECT_EQ(second->Events[0].Id, DispPropertyChange);
  EXPECT_EQ(second->Events[0].Text, L"{ABC}");
  EXPECT_EQ(second->Events[0].Types, std::vector<VARTYPE>{VT_BSTR});
  EXPECT_EQ(cp->Unadvise(cookie), CONNECT_E_NOCONNECTION);
}

TEST_F(PageHostFixture, ButtonSiteLeadsToTheTopLevelBrowser) {
  auto site = HostOf().MakeButtonSite();
  ComPtr<IShellBrowser> shell;
  ASSERT_EQ(site->QueryInterface(IID_PPV_ARGS(&shell)), S_OK);
  ComPtr<IServiceProvider> sp, topSp;
  ASSERT_EQ(shell->QueryInterface(IID_PPV_ARGS(&sp)), S_OK);
  ASSERT_EQ(sp->QueryService(SID_STopLevelBrowser, IID_PPV_ARGS(&topSp)), S_OK);
  ComPtr<IWebBrowser2> wb;
  ASSERT_EQ(topSp->QueryService(SID_SWebBrowserApp, IID_PPV_ARGS(&wb)), S_OK);
  EXPECT_EQ(Identity(wb.Get()), Identity(static_cast<IWebBrowser2*>(HostOf().Top())));
  SHANDLE_PTR wnd = 0;
  EXPECT_EQ(wb->get_HWND(&wnd), S_OK);
  EXPECT_TRUE(IsWindow(reinterpret_cast<HWND>(wnd)));

  // Failures on request.
  site->FailTopLevelService = true;
  topSp.Reset();
  EXPECT_EQ(sp->QueryService(SID_STopLevelBrowser, IID_PPV_ARGS(&topSp)), E_FAIL);
  site->RefuseShellBrowser = true;
  shell.Reset();
  EXPECT_EQ(site->QueryInterface(IID_PPV_ARGS(&shell)), E_NOINTERFACE);
  HostOf().Top()->FailWebBrowserService = true;
  wb.Reset();
  EXPECT_EQ(HostOf().Top()->QueryService(SID_SWebBrowserApp, IID_PPV_ARGS(&wb)), E_FAIL);
}

TEST_F(PageHostFixture, NewsPageLoadsItsFramesAndFollowsImports) {
  LoadSamples();
  HostOf().Navigate(L"http://www.dailyherald.example/");
  std::vector<WideString> locations;
  for (Browser* b : HostOf().Browsers()) locations.push_back(b->LocationUrl());
  std::vector<WideString> expected{
      L"http://www.dailyherald.example/", L"http://ads.adnet.example/banner.html",
      L"http://pixel.trackers.co.zz/count.html",
      L"http://static.dailyherald.example/local/weather.html",  // relative to the BASE address
      L"http://widgets.social.example/like.html", L"https://secure.dailyherald.example/login.html",
      L"http://files.docstore.example/annual-report.pdf"};
  EXPECT_EQ(locations, expected);

  Document* doc = HostOf().Top()->Html();
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->Cookie, L"edition=wednesday; visitor=4711");
  ASSERT_EQ(doc->StyleSheets()->Count(), 2u);  // LINK, then STYLE
  StyleSheet* site = doc->StyleSheets()->Sheet(0);
  EXPECT_EQ(site->Url(), L"http://static.dailyherald.example/css/site.css");
  StyleSheet* layout = site->Imports()->Sheet(0);
  StyleSheet* fonts = layout->Imports()->Sheet(0);
  EXPECT_EQ(fonts->Url(), L"http://static.dailyherald.example/css/fonts.css");
  EXPECT_NE(fonts->CssText().find(L"@font-face"), WideString::npos);

  // The PDF frame shows something that is not an HTML document.
  Browser* pdf = HostOf().Browsers().back();
  ComPtr<IDispatch> shown;
  ASSERT_EQ(pdf->get_Document(&shown), S_OK);
  ASSERT_NE(shown, nullptr);
  ComPtr<IHTMLDocument2> html;
  EXPECT_EQ(shown.As(&html), E_NOINTERFACE);
}

// What the host prints of a page's sheets follows each sheet once: a sheet importing itself ten
// times prints in eleven lines, not in ten to the twelfth.
TEST_F(PageHostFixture, PrintedSheetsFollowEachSheetOnce) {
  AnsiString loop;
  for (int i = 0; i < 10; ++i) loop += "@import 'loop.css';";
  HostOf().Sites().AddPage(L"http://a.example/loop.css", loop, ResourceKind::StyleSheet);
  HostOf().Sites().AddPage(L"http://a.example/",
                           "<link rel='stylesheet' href='loop.css'><style>@import 'loop.css#b';</style>"
                           "<style>p {}</style>");
  HostOf().Navigate(L"http://a.example/");
  WideString expected = L"  sheet http://a.example/loop.css (190 characters)\n";
  for (int i = 0; i < 10; ++i) expected += L"    sheet http://a.example/loop.css (again)\n";
  expected += L"  sheet http://a.example/ (21 characters)\n"
              L"    sheet http://a.example/loop.css#b (again)\n"
              L"  sheet http://a.example/ (4 characters)\n";
  EXPECT_EQ(DescribeStyleSheets(HostOf().Top()->Html()->StyleSheets(), L"  "), expected);
}

TEST_F(PageHostFixture, ElementsAnswerThroughTheirTagsInterfaces) {
  HostOf().Sites().AddPage(L"http://a.example/",
                           "<base href='http://b.example/'><script></script><applet></applet>"
                           "<frameset><frame src='f.html'></frameset>");
  HostOf().Navigate(L"http://a.example/");
  ComPtr<IHTMLElementCollection> all;
  ASSERT_EQ(HostOf().Top()->Html()->get_all(&all), S_OK);
  LONG n = 0;
  ASSERT_EQ(all->get_length(&n), S_OK);
  std::vector<WideString> tags;
  for (LONG i = 0; i < n; ++i) {
    ComPtr<IDispatch> d;
    ASSERT_EQ(all->item(IntVariant(i), IntVariant(0), &d), S_OK);
    ComPtr<IHTMLElement> e;
    ASSERT_EQ(d.As(&e), S_OK);
    tags.push_back(BstrOf([&](BSTR* b) { return e->get_tagName(b); }));
    ComPtr<IHTMLBaseElement> base;
    ComPtr<IHTMLFrameBase> frame;
    ComPtr<IHTMLScriptElement> script;
    EXPECT_EQ(d.As(&base) == S_OK, tags.back() == L"BASE");
    EXPECT_EQ(d.As(&frame) == S_OK, tags.back() == L"FRAME");
    EXPECT_EQ(d.As(&script) == S_OK, tags.back() == L"SCRIPT");
    if (frame) {
      EXPECT_EQ(BstrOf([&](BSTR* b) { return frame->get_src(b); }), L"f.html");
    }
    if (base) {
      EXPECT_EQ(BstrOf([&](BSTR* b) { return base->get_href(b); }), L"http://b.example/");
    }
  }
  EXPECT_NE(std::find(tags.begin(), tags.end(), L"APPLET"), tags.end());
  // Other methods are not part of the host.
  BSTR s = nullptr;
  ComPtr<IHTMLElement> first;
  ComPtr<IDispatch> d;
  all->item(IntVariant(0), IntVariant(0), &d);
  d.As(&first);
  EXPECT_EQ(first->get_innerHTML(&s), E_NOTIMPL);
}

TEST_F(PageHostFixture, CollectionGrowsWhileItIsRead) {
  HostOf().Sites().AddPage(L"http://a.example/", "<p>x</p>");
  HostOf().Navigate(L"http://a.example/");
  ElementCollection* all = HostOf().Top()->Html()->All();
  LONG before = 0, after = 0;
  all->get_length(&before);
  all->GrowAt = 1;
  all->GrowWith = {HtmlElementData{L"script", {}, {}}};
  ComPtr<IDispatch> d;
  all->item(IntVariant(1), IntVariant(0), &d);
  all->get_length(&after);
  EXPECT_EQ(after, before + 1);
}

}  // namespace

namespace {

TEST_F(PageHostFixture, DeeplyNestedPageIsReadWhole) {
  // The parser nests everything after an EMBED it does not know as empty.
  AnsiString html;
  for (int i = 0; i < 600; ++i) html += "<embed src='m.swf'>";
  html += "<script></script>";
  HostOf().Sites().AddPage(L"http://a.example/", html);
  HostOf().Navigate(L"http://a.example/");
  Document* doc = HostOf().Top()->Html();
  EXPECT_EQ(doc->ElementsByTag(L"EMBED").size(), 600u);
  EXPECT_EQ(doc->ElementsByTag(L"SCRIPT").size(), 1u);
}

}  // namespace

namespace {

TEST_F(PageHostFixture, BrowsersReportBusyDocumentAndWindowStateOnRequest) {
  HostOf().Sites().AddPage(L"http://a.example/", "<p>a</p>");
  HostOf().Navigate(L"http://a.example/");
  Browser* top = HostOf().Top();
  VARIANT_BOOL busy = VARIANT_TRUE;
  EXPECT_EQ(top->get_Busy(&busy), S_OK);
  EXPECT_EQ(busy, VARIANT_FALSE);
  top->Busy = true;
  EXPECT_EQ(top->get_Busy(&busy), S_OK);
  EXPECT_EQ(busy, VARIANT_TRUE);
  top->FailBusy = true;
  EXPECT_EQ(top->get_Busy(&busy), E_FAIL);

  ComPtr<IDispatch> disp;
  ComPtr<IHTMLDocument2> doc;
  ASSERT_EQ(top->get_Document(&disp), S_OK);
  ASSERT_EQ(disp.As(&doc), S_OK);
  ComPtr<IHTMLWindow2> window;
  ASSERT_EQ(doc->get_parentWindow(&window), S_OK);
  VARIANT_BOOL closed = VARIANT_TRUE;
  EXPECT_EQ(window->get_closed(&closed), S_OK);
  EXPECT_EQ(closed, VARIANT_FALSE);
  top->DocumentWindow()->Closed = true;
  EXPECT_EQ(window->get_closed(&closed), S_OK);
  EXPECT_EQ(closed, VARIANT_TRUE);

  top->NoDocument = true;
  disp.Reset();
  EXPECT_EQ(top->get_Document(&disp), S_OK);
  EXPECT_EQ(disp, nullptr);
  top->FailDocument = true;
  EXPECT_EQ(top->get_Document(&disp), E_FAIL);
  top->FailLocationUrl = true;
  BSTR url = nullptr;
  EXPECT_EQ(top->get_LocationURL(&url), E_FAIL);
}

TEST_F(PageHostFixture, FramesLeftBehindByANavigationReportTheirWindowClosed) {
  HostOf().Sites().AddPage(L"http://a.example/", "<iframe src='http://b.example/'></iframe>");
  HostOf().Sites().AddPage(L"http://b.example/", "<iframe src='http://c.example/'></iframe>");
  HostOf().Sites().AddPage(L"http://d.example/", "<p>d</p>");
  HostOf().Navigate(L"http://a.example/");
  ASSERT_EQ(HostOf().Browsers().size(), 3u);
  ComPtr<Browser> inner(HostOf().Browsers()[2]);  // held on, as an observer's list does
  HostOf().Navigate(L"http://d.example/");
  EXPECT_EQ(HostOf().Browsers().size(), 1u);

  ComPtr<IDispatch> disp;
  ComPtr<IHTMLDocument2> doc;
  ComPtr<IHTMLWindow2> window;
  ASSERT_EQ(inner->get_Document(&disp), S_OK);
  ASSERT_EQ(disp.As(&doc), S_OK);
  ASSERT_EQ(doc->get_parentWindow(&window), S_OK);
  VARIANT_BOOL closed = VARIANT_FALSE;
  EXPECT_EQ(window->get_closed(&closed), S_OK);
  EXPECT_EQ(closed, VARIANT_TRUE);
  EXPECT_EQ(inner->Parent(), nullptr);  // its parent browser is gone
  EXPECT_EQ(BstrOf([&](BSTR* b) { return inner->get_LocationURL(b); }), L"http://c.example/");
  SHANDLE_PTR wnd = 0;
  EXPECT_EQ(inner->get_HWND(&wnd), E_FAIL);
}

// Pages that frame themselves or each other end as in a browser: a page shown around a frame is
// not shown in it again, and a window holds a bounded number of frames.
TEST_F(PageHostFixture, FramingPagesEndAsInABrowser) {
  auto locations = [&] {
    std::vector<WideString> out;
    for (Browser* b : HostOf().Browsers()) out.push_back(b->LocationUrl());
    return out;
  };
  // itself, four times over, written four ways
  HostOf().Sites().AddPage(L"http://a.example/",
                           "<iframe src='http://a.example/'></iframe><iframe src='/'></iframe>"
                           "<iframe src='#below'></iframe><frameset><frame src='HTTP://A.Example'>"
                           "</frameset>");
  HostOf().Navigate(L"http://a.example/");
  EXPECT_EQ(locations(), std::vector<WideString>{L"http://a.example/"});
  EXPECT_EQ(HostOf().FrameCount(), 0);

  // each other: b's frame of c is shown, its frame of b is not
  HostOf().Sites().AddPage(L"http://b.example/",
                           "<iframe src='http://c.example/'></iframe><iframe src='http://c.example/'></iframe>");
  HostOf().Sites().AddPage(L"http://c.example/",
                           "<iframe src='http://b.example/'></iframe><iframe src='http://d.example/'></iframe>");
  HostOf().Sites().AddPage(L"http://d.example/", "<p>d</p>");
  HostOf().Navigate(L"http://b.example/");
  EXPECT_EQ(locations(), (std::vector<WideString>{L"http://b.example/", L"http://c.example/",
                                                  L"http://d.example/", L"http://c.example/",
                                                  L"http://d.example/"}));
  EXPECT_EQ(HostOf().FrameCount(), 4);

  // One page under eight addresses, each framing all eight: no address repeats around a frame,
  // yet the paths down to the depth limit number over a hundred thousand. The window stops at
  // its limit, and every browser it made has finished loading.
  AnsiString html;
  for (int i = 1; i <= 8; ++i) html += "<iframe src='?" + std::to_string(i) + "'></iframe>";
  HostOf().Sites().AddPage(L"http://e.example/", html);
  for (int i = 1; i <= 8; ++i)
    HostOf().Sites().AddPage(L"http://e.example/?" + std::to_wstring(i), html);
  HostOf().Navigate(L"http://e.example/");
  EXPECT_EQ(HostOf().FrameCount(), Host::MaxFramesPerWindow);
  EXPECT_EQ(HostOf().Browsers().size(), 1u + Host::MaxFramesPerWindow);
  EXPECT_FALSE(HostOf().Top()->LoadingHereOrBelow());
  EXPECT_EQ(HostOf().PendingWork(), 0u);

  // What leaves the window leaves the count.
  HostOf().Navigate(L"http://d.example/");
  EXPECT_EQ(HostOf().FrameCount(), 0);
}

TEST_F(PageHostFixture, QuitFiresOnQuitWithoutArguments) {
  auto rec = Make<Recorder>();
  AdviseOn(HostOf().Top(), rec.Get());
  HostOf().Quit();
  ASSERT_EQ(rec->Events.size(), 1u);
  EXPECT_EQ(rec->Events[0].Id, DispOnQuit);
  EXPECT_TRUE(rec->Events[0].Types.empty());
}

}  // namespace
