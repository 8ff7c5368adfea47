// The browser observer: attaching to the browser and letting go on OnQuit, the list of the
// window's browsers through navigations and frames, the signal reaching every observer, and
// events of every shape a caller could hand Invoke.
#include "tests/browserext/VeilgateFixture.h"

namespace {

using DialogRow = FakeZoneDialog::Row;

using pagehost::Browser;

class Observer : public VeilgateFixture {
 protected:
  // a.example with two frames; b.example has a frame of its own.
  void FramedPages() {
    Page(L"http://a.example/", "<iframe src='http://b.example/'></iframe><iframe src='http://c.example/'></iframe>");
    Page(L"http://b.example/", "<iframe src='http://g.example/'></iframe>");
    Page(L"http://c.example/", "<p>c</p>");
    Page(L"http://d.example/", "<p>d</p>");
    Page(L"http://e.example/", "<iframe src='http://f.example/'></iframe>");
    Page(L"http://f.example/", "<p>f</p>");
    Page(L"http://g.example/", "<p>g</p>");
  }
  Browser* FrameAt(const WideString& location) {
    for (Browser* b : HostOf().Browsers())
      if (b->LocationUrl() == location) return b;
    return nullptr;
  }
  HRESULT Fire(TvgtBrowserObserver* o, DISPID id, DISPPARAMS* params) {
    return o->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, params, nullptr, nullptr,
                     nullptr);
  }
};

TEST_F(Observer, SiteAttachesTheSinkAndOnQuitDetachesIt) {
  TvgtBrowserObserver* o = AddObserver();
  EXPECT_EQ(HostOf().Top()->Events()->SinkCount(), 1u);
  ComPtr<IWebBrowser2> site;
  EXPECT_EQ(o->GetSite(IID_PPV_ARGS(&site)), S_OK);
  EXPECT_TRUE(SameComObject(site.Get(), static_cast<IWebBrowser2*>(HostOf().Top())));
  site.Reset();
  ComPtr<IDispatch> sink;
  EXPECT_EQ(o->QueryInterface(DIID_DWebBrowserEvents2, reinterpret_cast<void**>(sink.GetAddressOf())), S_OK);
  sink.Reset();

  HostOf().Quit();
  EXPECT_EQ(HostOf().Top()->Events()->SinkCount(), 0u);
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(o->GetSite(IID_IUnknown, &out), E_FAIL);
  EXPECT_EQ(out, nullptr);
}

TEST_F(Observer, SiteWithoutEventsIsRefusedButKeptAndNilOnlyForgets) {
  ComPtr<IUnknown> object = NewObject(CLSID_vgtBrowserObserver);
  TvgtBrowserObserver* o = ObserverOf(object.Get());
  IUnknown* top = static_cast<IWebBrowser2*>(HostOf().Top());
  HostOf().Top()->RefuseEvents = true;
  EXPECT_EQ(o->SetSite(top), E_FAIL);
  ComPtr<IUnknown> site;
  EXPECT_EQ(o->GetSite(IID_PPV_ARGS(&site)), S_OK) << "the site stays stored";
  site.Reset();
  HostOf().Top()->RefuseEvents = false;
  HostOf().Top()->FailFindConnectionPoint = true;
  EXPECT_EQ(o->SetSite(top), E_FAIL);
  HostOf().Top()->FailFindConnectionPoint = false;
  EXPECT_EQ(o->SetSite(top), S_OK);
  EXPECT_EQ(HostOf().Top()->Events()->SinkCount(), 1u);
  EXPECT_EQ(o->SetSite(nullptr), S_OK);
  EXPECT_EQ(HostOf().Top()->Events()->SinkCount(), 1u) << "no Unadvise on SetSite(nil)";
  HostOf().Top()->Events()->UnadviseAll();

  UINT count = 7;
  EXPECT_EQ(o->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 0u);
  ITypeInfo* info = reinterpret_cast<ITypeInfo*>(1);
  EXPECT_EQ(o->GetTypeInfo(0, 0, &info), E_NOTIMPL);
  EXPECT_EQ(info, nullptr);
  EXPECT_EQ(o->GetIDsOfNames(IID_NULL, nullptr, 0, 0, nullptr), E_NOTIMPL);
}

