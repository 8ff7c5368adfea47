// The dialog session: the order of its calls to the zone dialog, the domains it sends and sends
// again on a refresh, its end when the dialog is done, failures logged with the window enabled
// again, and what the pump delivers while the dialog is open (navigations, a second signal, the
// thread's quit request, the browser closing under the session).
#include "base/ComValues.h"
#include "tests/browserext/VeilgateFixture.h"
#include "tests/support/ComTestSupport.h"
#include "tests/support/MessageBoxReader.h"

namespace {

constexpr unsigned long Frames = 0x01, InFrame = 0x02, Script = 0x04;
using DialogRow = FakeZoneDialog::Row;
using Calls = std::vector<std::wstring>;

class Session : public VeilgateFixture {
 protected:
  void FramedPage() {
    Page(L"http://www.a.example/", "<script></script><iframe src='http://www.b.example/'></iframe>");
    Page(L"http://www.b.example/", "<p>b</p>");
    HostOf().Navigate(L"http://www.a.example/");
  }
  bool WindowEnabled() { return IsWindowEnabled(HostOf().WindowHandle()) != FALSE; }
};

TEST_F(Session, CallsTheDialogInOrderAndPollsUntilItIsDone) {
  AddObserver();
  FramedPage();
  Dialogs().SetUpEach = [](FakeZoneDialog& d) { d.DoneAtPoll = 3; };
  Signal();
  ASSERT_EQ(Dialogs().Made.size(), 1u);
  FakeZoneDialog& d = Dialogs().Dialog();
  EXPECT_EQ(d.Calls, (Calls{L"SetParentWindow", L"HighlevelDomains", L"AddDomain www.a.example",
                            L"AddDomain www.b.example", L"ShowDialog", L"RefreshWanted",
                            L"DialogDone", L"RefreshWanted", L"DialogDone", L"RefreshWanted",
                            L"DialogDone"}));
  EXPECT_EQ(d.Parent, HostOf().WindowHandle());
  EXPECT_EQ(d.Added, (std::vector<DialogRow>{{L"www.a.example", L"http://www.a.example", 3, Frames | Script},
                                       {L"www.b.example", L"http://www.b.example", 3, InFrame}}));
  EXPECT_TRUE(WindowEnabled());
  EXPECT_EQ(d.RefCount(), 1u) << "the session let go of the dialog";
  EXPECT_TRUE(LogLines().empty());
}

TEST_F(Session, BlankPageIsSentOnlyWhereItIsTheFirstDomain) {
  AddObserver();
  HostOf().Navigate(L"about:blank");
  Signal();
  ASSERT_EQ(Dialogs().Made.size(), 1u);
  EXPECT_EQ(Dialogs().Dialog(0).Added, (std::vector<DialogRow>{{L"about:blank", L"about:blank", 0, 0}}));

  Page(L"http://a.example/", "<iframe src='about:blank'></iframe><iframe src='http://c.example/'></iframe>");
  Page(L"http://c.example/", "<p>c</p>");
  HostOf().Navigate(L"http://a.example/");
  Signal();
  ASSERT_EQ(Dialogs().Made.size(), 2u);
  EXPECT_EQ(Dialogs().Dialog(1).Added,
            (std::vector<DialogRow>{{L"a.example", L"http://a.example", 3, Frames},
                              {L"c.example", L"http://c.example", 3, InFrame}}));
}

TEST_F(Session, RefreshSendsEveryDomainAgainWithTheHighLevelAskedAgain) {
  AddObserver();
  FramedPage();
  Dialogs().SetUpEach = [](FakeZoneDialog& d) {
    d.DoneAtPoll = 3;
    d.RefreshBeforePoll = {2};
    d.OnPoll = [&d](int poll) {
      if (poll == 1) d.Highlevel = true;  // the user ticked "Sub-domains" off
    };
  };
  Signal();
  FakeZoneDialog& d = Dialogs().Dialog();
  EXPECT_EQ(d.Calls, (Calls{L"SetParentWindow", L"HighlevelDomains", L"AddDomain www.a.example",
                            L"AddDomain www.b.example", L"ShowDialog", L"RefreshWanted",
                            L"DialogDone", L"RefreshWanted", L"HighlevelDomains",
                            L"AddDomain a.example", L"AddDomain b.example", L"ShowDialog",
                            L"DialogDone", L"RefreshWanted", L"DialogDone"}));
  ASSERT_EQ(d.Added.size(), 4u);
  EXPECT_EQ(d.Added[2], (DialogRow{L"a.example", L"http://a.example", 3, Frames | Script}));
  EXPECT_TRUE(WindowEnabled());
}

TEST_F(Session, FailuresEndTheSessionInTheLogWithTheWindowEnabledAndNoMessage) {
  AddObserver();
  FramedPage();
  TMessageBoxReader boxes;
  for (const wchar_t* method : {L"SetParentWindow", L"HighlevelDomains", L"AddDomain",
                                L"ShowDialog", L"RefreshWanted", L"DialogDone"}) {
    SCOPED_TRACE(std::wstring(method));
    Dialogs().SetUpEach = [method](FakeZoneDialog& d) {
      d.FailIn = method;
      d.FailWith = RPC_E_DISCONNECTED;  // the dialog process ended
    };
    const size_t made = Dialogs().Made.size(), logged = SessionFailures("EOleSysError");
    Signal();
    ASSERT_EQ(Dialogs().Made.size(), made + 1);
    EXPECT_EQ(Dialogs().Made.back()->Calls.back().rfind(method, 0), 0u) << "ends at the failure";
    EXPECT_EQ(SessionFailures("EOleSysError"), logged + 1);
    EXPECT_TRUE(WindowEnabled());
    EXPECT_EQ(Dialogs().Made.back()->RefCount(), 1u);
  }

  // A class object that makes something else than a zone dialog.
  Dialogs().SetUpEach = [](FakeZoneDialog& d) { d.RefuseInterface = true; };
  Signal();
  EXPECT_EQ(SessionFailures("EIntfCastError"), 1u);

  // No zone dialog server at all.
  Dialogs().Revoke();
  const size_t made = Dialogs().Made.size(), logged = SessionFailures("EOleSysError");
  Signal();
  EXPECT_EQ(SessionFailures("EOleSysError"), logged + 1);
  EXPECT_EQ(Dialogs().Made.size(), made);
  EXPECT_TRUE(WindowEnabled());
  EXPECT_TRUE(boxes.Boxes().empty());

  // The button stays usable for another try.
  Dialogs().Register();
  Dialogs().SetUpEach = nullptr;
  const size_t lines = LogLines().size();
  Signal();
  EXPECT_EQ(Dialogs().Made.back()->Calls.back(), L"DialogDone");
  EXPECT_EQ(LogLines().size(), lines);
}

TEST_F(Session, SiteThatIsNoBrowserIsLogged) {
  ComPtr<IUnknown> object = NewObject(CLSID_vgtBrowserObserver);
  TvgtBrowserObserver* o = ObserverOf(object.Get());
  // The observer's own events, without a site to open the dialog for.
  const WideString name = ZoneDialogSignalProperty();
  const TBstr text(name);
  VARIANT arg = StringArg(text.Get());
  DISPPARAMS p{&arg, nullptr, 1, 0};
  EXPECT_EQ(o->Invoke(112, IID_NULL, 0, DISPATCH_METHOD, &p, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(SessionFailures("EIntfCastError"), 1u);
  EXPECT_TRUE(Dialogs().Made.empty());
}

TEST_F(Session, NavigationWhileTheDialogIsOpenReachesTheListAndTheNextRefresh) {
  TvgtBrowserObserver* o = AddObserver();
  FramedPage();
  Page(L"http://www.c.example/", "<iframe src='http://www.d.example/'></iframe>");
  Page(L"http://www.d.example/", "<p>d</p>");
  int refreshAt = 0;
  Dialogs().SetUpEach = [&](FakeZoneDialog& d) {
    d.OnPoll = [&](int poll) {
      if (poll == 1) HostOf().PostNavigate(L"http://www.c.example/");
      else if (!refreshAt && HostOf().PendingWork() == 0) d.RefreshBeforePoll.insert(refreshAt = poll + 1);
    };
    d.DoneWhen = [&] { return (refreshAt && d.Polls >= refreshAt) || d.Polls > 1000; };
  };
  Signal();
  FakeZoneDialog& d = Dialogs().Dialog();
  ASSERT_NE(refreshAt, 0);
  EXPECT_EQ(d.Added, (std::vector<DialogRow>{{L"www.a.example", L"http://www.a.example", 3, Frames | Script},
                                       {L"www.b.example", L"http://www.b.example", 3, InFrame},
                                       {L"www.c.example", L"http://www.c.example", 3, Frames},
                                       {L"www.d.example", L"http://www.d.example", 3, InFrame}}));
  EXPECT_EQ(HeldLocations(o), (std::vector<WideString>{L"http://www.c.example/", L"http://www.d.example/"}));
  EXPECT_TRUE(WindowEnabled());
}

TEST_F(Session, SecondSignalWhileTheDialogIsOpenRunsASessionOfItsOwn) {
  AddObserver();
  FramedPage();
  AddButton();
  Dialogs().SetUpEach = [&](FakeZoneDialog& d) {
    if (!Dialogs().Made.empty()) return;  // the second one is done at its first poll
    d.OnPoll = [&](int poll) {
      if (poll == 1) HostOf().PostPressButton();
    };
    d.DoneWhen = [&] { return Dialogs().Made.size() == 2 || d.Polls > 1000; };
  };
  Signal();
  ASSERT_EQ(Dialogs().Made.size(), 2u);
  const Calls whole{L"SetParentWindow", L"HighlevelDomains", L"AddDomain www.a.example",
                    L"AddDomain www.b.example", L"ShowDialog", L"RefreshWanted", L"DialogDone"};
  EXPECT_EQ(Dialogs().Dialog(1).Calls, whole);
  Calls first = Dialogs().Dialog(0).Calls;
  first.resize(whole.size());
  EXPECT_EQ(first, whole);
  EXPECT_EQ(Dialogs().Dialog(0).Calls.back(), L"DialogDone") << "the first session went on";
  EXPECT_TRUE(WindowEnabled());
  EXPECT_EQ(Dialogs().Dialog(0).RefCount(), 1u);
  EXPECT_EQ(Dialogs().Dialog(1).RefCount(), 1u);
}

TEST_F(Session, QuitRequestTakenByThePumpIsPostedAgainWhenTheSessionEnds) {
  AddObserver();
  FramedPage();
  bool quitStillQueued = true;
  Dialogs().SetUpEach = [&](FakeZoneDialog& d) {
    d.DoneAtPoll = 4;
    d.OnPoll = [&](int poll) {
      if (poll == 1) PostQuitMessage(7);
      MSG m;
      if (poll == 3) quitStillQueued = PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
    };
  };
  Signal();
  EXPECT_FALSE(quitStillQueued) << "the session's pump took it";
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the thread may still end";
  EXPECT_EQ(m.wParam, 7u);
}

TEST_F(Session, BrowserClosingUnderTheSessionLeavesTheObserverToTheSessionsEnd) {
  TvgtBrowserObserver* o = AddObserver();  // the host holds it, the test does not
  FramedPage();
  const int base = ComServer().ObjectCount();
  int aliveAfterClose = -1, refreshAt = 0;
  Dialogs().SetUpEach = [&](FakeZoneDialog& d) {
    d.OnPoll = [&](int poll) {
      if (poll == 1) HostOf().PostClose();
      else if (!refreshAt && HostOf().Closed()) {
        aliveAfterClose = ComServer().ObjectCount();
        d.RefreshBeforePoll.insert(refreshAt = poll + 1);
      }
    };
    d.DoneWhen = [&] { return (refreshAt && d.Polls >= refreshAt) || d.Polls > 1000; };
  };
  // Straight to the observer, as a caller that holds no reference of its own while it calls.
  const TBstr text(ZoneDialogSignalProperty());
  VARIANT arg = StringArg(text.Get());
  DISPPARAMS p{&arg, nullptr, 1, 0};
  o->Invoke(112, IID_NULL, 0, DISPATCH_METHOD, &p, nullptr, nullptr, nullptr);
  ASSERT_NE(refreshAt, 0) << "the close ran inside the session";
  EXPECT_EQ(aliveAfterClose, base) << "the observer outlived the close sequence";
  FakeZoneDialog& d = Dialogs().Dialog();
  EXPECT_EQ(d.Calls.back(), L"DialogDone");
  EXPECT_EQ(std::count(d.Calls.begin(), d.Calls.end(), L"HighlevelDomains"), 2)
      << "the refresh after the close walked what the observer still held";
  EXPECT_EQ(ComServer().ObjectCount(), base - 1) << "and it went when the session ended";
}

}  // namespace
