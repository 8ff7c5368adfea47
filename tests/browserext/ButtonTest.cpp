// The toolbar button: its command-target and site contracts, the signal it sets on the top-level
// browser, and the one message box for every way of not getting there.
#include "tests/browserext/VeilgateFixture.h"
#include "tests/support/MessageBoxReader.h"

namespace {

using DialogRow = FakeZoneDialog::Row;

class Button : public VeilgateFixture {
 protected:
  void SetUp() override {
    VeilgateFixture::SetUp();
    FObject = NewObject(CLSID_vgtToolbutton);
    FObject.As(&FTarget);
    FObject.As(&FWithSite);
  }
  void TearDown() override {
    FTarget.Reset();
    FWithSite.Reset();
    FObject.Reset();
    VeilgateFixture::TearDown();
  }
  HRESULT Exec() { return FTarget->Exec(nullptr, 0, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr); }

  ComPtr<IUnknown> FObject;
  ComPtr<IOleCommandTarget> FTarget;
  ComPtr<IObjectWithSite> FWithSite;
};

// A command-text record with room for Room characters, the rest of the buffer filled with a
// marker so that a write past the room shows.
struct TextRecord {
  explicit TextRecord(ULONG room, DWORD flags = OLECMDTEXTF_NAME) {
    for (auto& c : Storage) c = 0x7777;
    Text()->cmdtextf = flags;
    Text()->cwActual = 12345;
    Text()->cwBuf = room;
  }
  OLECMDTEXT* Text() { return reinterpret_cast<OLECMDTEXT*>(Storage); }
  std::wstring Written() const {
    const auto* t = reinterpret_cast<const OLECMDTEXT*>(Storage);
    return t->rgwz;
  }
  bool Untouched(size_t fromChar) const {
    const auto* t = reinterpret_cast<const OLECMDTEXT*>(Storage);
    const wchar_t* p = t->rgwz;
    const wchar_t* end = reinterpret_cast<const wchar_t*>(Storage + std::size(Storage));
    for (p += fromChar; p < end; ++p)
      if (*p != 0x7777) return false;
    return true;
  }
  wchar_t Storage[64];
};

TEST_F(Button, QueryStatusEnablesEveryCommandAndGivesTheTitleWithinTheBuffer) {
  EXPECT_EQ(FTarget->QueryStatus(nullptr, 1, nullptr, nullptr), E_POINTER);

  OLECMD commands[2] = {{1, 0}, {2, 0}};
  GUID group = IID_IUnknown;
  EXPECT_EQ(FTarget->QueryStatus(&group, 2, commands, nullptr), S_OK);
  EXPECT_EQ(commands[0].cmdf, 3u);
  EXPECT_EQ(commands[1].cmdf, 3u);

  TextRecord roomy(20);
  EXPECT_EQ(FTarget->QueryStatus(nullptr, 1, commands, roomy.Text()), S_OK);
  EXPECT_EQ(roomy.Written(), L"Veilgate");
  EXPECT_EQ(roomy.Text()->cwActual, 9u);
  EXPECT_TRUE(roomy.Untouched(9));

  TextRecord status(20, OLECMDTEXTF_STATUS);
  EXPECT_EQ(FTarget->QueryStatus(nullptr, 1, commands, status.Text()), S_OK);
  EXPECT_EQ(status.Written(), L"Veilgate");

  // Cut, with the NUL inside the buffer and nothing written past it.
  TextRecord tight(4);
  EXPECT_EQ(FTarget->QueryStatus(nullptr, 1, commands, tight.Text()), S_OK);
  EXPECT_EQ(tight.Written(), L"Vei");
  EXPECT_EQ(tight.Text()->cwActual, 9u);
  EXPECT_TRUE(tight.Untouched(4));

  TextRecord exact(9);
  FTarget->QueryStatus(nullptr, 1, commands, exact.Text());
  EXPECT_EQ(exact.Written(), L"Veilgate");
  EXPECT_TRUE(exact.Untouched(9));
}

TEST_F(Button, QueryStatusWritesNothingWhereThereIsNoRoomOrNoTextAsked) {
  OLECMD command{1, 0};
  // A buffer of no characters: not even the NUL goes in.
  TextRecord none(0);
  EXPECT_EQ(FTarget->QueryStatus(nullptr, 1, &command, none.Text()), S_OK);
  EXPECT_TRUE(none.Untouched(0));
  EXPECT_EQ(none.Text()->cwActual, 9u) << "the caller still learns the size it needs";

  TextRecord notAsked(20, OLECMDTEXTF_NONE);
  EXPECT_EQ(FTarget->QueryStatus(nullptr, 1, &command, notAsked.Text()), S_OK);
  EXPECT_TRUE(notAsked.Untouched(0));
  EXPECT_EQ(notAsked.Text()->cwActual, 12345u);

  TextRecord noCommands(20);
  command.cmdf = 0;
  EXPECT_EQ(FTarget->QueryStatus(nullptr, 0, &command, noCommands.Text()), S_OK);
  EXPECT_TRUE(noCommands.Untouched(0));
  EXPECT_EQ(command.cmdf, 0u);
}

TEST_F(Button, SiteIsKeptAndHandedOutByInterface) {
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(FWithSite->GetSite(IID_IUnknown, &out), E_FAIL) << "no site yet";
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(FWithSite->GetSite(IID_IUnknown, nullptr), E_FAIL);

  auto site = HostOf().MakeButtonSite();
  EXPECT_EQ(FWithSite->SetSite(static_cast<IShellBrowser*>(site.Get())), S_OK);
  ComPtr<IServiceProvider> services;
  EXPECT_EQ(FWithSite->GetSite(IID_PPV_ARGS(&services)), S_OK);
  EXPECT_TRUE(SameComObject(services.Get(), static_cast<IShellBrowser*>(site.Get())));
  out = reinterpret_cast<void*>(1);
  EXPECT_EQ(FWithSite->GetSite(IID_IHTMLDocument2, &out), E_FAIL);
  EXPECT_EQ(out, nullptr);

  EXPECT_EQ(FWithSite->SetSite(nullptr), S_OK);
  EXPECT_EQ(FWithSite->GetSite(IID_IUnknown, &out), E_FAIL);
}

TEST_F(Button, ExecSetsTheSignalOnTheTopLevelBrowser) {
  EXPECT_EQ(ZoneDialogSignalProperty(), L"{6948690A-32D2-45B6-8C70-7923654A5CD1}");
  auto site = HostOf().MakeButtonSite();
  FWithSite->SetSite(static_cast<IShellBrowser*>(site.Get()));
  TMessageBoxReader boxes;
  EXPECT_EQ(Exec(), S_OK);
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_EQ(HostOf().Top()->Properties,
            (std::vector<std::pair<WideString, long>>{{ZoneDialogSignalProperty(), 1}}));
  FWithSite->SetSite(nullptr);
}

TEST_F(Button, EveryWayOfMissingTheBrowserShowsOneBoxAndAnswersSuccess) {
  struct Case {
    const char* Name;
    std::function<void(pagehost::ButtonSite&)> Break;
    bool NoSite;
  };
  const std::vector<Case> cases{
      {"no site", nullptr, true},
      {"site is no shell browser", [](pagehost::ButtonSite& s) { s.RefuseShellBrowser = true; }, false},
      {"no service provider", [](pagehost::ButtonSite& s) { s.RefuseServiceProvider = true; }, false},
      {"no top-level browser", [](pagehost::ButtonSite& s) { s.FailTopLevelService = true; }, false},
      {"no browser service", [&](pagehost::ButtonSite&) { HostOf().Top()->FailWebBrowserService = true; }, false},
      {"property refused", [&](pagehost::ButtonSite&) { HostOf().Top()->FailPutProperty = true; }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    auto site = HostOf().MakeButtonSite();
    if (c.Break) c.Break(*site.Get());
    FWithSite->SetSite(c.NoSite ? nullptr : static_cast<IShellBrowser*>(site.Get()));
    TMessageBoxReader boxes;
    EXPECT_EQ(Exec(), S_OK);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Last().Caption, L"Veilgate");
    EXPECT_EQ(boxes.Last().Text, ButtonErrorText);
    FWithSite->SetSite(nullptr);
    HostOf().Top()->FailWebBrowserService = false;
    HostOf().Top()->FailPutProperty = false;
  }
  EXPECT_TRUE(HostOf().Top()->Properties.empty());
  EXPECT_TRUE(Dialogs().Made.empty());
}

TEST_F(Button, PressThroughTheBrowserOpensTheSessionOfItsObserver) {
  Page(L"http://a.example/", "<p>a</p>");
  AddObserver();
  AddButton();
  HostOf().Navigate(L"http://a.example/");
  HostOf().PressButton();
  ASSERT_EQ(Dialogs().Made.size(), 1u);
  EXPECT_EQ(Dialogs().Dialog().Added,
            (std::vector<DialogRow>{{L"a.example", L"http://a.example", 3, 0}}));
}

}  // namespace