TEST_F(Observer, ListFollowsNavigationsFramesAndOnQuit) {
  FramedPages();
  TvgtBrowserObserver* o = AddObserver();
  HostOf().Navigate(L"http://a.example/");
  // In the order first seen: the frames load side by side, g once b has its document.
  EXPECT_EQ(HeldLocations(o), (std::vector<WideString>{L"http://a.example/", L"http://b.example/",
                                                        L"http://c.example/", L"http://g.example/"}));

  // A frame navigates: the others stay; the frame's own frame goes once it reports closed.
  HostOf().NavigateFrame(FrameAt(L"http://b.example/"), L"http://d.example/");
  EXPECT_EQ(HeldLocations(o), (std::vector<WideString>{L"http://a.example/", L"http://d.example/",
                                                        L"http://c.example/"}));

  // The same frame reported again adds nothing.
  HostOf().FireFor(pagehost::DispNavigateComplete2, FrameAt(L"http://c.example/"), L"http://c.example/");
  EXPECT_EQ(o->HolderCount(), 3);

  // The top browser navigates: the list shrinks to it, then gains the new page's frame.
  HostOf().Navigate(L"http://e.example/");
  EXPECT_EQ(HeldLocations(o), (std::vector<WideString>{L"http://e.example/", L"http://f.example/"}));

  // A browser that cannot tell its location is never held.
  Browser* f = FrameAt(L"http://f.example/");
  f->FailLocationUrl = true;
  HostOf().FireFor(pagehost::DispNavigateError, f, L"http://f.example/");
  EXPECT_EQ(o->HolderCount(), 2) << "f is held already";
  o->ResetToTop();
  HostOf().FireFor(pagehost::DispNavigateComplete2, f, L"http://f.example/");
  EXPECT_EQ(o->HolderCount(), 1);
  f->FailLocationUrl = false;

  // An event without arguments names no browser.
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXPECT_EQ(o->RegisterBrowser(none), nullptr);

  // OnQuit lets go of the site; the list stays until the observer goes.
  HostOf().Quit();
  EXPECT_EQ(o->Site(), nullptr);
  EXPECT_EQ(o->HolderCount(), 1);
}

TEST_F(Observer, PruneDropsBrowsersNeitherBusyNorShowingAnOpenWindow) {
  FramedPages();
  Page(L"http://x.example/", "<iframe src='http://c.example/'></iframe><iframe src='http://d.example/'></iframe><iframe src='http://f.example/'></iframe>");
  TvgtBrowserObserver* o = AddObserver();
  HostOf().Navigate(L"http://x.example/");
  ASSERT_EQ(o->HolderCount(), 4);
  FrameAt(L"http://c.example/")->NoDocument = true;   // no window at all
  FrameAt(L"http://d.example/")->FailDocument = true;  // the question fails
  Browser* f = FrameAt(L"http://f.example/");
  f->NoDocument = true;
  f->Busy = true;  // busy counts as alive whatever it shows
  HostOf().FireFor(pagehost::DispDocumentComplete, HostOf().Top(), L"http://x.example/");
  EXPECT_EQ(HeldLocations(o), (std::vector<WideString>{L"http://x.example/", L"http://f.example/"}));
  f->FailBusy = true;
  o->PruneBrowsers();
  EXPECT_EQ(HeldLocations(o), (std::vector<WideString>{L"http://x.example/"}));
}

