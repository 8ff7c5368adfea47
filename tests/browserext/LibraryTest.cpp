// Veilgate.dll itself, loaded by the page host as the browser loads it: the signal reaching every
// observer of the window, and generated hostile documents walked by the library with no crash
// and nothing left alive.
#include <random>
#include <string>

#include "base/Module.h"
#include "browserext/oVeilgate.h"
#include "common/trvRegistry.h"
#include "tests/browserext/FakeZoneDialog.h"
#include "tests/browserext/PageHostFixture.h"
#include "tests/support/MessageBoxReader.h"

namespace {

using DialogRow = FakeZoneDialog::Row;

WideString LibraryPath() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  WideString p(path, n);
  return p.substr(0, p.find_last_of(L"\\/")) + L"\\Veilgate.dll";
}

class Library : public PageHostFixture {
 protected:
  void SetUp() override {
    FBefore = pagehost::LiveObjectCount();
    PageHostFixture::SetUp();
    ASSERT_NE(HostOf().WindowHandle(), nullptr) << "no display";
    FModule = TLibrary(LoadLibraryW(LibraryPath().c_str()));
    ASSERT_TRUE(FModule) << "Veilgate.dll beside the program";
    FServer = pagehost::Make<FakeZoneDialogServer>();
    FServer->Register();
  }
  void TearDown() override {
    FServer->Revoke();
    FServer.Reset();
    PageHostFixture::TearDown();
    if (FModule) {
      EXPECT_EQ(CanUnloadNow(), S_OK) << "objects of the library still alive";
      FModule = TLibrary();
    }
    EXPECT_EQ(pagehost::LiveObjectCount(), FBefore) << "page-host objects nobody released";
  }
  HRESULT CanUnloadNow() {
    using Fn = HRESULT(STDAPICALLTYPE*)();
    return FModule.Export<Fn>("DllCanUnloadNow")();
  }
  FakeZoneDialogServer& Dialogs() { return *FServer.Get(); }

 private:
  long FBefore = 0;
  TLibrary FModule;
  ComPtr<FakeZoneDialogServer> FServer;
};

TEST_F(Library, PressReachesEveryObserverOfTheWindowWithTheSamplePagesDomains) {
  LoadSamples();
  ASSERT_EQ(HostOf().AddObserver(CLSID_vgtBrowserObserver, LibraryPath()), S_OK);
  ASSERT_EQ(HostOf().AddObserver(CLSID_vgtBrowserObserver, LibraryPath()), S_OK);
  ASSERT_EQ(HostOf().AddButton(CLSID_vgtToolbutton, LibraryPath()), S_OK);
  HostOf().Navigate(L"http://www.dailyherald.example/");
  EXPECT_EQ(CanUnloadNow(), S_FALSE);
  HostOf().PressButton();
  ASSERT_EQ(Dialogs().Made.size(), 2u);
  const std::vector<WideString> domains{
      L"www.dailyherald.example", L"static.dailyherald.example", L"ads.adnet.example",
      L"widgets.social.example", L"https://secure.dailyherald.example", L"files.docstore.example",
      L"pixel.trackers.co.zz"};
  for (size_t i = 0; i < 2; ++i) {
    std::vector<WideString> sent;
    for (const DialogRow& r : Dialogs().Dialog(i).Added) sent.push_back(r.Domain);
    EXPECT_EQ(sent, domains);
    // the report is a PDF shown in a frame: in a frame, and no HTML document
    ASSERT_EQ(Dialogs().Dialog(i).Added.size(), domains.size());
    EXPECT_EQ(Dialogs().Dialog(i).Added[5].Flags, 0x02u | 0x40u);
    EXPECT_EQ(Dialogs().Dialog(i).Calls.back(), L"DialogDone");
  }
  EXPECT_NE(IsWindowEnabled(HostOf().WindowHandle()), FALSE);
  HostOf().Close();
}

// The library's own box speaks the language the user chose for the product, read at the press,
// not the system's.
TEST_F(Library, ErrorBoxSpeaksTheChosenLanguage) {
  ASSERT_EQ(HostOf().AddButton(CLSID_vgtToolbutton, LibraryPath()), S_OK);
  HostOf().Top()->FailPutProperty = true;
  const WideString stored = ReadRegistryString(ProductRegistryKey, ProductLanguageValue, L"");
  std::vector<TMessageBoxReader::TBox> shown;
  for (const wchar_t* language : {L"de", L"en"}) {
    WriteRegistryString(ProductRegistryKey, ProductLanguageValue, language);
    TMessageBoxReader boxes;
    HostOf().PressButton();
    EXPECT_EQ(boxes.Boxes().size(), 1u);
    shown.push_back(boxes.Last());
  }
  WriteRegistryString(ProductRegistryKey, ProductLanguageValue, stored);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].Caption, L"Veilgate");
  EXPECT_EQ(shown[0].Text,
            L"Es tut uns leid, aber ein unerwarteter Fehler ist aufgetreten. Bitte melden Sie "
            L"diesen Fehler und Ihre Version von Microsoft Internet Explorer.");
  EXPECT_EQ(shown[1].Text, ButtonErrorText);  // no catalog: the text as written
  HostOf().Close();
}