// A window or frame showing a PDF, an image or plain text (told apart by content, as the browser
// does) keeps its place in the list: its domain reaches the dialog marked as no HTML document,
// and nothing inside it is walked. Once its frame is gone, it goes too.
TEST_F(Observer, DocumentsThatAreNotHtmlStayListedAndReachTheDialogMarked) {
  constexpr unsigned long Frames = 0x01, InFrame = 0x02, NoHtml = 0x40;
  Page(L"http://files.example/report.pdf", "%PDF-1.4 <iframe src='http://hidden.example/'>");
  Page(L"http://notes.example/readme.html", "Plain words, <b>no</b> markup first.");
  Page(L"http://a.example/", "<iframe src='http://b.example/'></iframe>"
                             "<iframe src='http://notes.example/readme.html'></iframe>");
  Page(L"http://b.example/", "<iframe src='http://files.example/report.pdf'></iframe>");
  Page(L"http://d.example/", "<p>d</p>");
  TvgtBrowserObserver* o = AddObserver();

  HostOf().Navigate(L"http://files.example/report.pdf");
  EXPECT_EQ(o->HolderCount(), 1);
  Signal();
  ASSERT_EQ(Dialogs().Made.size(), 1u);
  EXPECT_EQ(Dialogs().Dialog(0).Added,
            (std::vector<DialogRow>{{L"files.example", L"http://files.example", 3, NoHtml}}));

  HostOf().Navigate(L"http://a.example/");
  EXPECT_EQ(HeldLocations(o), (std::vector<WideString>{L"http://a.example/", L"http://b.example/",
                                                        L"http://notes.example/readme.html",
                                                        L"http://files.example/report.pdf"}));
  Signal();
  ASSERT_EQ(Dialogs().Made.size(), 2u);
  EXPECT_EQ(Dialogs().Dialog(1).Added,
            (std::vector<DialogRow>{{L"a.example", L"http://a.example", 3, Frames},
                                    {L"b.example", L"http://b.example", 3, Frames | InFrame},
                                    {L"notes.example", L"http://notes.example", 3, InFrame | NoHtml},
                                    {L"files.example", L"http://files.example", 3, InFrame | NoHtml}}));

  // b's frame of the PDF goes with b's page.
  HostOf().NavigateFrame(FrameAt(L"http://b.example/"), L"http://d.example/");
  EXPECT_EQ(HeldLocations(o), (std::vector<WideString>{L"http://a.example/", L"http://d.example/",
                                                        L"http://notes.example/readme.html"}));
  EXPECT_TRUE(LogLines().empty());
}

TEST_F(Observer, SignalReachesEveryObserverOfTheWindowAndNothingElseOpensTheDialog) {
  Page(L"http://a.example/", "<script></script>");
  AddObserver();
  AddObserver();
  HostOf().Navigate(L"http://a.example/");
  Signal(L"{6948690a-32d2-45b6-8c70-7923654a5cd1}");  // the name in lower case
  Signal(L"StatusText");
  Signal(ZoneDialogSignalProperty() + WideString(1, L'\0') + L"x");
  EXPECT_TRUE(Dialogs().Made.empty());
  Signal();
  ASSERT_EQ(Dialogs().Made.size(), 2u);
  for (size_t i = 0; i < 2; ++i)
    EXPECT_EQ(Dialogs().Dialog(i).Added,
              (std::vector<DialogRow>{{L"a.example", L"http://a.example", 3, 0x04}}));
  EXPECT_EQ(LogLines(), std::vector<AnsiString>{});
}

// ---- hostile events

struct Shape {
  const char* Name;
  UINT CArgs, CNamed;
  bool Args, Names;
  std::vector<DISPID> Named;
};