// ---- generated hostile documents

// Addresses no page should hold, and some every page may.
const std::vector<AnsiString>& HostileAddresses() {
  static const std::vector<AnsiString> list{
      "", " ", "javascript:alert(1)", "about:blank", "ABOUT:BLANK", "about:", "http://",
      "http://[::1", "//host/x", "/rooted", "notaurl", "http://a..b/", "http://.../",
      "http://" + AnsiString(2100, 'a') + ".example/", "http://%00/", "file:///c:/x",
      "ftp://u:p@h.example:99/x", "http://999999999999999999/", "http://0x7f.1/", "http://1.2.3.4/",
      "http://a.b.c.d.e.f.g.h.example./", "mailto:x@y", "http://\xe4\xbe\x8b\xe3\x81\x88.test/",
      "http://\xff\xfe/", "https://co.uk/", "http://x.co.uk.", "res://x.dll/1", "http://a.example/#\"'<>",
      "http://hostile0.example/", "http://hostile1.example/", "http://hostile2.example/"};
  return list;
}

AnsiString GeneratePage(std::mt19937& random) {
  static const char* const tags[] = {"base", "frame", "iframe", "script", "object", "embed",
                                     "applet", "style", "link", "div", "p", "table", "frameset",
                                     "a", "img", "BASE", "IFrame", "noframes", "html", "body"};
  const auto& addresses = HostileAddresses();
  auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
  AnsiString html;
  const size_t elements = 1 + pick(120);
  for (size_t i = 0; i < elements; ++i) {
    switch (pick(8)) {
      case 0:  // unbalanced nesting
        for (size_t d = pick(300); d > 0; --d) html += "<div>";
        break;
      case 1:  // bytes that are no markup at all
        for (size_t b = pick(40); b > 0; --b) html += static_cast<char>(random() & 0xff);
        break;
      case 2:
        html += "<style>@import url(" + addresses[pick(addresses.size())] +
                ");@font-face{font-family:x}</style>";
        break;
      default: {
        const char* tag = tags[pick(std::size(tags))];
        html += AnsiString("<") + tag;
        for (size_t a = pick(4); a > 0; --a) {
          html += pick(2) ? " src=\"" : " href='";
          html += addresses[pick(addresses.size())];
          html += pick(2) ? "\"" : "'";
        }
        html += pick(3) ? ">" : "";
        if (pick(2)) html += AnsiString("</") + tag + ">";
      }
    }
  }
  return html;
}

TEST_F(Library, GeneratedHostileDocumentsAreWalkedWithoutACrashOrALeak) {
  std::mt19937 random(20261209);
  for (int i = 0; i < 3; ++i)
    HostOf().Sites().AddPage(L"http://hostile" + std::to_wstring(i) + L".example/",
                             GeneratePage(random));
  ASSERT_EQ(HostOf().AddObserver(CLSID_vgtBrowserObserver, LibraryPath()), S_OK);
  ASSERT_EQ(HostOf().AddButton(CLSID_vgtToolbutton, LibraryPath()), S_OK);
  int made = 0;
  Dialogs().SetUpEach = [&](FakeZoneDialog& d) { d.Highlevel = made++ % 2 != 0; };
  size_t sessions = 0;
  for (int round = 0; round < 40; ++round) {
    // The pages change under the same addresses between rounds, frames included.
    for (int i = 0; i < 3; ++i)
      HostOf().Sites().AddPage(L"http://hostile" + std::to_wstring(i) + L".example/",
                               GeneratePage(random));
    SCOPED_TRACE("round " + std::to_string(round));
    HostOf().Navigate(L"http://hostile" + std::to_wstring(round % 3) + L".example/");
    HostOf().PressButton();
    ASSERT_EQ(Dialogs().Made.size(), ++sessions);
    EXPECT_EQ(Dialogs().Made.back()->Calls.back(), L"DialogDone");
  }
  HostOf().Close();
}

}  // namespace