TEST_F(Observer, EventsOfEveryInconsistentShapeAreAnsweredAndChangeNothing) {
  Page(L"http://a.example/", "<iframe src='http://c.example/'></iframe>");
  Page(L"http://c.example/", "<p>c</p>");
  TvgtBrowserObserver* o = AddObserver();
  HostOf().Navigate(L"http://a.example/");
  const std::vector<WideString> held = HeldLocations(o);
  ASSERT_EQ(held.size(), 2u);

  ComPtr<Browser> frame = HostOf().Top()->Frames()[0];  // outlives its page below
  VARIANT args[3];
  for (auto& v : args) {
    VariantInit(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = static_cast<IWebBrowser2*>(frame.Get());
  }
  const std::vector<Shape> shapes{
      {"no arguments", 0, 0, false, false, {}},
      {"names without arguments", 0, 2, false, true, {0, 1}},
      {"count without array", 2, 0, false, false, {}},
      {"one named, no names array", 1, 1, true, false, {}},
      {"some named", 2, 1, true, true, {0}},
      {"more names than arguments", 1, 3, true, true, {0, 1, 2}},
      {"name out of range", 2, 2, true, true, {0, 2}},
      {"negative name", 2, 2, true, true, {-1, 0}},
      {"name twice", 2, 2, true, true, {1, 1}},
  };
  for (DISPID id : {112, 250, 252, 259, 271, 0, -1, 9999}) {
    for (const Shape& s : shapes) {
      SCOPED_TRACE(std::string(s.Name) + " for " + std::to_string(id));
      std::vector<DISPID> names = s.Named;
      DISPPARAMS p{s.Args ? args : nullptr, s.Names ? names.data() : nullptr, s.CArgs, s.CNamed};
      EXPECT_EQ(Fire(o, id, &p), S_OK);
    }
    EXPECT_EQ(Fire(o, id, nullptr), S_OK);
  }
  EXPECT_EQ(HeldLocations(o), held);
  EXPECT_TRUE(Dialogs().Made.empty());
  // A property change without the property's name is no failure either: it is ignored.
  const size_t logged = SessionFailures();
  DISPPARAMS empty{nullptr, nullptr, 0, 0};
  EXPECT_EQ(Fire(o, 112, &empty), S_OK);
  EXPECT_EQ(SessionFailures(), logged);
  // Positions named in full are taken as given.
  std::vector<DISPID> names{0};
  DISPPARAMS named{args, names.data(), 1, 1};
  HostOf().Navigate(L"http://c.example/");  // a page without frames: one holder
  ASSERT_EQ(o->HolderCount(), 1);
  EXPECT_EQ(Fire(o, 252, &named), S_OK);
  EXPECT_EQ(o->HolderCount(), 2);
}

TEST_F(Observer, EventsWithArgumentsOfTheWrongTypeAreIgnored) {
  Page(L"http://a.example/", "<iframe src='http://c.example/'></iframe>");
  Page(L"http://c.example/", "<p>c</p>");
  TvgtBrowserObserver* o = AddObserver();
  HostOf().Navigate(L"http://a.example/");
  o->ResetToTop();
  IWebBrowser2* frame = HostOf().Top()->Frames()[0].Get();
  IDispatch* document = static_cast<IHTMLDocument2*>(HostOf().Top()->Html());

  auto one = [&](DISPID id, VARIANT v) {
    DISPPARAMS p{&v, nullptr, 1, 0};
    EXPECT_EQ(Fire(o, id, &p), S_OK);
  };
  VARIANT v;
  VariantInit(&v);
  IDispatch* nullDispatch = nullptr;
  std::vector<std::pair<const char*, VARIANT>> wrong;
  auto add = [&](const char* name, VARTYPE vt, auto setter) {
    VARIANT x;
    VariantInit(&x);
    x.vt = vt;
    setter(x);
    wrong.emplace_back(name, x);
  };
  add("empty", VT_EMPTY, [](VARIANT&) {});
  add("null", VT_NULL, [](VARIANT&) {});
  add("integer", VT_I4, [](VARIANT& x) { x.lVal = 1; });
  add("null text", VT_BSTR, [](VARIANT& x) { x.bstrVal = nullptr; });
  add("null object", VT_DISPATCH, [](VARIANT& x) { x.pdispVal = nullptr; });
  add("not a browser", VT_DISPATCH, [&](VARIANT& x) { x.pdispVal = document; });
  add("reference to a null object", VT_DISPATCH | VT_BYREF, [&](VARIANT& x) { x.ppdispVal = &nullDispatch; });
  add("reference to nothing", VT_DISPATCH | VT_BYREF, [](VARIANT& x) { x.ppdispVal = nullptr; });
  add("text reference to nothing", VT_BSTR | VT_BYREF, [](VARIANT& x) { x.pbstrVal = nullptr; });
  add("variant reference to nothing", VT_VARIANT | VT_BYREF, [](VARIANT& x) { x.pvarVal = nullptr; });
  add("error", VT_ERROR, [](VARIANT& x) { x.scode = E_FAIL; });
  for (auto& [name, value] : wrong) {
    SCOPED_TRACE(name);
    for (DISPID id : {112, 250, 252, 259, 271}) one(id, value);
  }
  EXPECT_EQ(o->HolderCount(), 1);
  EXPECT_TRUE(Dialogs().Made.empty());

  // A browser as an unknown, or behind a reference to a variant, is still a browser.
  VARIANT inner;
  VariantInit(&inner);
  inner.vt = VT_DISPATCH;
  inner.pdispVal = frame;
  v.vt = VT_VARIANT | VT_BYREF;
  v.pvarVal = &inner;
  one(252, v);
  EXPECT_EQ(o->HolderCount(), 2);
  o->ResetToTop();
  v.vt = VT_UNKNOWN;
  v.punkVal = frame;
  one(271, v);
  EXPECT_EQ(o->HolderCount(), 2);
}

}  // namespace
