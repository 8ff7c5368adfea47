// The zone dialog driven in the test process through the ZoneDialog object its factory makes:
// rows with the zones the system reports, zone changes by radio clicks (and none from radios set
// in code), the Trusted zone's verification question, Refresh and Sub-domains, the owner window,
// Options and About, and hostile callers.
#include <gtest/gtest.h>

#include <cstdlib>

#include <algorithm>
#include <functional>
#include <utility>
#include <string>
#include <vector>

#include "ZoneDialogTestSupport.h"
#include "base/DeviceContext.h"
#include "base/RegKey.h"
#include "classlib/Themes.h"
#include "common/trvCommonTexts.h"
#include "common/trvRegistry.h"
#include "tests/support/ComEnvironment.h"
#include "tests/support/ComTestSupport.h"
#include "tests/support/Input.h"
#include "tools/winshot/Screenshot.h"
#include "unicode/GnuGettext.h"
#include "unicode/UtxForms.h"
#include "tests/support/MessageBoxReader.h"
#include "common/trvGenericForms.h"
#include "zonedialog/fAbout.h"
#include "zonedialog/fVgtMainForm.h"
#include "zonedialog/fvgtOptions.h"
#include "zonedialog/oVgtZoneDialog.h"

namespace {

const WideString kHost = L"vgt-zd-test.example";

WideString HttpUrl(const WideString& Name) { return L"http://" + Name + L"." + kHost; }

VARIANT_BOOL Done(IZoneDialog* Object) {
  VARIANT_BOOL v = 7;
  EXPECT_EQ(Object->DialogDone(&v), S_OK);
  return v;
}
VARIANT_BOOL Refresh(IZoneDialog* Object) {
  VARIANT_BOOL v = 7;
  EXPECT_EQ(Object->RefreshWanted(&v), S_OK);
  return v;
}
VARIANT_BOOL Highlevel(IZoneDialog* Object) {
  VARIANT_BOOL v = 7;
  EXPECT_EQ(Object->HighlevelDomains(&v), S_OK);
  return v;
}

// The zone a row shows: the checked radio's zone, or 0 when the row shows its text.
int32_t ShownZone(TvgtDomainEntry* E) {
  if (E->InfoLabel->Visible()) return 0;
  for (TvgtRadioButton* r : {E->TrustedRadio, E->InternetRadio, E->RestrictedRadio})
    if (r->Checked()) return r->ZoneTag;
  return -1;
}

void SetLeftButton(bool Down) { SetKeyState(VK_LBUTTON, Down); }

// A press of the radio with the mouse, as the user makes it: the button is down while the radio
// takes the focus, so only the release chooses it.
void Press(TvgtRadioButton* Radio) {
  const HWND h = Radio->Handle();
  SetLeftButton(true);
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  SetLeftButton(false);
  SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  Application->ProcessMessages();
}

// The dark pixels inside Area of a bitmap of Width x Height, filled white, then painted by Paint.
int InkIn(int Width, int Height, const RECT& Area, const std::function<void(HDC)>& Paint) {
  TPixelCanvas canvas(Width, Height);
  if (!canvas.Valid()) return 0;
  RECT all{0, 0, Width, Height};
  FillRect(canvas.DC(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  Paint(canvas.DC());
  GdiFlush();
  int ink = 0;
  for (int y = std::max(0L, Area.top); y < std::min<LONG>(Height, Area.bottom); ++y)
    for (int x = std::max(0L, Area.left); x < std::min<LONG>(Width, Area.right); ++x) {
      const DWORD c = canvas.Pixel(x, y);
      if (((c >> 16) & 0xFF) < 0x80 && ((c >> 8) & 0xFF) < 0x80 && (c & 0xFF) < 0x80) ++ink;
    }
  return ink;
}

// The ink of Text drawn in Font's face and size at Weight.
int InkOfText(TFont* Font, const WideString& Text, int Weight) {
  LOGFONTW lf{};
  GetObjectW(Font->Handle(), sizeof lf, &lf);
  lf.lfWeight = Weight;
  const TGdiObject<HFONT> font(CreateFontIndirectW(&lf));
  return InkIn(600, 60, RECT{0, 0, 600, 60}, [&](HDC dc) {
    const TSelectedObject selected(dc, font);
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, 0, 0, Text.c_str(), static_cast<int>(Text.size()));
  });
}

class ZoneDialogWin : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Application->Initialize();
    UtxFormsStart();
  }
  static void TearDownTestSuite() { UtxFormsStop(); }
  void SetUp() override {
    Kept = std::make_unique<TKeptSettings>();
    TRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Tervana\\Veilgate", 0, KEY_SET_VALUE, key.Out()) ==
        ERROR_SUCCESS) {
      RegDeleteValueW(key.Get(), L"lang");
      RegDeleteValueW(key.Get(), L"highlevel");
    }
    for (const wchar_t* n : {L"one", L"two", L"three", L"plain", L"secure"}) RemoveFromAllZones(HttpUrl(n));
    RemoveFromAllZones(L"https://secure." + kHost);
  }
  void TearDown() override {
    Object.Reset();
    Application->ProcessMessages();
    for (const wchar_t* n : {L"one", L"two", L"three", L"plain", L"secure"}) RemoveFromAllZones(HttpUrl(n));
    RemoveFromAllZones(L"https://secure." + kHost);
    Kept.reset();
  }
  TfrmVgtDialog* Open(HWND Owner = nullptr) {
    Object = NewZoneDialog();
    if (!Object) return nullptr;
    EXPECT_EQ(Object->SetParentWindow(static_cast<ULONG>(reinterpret_cast<UINT_PTR>(Owner))), S_OK);
    return DialogOf(Object.Get());
  }
  std::unique_ptr<TKeptSettings> Kept;
  ComPtr<IZoneDialog> Object;
};

// ---- Rows ----

TEST_F(ZoneDialogWin, RowsShowTheZonesTheSystemReports) {
  MapIntoZone(HttpUrl(L"two"), URLZONE_TRUSTED);
  MapIntoZone(HttpUrl(L"three"), URLZONE_UNTRUSTED);
  TfrmVgtDialog* d = Open();
  ASSERT_TRUE(d);
  for (const wchar_t* n : {L"one", L"two", L"three"})
    ASSERT_EQ(AddDomain(Object.Get(), WideString(n) + L"." + kHost, HttpUrl(n), 3, 0), S_OK);
  EXPECT_EQ(Done(Object.Get()), VARIANT_TRUE);  // made, not yet shown
  ASSERT_EQ(Object->ShowDialog(), S_OK);
  EXPECT_EQ(Done(Object.Get()), VARIANT_FALSE);
  ASSERT_EQ(d->RowCount(), 3);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(ShownZone(d->Entries(i)), static_cast<int32_t>(PlatformZoneOf(d->Entries(i)->VGTDomain))) << i;
  EXPECT_EQ(ShownZone(d->Entries(1)), URLZONE_TRUSTED);
  EXPECT_EQ(ShownZone(d->Entries(2)), URLZONE_UNTRUSTED);
  // Rows are stacked with a one-pixel gap, the first at the top.
  auto* first = static_cast<TControl*>(d->Entries(0)->TrustedRadio->Parent());
  auto* second = static_cast<TControl*>(d->Entries(1)->TrustedRadio->Parent());
  EXPECT_EQ(first->Top(), 0);
  EXPECT_EQ(second->Top(), first->Top() + first->Height() + 1);
  EXPECT_EQ(d->RowTop(), static_cast<TControl*>(d->Entries(2)->TrustedRadio->Parent())->Top() +
                              static_cast<TControl*>(d->Entries(2)->TrustedRadio->Parent())->Height() + 1);
  // The row's title: the domain, large and bold, as it is painted.
  for (int i = 0; i < d->ComponentCount(); ++i)
    if (auto* title = dynamic_cast<TvgtLabel*>(d->Components(i))) {
      EXPECT_TRUE(title->Font()->Style().Contains(TFontStyle::fsBold));
      EXPECT_EQ(title->Font()->Size(), 12);
      // Drawn in a face whose bold the platform draws heavier than its regular, and so painted.
      auto* row = static_cast<TWinControl*>(title->Parent());
      const int painted = InkIn(row->Width(), row->Height(), title->BoundsRect(), [&](HDC dc) { row->PaintTo(dc, 0, 0); });
      const int bold = InkOfText(title->Font(), title->GetCaption(), FW_BOLD);
      const int regular = InkOfText(title->Font(), title->GetCaption(), FW_NORMAL);
      EXPECT_GT(bold, regular + regular / 8) << title->Font()->Name();
      EXPECT_NEAR(painted, bold, bold / 10) << title->GetCaption();
    }
  SaveScreenshotOnRequest(d->Handle(), L"ZoneDialogRows");
}

TEST_F(ZoneDialogWin, OneRowAndTwoHundredRows) {
  TfrmVgtDialog* d = Open();
  ASSERT_TRUE(d);
  ASSERT_EQ(AddDomain(Object.Get(), L"one." + kHost, HttpUrl(L"one"), 3, 0xFF), S_OK);
  ASSERT_EQ(d->RowCount(), 1);
  EXPECT_EQ(ShownZone(d->Entries(0)), URLZONE_INTERNET);
  ASSERT_EQ(Object->ShowDialog(), S_OK);
  // A wheel turn with fewer rows than fit moves nothing.
  SendMessageW(d->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  EXPECT_EQ(GetScrollPos(d->sbEntries->Handle(), SB_VERT), 0);
  for (int i = 1; i < 200; ++i)
    ASSERT_EQ(AddDomain(Object.Get(), L"row" + std::to_wstring(i) + L"." + kHost,
                        L"http://row" + std::to_wstring(i) + L"." + kHost, 3, static_cast<ULONG>(i & 0xFF)),
              S_OK);
  ASSERT_EQ(Object->ShowDialog(), S_OK);
  ASSERT_EQ(d->RowCount(), 200);
  Application->ProcessMessages();
  SendMessageW(d->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  const int down = GetScrollPos(d->sbEntries->Handle(), SB_VERT);
  EXPECT_GT(down, 0);
  SendMessageW(d->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  EXPECT_LT(GetScrollPos(d->sbEntries->Handle(), SB_VERT), down);
  for (int i = 0; i < 200; i += 37) EXPECT_EQ(ShownZone(d->Entries(i)), URLZONE_INTERNET) << i;
  // Only the vertical bar shows: the rows reach under it, and nothing scrolls sideways.
  EXPECT_TRUE(d->sbEntries->VertScrollBar()->IsScrollBarVisible());
  EXPECT_FALSE(GetWindowLongW(d->sbEntries->Handle(), GWL_STYLE) & WS_HSCROLL);
  EXPECT_TRUE(d->sbEntries->VertScrollBar()->Tracking());
  // Every visible feature of the first row has its picture, 20 pixels apart, and the row's text
  // would start after them.
  int icons = 0;
  for (int i = 0; i < d->ComponentCount(); ++i)
    if (auto* icon = dynamic_cast<TvgtImage*>(d->Components(i)); icon && icon->Parent() == d->Entries(0)->TrustedRadio->Parent()) {
      EXPECT_EQ(icon->Left(), 47 + 20 * icons);
      ++icons;
    }
  EXPECT_EQ(icons, 4);
  EXPECT_EQ(d->Entries(0)->InfoLabel->Left(), 47 + 80);
}

// The tool bar stands in the one fixed band of a cool bar, without edges of its own, and the
// rows start under the bar; the dialog's texts are 8 points whatever the system's message font.
TEST_F(ZoneDialogWin, TheToolBarStandsInACoolBarBand) {
  // A system whose message font is large: every new font of this program starts from it.
  const TDefaultFontData system = DefaultFontData();
  DefaultFontData().Height = -23;
  TfrmVgtDialog* d = Open();
  DefaultFontData() = system;
  ASSERT_TRUE(d);
  EXPECT_EQ(d->Font()->Size(), 8);
  ASSERT_EQ(AddDomain(Object.Get(), L"one." + kHost, HttpUrl(L"one"), 3, 0), S_OK);
  EXPECT_EQ(d->Entries(0)->TrustedRadio->Font()->Size(), 8);
  ASSERT_EQ(Object->ShowDialog(), S_OK);
  Application->ProcessMessages();

  TCoolBar* bar = d->CoolBar1;
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->Top(), 0);
  EXPECT_EQ(bar->Width(), d->ClientWidth());
  EXPECT_TRUE(bar->AutoSize());
  EXPECT_TRUE(bar->FixedOrder());
  EXPECT_EQ(bar->Images(), d->trvToolBar1->Images());
  ASSERT_EQ(bar->Bands()->Count(), 1);
  TCoolBand* band = bar->Bands()->Items(0);
  EXPECT_EQ(band->Control(), d->trvToolBar1);
  EXPECT_EQ(band->MinHeight(), 19);
  EXPECT_TRUE(band->FixedSize());
  EXPECT_EQ(d->trvToolBar1->Parent(), bar);
  EXPECT_TRUE(d->trvToolBar1->EdgeBorders().Empty());
  EXPECT_EQ(d->trvToolBar1->ClientHeight(), d->trvToolBar1->Height());
  ASSERT_EQ(SendMessageW(bar->Handle(), RB_GETBANDCOUNT, 0, 0), 1);
  REBARBANDINFOW info{};
  info.cbSize = REBARBANDINFOW_V6_SIZE;
  info.fMask = RBBIM_CHILD | RBBIM_STYLE;
  ASSERT_TRUE(SendMessageW(bar->Handle(), RB_GETBANDINFOW, 0, reinterpret_cast<LPARAM>(&info)));
  EXPECT_EQ(info.hwndChild, d->trvToolBar1->Handle());
  EXPECT_TRUE(info.fStyle & RBBS_FIXEDSIZE);
  // The bar is as high as its band, which holds the whole tool bar; the rows start under it.
  EXPECT_EQ(bar->ClientHeight(), bar->BarHeight());
  EXPECT_GE(bar->BarHeight(), d->trvToolBar1->Height());
  EXPECT_EQ(d->sbEntries->Top(), bar->Top() + bar->Height());
}

TEST_F(ZoneDialogWin, RowsWithoutButtonsSayWhy) {
  TfrmVgtDialog* d = Open();
  ASSERT_TRUE(d);
  UseLanguage(L"en_US");
  ASSERT_EQ(AddDomain(Object.Get(), L"c:\\files", L"file://c:/files", 5), S_OK);
  ASSERT_EQ(AddDomain(Object.Get(), L"about:blank", L"about:blank", 0), S_OK);
  ASSERT_EQ(AddDomain(Object.Get(), L"odd", L"odd://x", -1), S_OK);
  // A scheme number nobody knows is a row of an unsupported protocol.
  ASSERT_EQ(AddDomain(Object.Get(), L"unknown", L"http://unknown." + kHost, 77), S_OK);
  ASSERT_EQ(d->RowCount(), 4);
  EXPECT_EQ(GetWideControlText(d->Entries(0)->InfoLabel), L"Files are part of the local intranet.");
  for (int i = 1; i < 4; ++i) {
    EXPECT_TRUE(d->Entries(i)->InfoLabel->Visible());
    EXPECT_FALSE(d->Entries(i)->TrustedRadio->Visible());
    EXPECT_EQ(GetWideControlText(d->Entries(i)->InfoLabel), L"This website is using an unsupported protocol.") << i;
  }
}

TEST_F(ZoneDialogWin, WithoutThemesTheLowerPartOfARowIsFlat) {
  TfrmVgtDialog* d = Open();
  ASSERT_TRUE(d);
  for (bool themes : {false, true}) {
    TThemeServices::SetThemesEnabledOverride(themes);
    ASSERT_EQ(AddDomain(Object.Get(), L"one." + kHost, HttpUrl(L"one"), 3), S_OK);
    TvgtDomainEntry* e = d->Entries(d->RowCount() - 1);
    auto* panel = static_cast<TvgtPanel*>(e->TrustedRadio->Parent());
    EXPECT_EQ(panel->MarginTop(), 20);
    EXPECT_EQ(panel->MarginBottom(), themes ? 0 : panel->Height() - e->TrustedRadio->Top()) << themes;
    EXPECT_EQ(e->TrustedRadio->Color(), panel->EndColor());
  }
  TThemeServices::SetThemesEnabledOverride(std::nullopt);
}

TEST(ZoneDialogTexts, EveryTextHasItsGermanTranslation) {
  const WideString saved = GetCurrentLanguage();
  UseLanguage(L"de");
  // Texts that read the same in German.
  const std::vector<WideString> same = {L"Info", L"Internet", L"OK", L"Web:", L"www.tervana.example",
                                        L"http://www.tervana.example/", L"http://www.tervana.example"};
  const wchar_t* texts[] = {
      L"Close", L"Refresh", L"Parse website again for used domains.", L"Options", L"Show the options for %1.",
      L"Sub-domains", L"Show all subdomains instead of just secondlevel domains.", L"Info", L"Info about %1",
      L"This site contains ActiveX, Java or plugins", L"This site contains script",
      L"This site contains a Java applet", L"This website contains embedded fonts", L"Trusted", L"Internet",
      L"Restricted", L"This website is part of your local intranet.", L"This website is mapped to an unknown zone. ",
      L"Files are part of the local intranet.", L"This website is using an unsupported protocol.",
      L"We're sorry, but there was an unexpected error changing the security zone.",
      L"The current settings require server verification (https:) for all sites in the trusted zone. %1 can "
      L"change this setting so that \"%2\" can be add to the trusted zone. Do you want to change this setting and "
      L"add the site?",
      L"The address of \"%1\" contains characters that hide or reorder its letters. Its security zone cannot be "
      L"changed.",
      L"\"%1\" could not be moved into the zone \"%2\": the system places its address in the zone \"%3\". Nothing "
      L"was changed.",
      L"%1 - Options", L"OK", L"Cancel", L"Language", L"Select language:",
      L"%1 is available in other languages, too. You can choose any of the languages shown below.",
      L"Copyright (c) Tervana. All rights reserved.", L"Web:"};
  for (const wchar_t* text : texts) {
    const bool identical = std::find(same.begin(), same.end(), WideString(text)) != same.end();
    if (identical) EXPECT_EQ(Translate(text), text);
    else EXPECT_NE(Translate(text), text) << NarrowText(text);
  }
  EXPECT_EQ(Translate(L"This website is mapped to an unknown zone. ").back(), L' ');
  UseLanguage(saved);
}

TEST(ZoneDialogTexts, TheAboutVersionIsTheProgramsOwn) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  WideString folder = path;
  folder.resize(folder.find_last_of(L'\\') + 1);
  EXPECT_EQ(TfrmAbout::ProgramVersion(folder + L"VgtDialog.exe"), L"1.0");
  EXPECT_EQ(TfrmAbout::ProgramVersion(folder + L"no-such-program.exe"), L"0.0");
  EXPECT_EQ(TfrmAbout::ProgramVersion(L""), L"0.0");
}

// ---- Zone changes ----

TEST_F(ZoneDialogWin, AClickMovesTheDomainAndTheSystemAgrees) {
  SetTrustedZoneFlags(TrustedZoneFlags() & ~ZAFLAGS_REQUIRE_VERIFICATION);
  TfrmVgtDialog* d = Open();
  ASSERT_TRUE(d);
  ASSERT_EQ(AddDomain(Object.Get(), L"plain." + kHost, HttpUrl(L"plain"), 3), S_OK);
  ASSERT_EQ(Object->ShowDialog(), S_OK);
  TvgtDomainEntry* e = d->Entries(0);
  TBoxReader boxes(mrNo);
  Press(e->TrustedRadio);
  EXPECT_EQ(PlatformZoneOf(HttpUrl(L"plain")), static_cast<DWORD>(URLZONE_TRUSTED));
  EXPECT_EQ(ShownZone(e), URLZONE_TRUSTED);
  Press(e->RestrictedRadio);
  EXPECT_EQ(PlatformZoneOf(HttpUrl(L"plain")), static_cast<DWORD>(URLZONE_UNTRUSTED));
  EXPECT_EQ(ShownZone(e), URLZONE_UNTRUSTED);
  Press(e->InternetRadio);
  EXPECT_EQ(PlatformZoneOf(HttpUrl(L"plain")), static_cast<DWORD>(URLZONE_INTERNET));
  EXPECT_EQ(ShownZone(e), URLZONE_INTERNET);
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ZoneDialogWin, TheVerificationQuestionAnsweredNoChangesNothing) {
  SetTrustedZoneFlags(TrustedZoneFlags() | ZAFLAGS_REQUIRE_VERIFICATION);
  UseLanguage(L"en_US");
  TfrmVgtDialog* d = Open();
  ASSERT_TRUE(d);
  ASSERT_EQ(AddDomain(Object.Get(), L"plain." + kHost, HttpUrl(L"plain"), 3), S_OK);
  ASSERT_EQ(Object->ShowDialog(), S_OK);
  TBoxReader boxes(mrNo);
  Press(d->Entries(0)->TrustedRadio);
  ASSERT_EQ(boxes.Boxes().size(), 1u) << NarrowText(boxes.Boxes()[0].Text) << " / " << NarrowText(boxes.Last().Text);
  EXPECT_EQ(boxes.Last().Caption, L"Veilgate");
  EXPECT_NE(boxes.Last().Text.find(L"Veilgate can change this setting so that \"plain." + kHost + L"\" can be add"),
            std::wstring::npos);
  EXPECT_EQ(PlatformZoneOf(HttpUrl(L"plain")), static_cast<DWORD>(URLZONE_INTERNET));
  EXPECT_EQ(ShownZone(d->Entries(0)), URLZONE_INTERNET);  // the check mark goes back
  EXPECT_TRUE(TrustedZoneFlags() & ZAFLAGS_REQUIRE_VERIFICATION);
}

TEST_F(ZoneDialogWin, TheVerificationQuestionAnsweredYesLiftsTheAttributeAndMoves) {
  SetTrustedZoneFlags(TrustedZoneFlags() | ZAFLAGS_REQUIRE_VERIFICATION);
  TfrmVgtDialog* d = Open();
  ASSERT_TRUE(d);
  ASSERT_EQ(AddDomain(Object.Get(), L"plain." + kHost, HttpUrl(L"plain"), 3), S_OK);
  ASSERT_EQ(AddDomain(Object.Get(), L"secure." + kHost, L"https://secure." + kHost, 4), S_OK);
  ASSERT_EQ(Object->ShowDialog(), S_OK);
  {
    // An https site never needs the question.
    TBoxReader boxes(mrNo);
    Press(d->Entries(1)->TrustedRadio);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(PlatformZoneOf(L"https://secure." + kHost), static_cast<DWORD>(URLZONE_TRUSTED));
  }
  TBoxReader boxes(mrYes);
  Press(d->Entries(0)->TrustedRadio);
  EXPECT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_FALSE(TrustedZoneFlags() & ZAFLAGS_REQUIRE_VERIFICATION);
  EXPECT_EQ(PlatformZoneOf(HttpUrl(L"plain")), static_cast<DWORD>(URLZONE_TRUSTED));
  EXPECT_EQ(ShownZone(d->Entries(0)), URLZONE_TRUSTED);
}

// A radio button chosen from the keyboard takes the focus; the question's box takes it away and
// gives it back, and the radio chooses itself again as it gets it: one question all the same.
TEST_F(ZoneDialogWin, TheFocusComingBackAfterTheQuestionAsksNoSecondTime) {
  SetTrustedZoneFlags(TrustedZoneFlags() | ZAFLAGS_REQUIRE_VERIFICATION);
  TfrmVgtDialog* d = Open();
  ASSERT_TRUE(d);
  ASSERT_EQ(AddDomain(Object.Get(), L"plain." + kHost, HttpUrl(L"plain"), 3), S_OK);
  ASSERT_EQ(Object->ShowDialog(), S_OK);
  SetForegroundWindow(d->Handle());
  Application->ProcessMessages();
  TBoxReader boxes(mrNo);
  d->Entries(0)->TrustedRadio->SetFocus();
  Application->ProcessMessages();
  EXPECT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(ShownZone(d->Entries(0)), URLZONE_INTERNET);
  EXPECT_EQ(PlatformZoneOf(HttpUrl(L"plain")), static_cast<DWORD>(URLZONE_INTERNET));
}

// Automation and accessibility tools click with BM_CLICK: the press brings the focus without the
// mouse button down, and the release clicks. One click, one question; one failure, one error box.
TEST_F(ZoneDialogWin, AClickSentAsBmClickAsksOnceAndReportsOnce) {
  SetTrustedZoneFlags(TrustedZoneFlags() | ZAFLAGS_REQUIRE_VERIFICATION);
  TfrmVgtDialog* d = Open();
  ASSERT_TRUE(d);
  ASSERT_EQ(AddDomain(Object.Get(), L"plain." + kHost, HttpUrl(L"plain"), 3), S_OK);
  ASSERT_EQ(Object->ShowDialog(), S_OK);
  {
    TBoxReader boxes(mrNo);
    SendMessageW(d->Entries(0)->TrustedRadio->Handle(), BM_CLICK, 0, 0);
    Application->ProcessMessages();
    EXPECT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(ShownZone(d->Entries(0)), URLZONE_INTERNET);
  }
  TZoneManagerFactoryOverride failing([](IInternetSecurityManager**) { return E_ACCESSDENIED; }, nullptr);
  TBoxReader boxes(mrOk);
  SendMessageW(d->Entries(0)->RestrictedRadio->Handle(), BM_CLICK, 0, 0);
  Application->ProcessMessages();
  EXPECT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(PlatformZoneOf(HttpUrl(L"plain")), static_cast<DWORD>(URLZONE_INTERNET));
}

// A radio button set in code runs its click. Showing a row again after the system moved its
// domain must neither ask the question nor change a zone.
TEST_F(ZoneDialogWin, ShowingARowAgainNeverAsksNorChangesAZone) {
  SetTrustedZoneFlags(TrustedZoneFlags() | ZAFLAGS_REQUIRE_VERIFICATION);
  TfrmVgtDialog* d = Open();
  ASSERT_TRUE(d);
  ASSERT_EQ(AddDomain(Object.Get(), L"plain." + kHost, HttpUrl(L"plain"), 3), S_OK);
  ASSERT_EQ(Object->ShowDialog(), S_OK);
  MapIntoZone(HttpUrl(L"plain"), URLZONE_TRUSTED);
  TBoxReader boxes(mrYes);
  d->Localise();  // shows every row again, as after Options
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_TRUE(TrustedZoneFlags() & ZAFLAGS_REQUIRE_VERIFICATION);
  EXPECT_EQ(ShownZone(d->Entries(0)), URLZONE_TRUSTED);
  EXPECT_EQ(PlatformZoneOf(HttpUrl(L"plain")), static_cast<DWORD>(URLZONE_TRUSTED));
}

TEST_F(ZoneDialogWin, AFailedChangeIsReportedAndTheRowShowsTheRealZone) {
  SetTrustedZoneFlags(TrustedZoneFlags() & ~ZAFLAGS_REQUIRE_VERIFICATION);
  UseLanguage(L"en_US");
  TfrmVgtDialog* d = Open();
  ASSERT_TRUE(d);
  ASSERT_EQ(AddDomain(Object.Get(), L"plain." + kHost, HttpUrl(L"plain"), 3), S_OK);
  ASSERT_EQ(Object->ShowDialog(), S_OK);
  TZoneManagerFactoryOverride failing([](IInternetSecurityManager**) { return E_ACCESSDENIED; }, nullptr);
  TBoxReader boxes(mrOk);
  Press(d->Entries(0)->RestrictedRadio);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Last().Text.rfind(L"We're sorry, but there was an unexpected error changing the security zone.", 0), 0u);
  // The zone cannot be read either: the row shows Internet, the system's answer too.
  EXPECT_EQ(ShownZone(d->Entries(0)), URLZONE_INTERNET);
  EXPECT_EQ(PlatformZoneOf(HttpUrl(L"plain")), static_cast<DWORD>(URLZONE_INTERNET));
}

// A security manager that takes every mapping and still answers Internet: a system whose own
// settings decide the zone whatever is added.
class TDeafSecurityManager : public IInternetSecurityManager {
 public:
  int Mappings = 0;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (riid == IID_IUnknown || riid == IID_IInternetSecurityManager) {
      *ppv = static_cast<IInternetSecurityManager*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE SetSecuritySite(IInternetSecurityMgrSite*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetSecuritySite(IInternetSecurityMgrSite**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE MapUrlToZone(LPCWSTR, DWORD* Zone, DWORD) override {
    *Zone = URLZONE_INTERNET;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetSecurityId(LPCWSTR, BYTE*, DWORD*, DWORD_PTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ProcessUrlAction(LPCWSTR, DWORD, BYTE*, DWORD, BYTE*, DWORD, DWORD, DWORD) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE QueryCustomPolicy(LPCWSTR, REFGUID, BYTE**, DWORD*, BYTE*, DWORD, DWORD) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetZoneMapping(DWORD, LPCWSTR, DWORD) override {
    ++Mappings;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetZoneMappings(DWORD, IEnumString**, DWORD) override { return E_NOTIMPL; }
};

// A move the system does not carry out never lifts the Trusted zone's verification: the flag
// goes only together with a mapping the system applies, and the user hears why nothing moved.
TEST_F(ZoneDialogWin, AFailedTrustedMoveKeepsTheServerVerification) {
  SetTrustedZoneFlags(TrustedZoneFlags() | ZAFLAGS_REQUIRE_VERIFICATION);
  const DWORD flags = TrustedZoneFlags();
  UseLanguage(L"en_US");
  TfrmVgtDialog* d = Open();
  ASSERT_TRUE(d);
  const WideString urls[] = {L"http://" + WideString(300, L'x') + L"." + kHost, L"http://a..b." + kHost,
                             L"http://*.star." + kHost};
  for (const WideString& url : urls) ASSERT_EQ(AddDomain(Object.Get(), url.substr(7), url, 3), S_OK);
  ASSERT_EQ(Object->ShowDialog(), S_OK);
  for (int i = 0; i < 3; ++i) {
    TBoxReader boxes(mrYes);
    Press(d->Entries(i)->TrustedRadio);
    ASSERT_EQ(boxes.Boxes().size(), 2u) << i;  // the question, then the report
    EXPECT_NE(boxes.Last().Text.find(L"could not be moved into the zone \"Trusted\""), std::wstring::npos)
        << NarrowText(boxes.Last().Text);
    EXPECT_EQ(TrustedZoneFlags(), flags) << i;
    EXPECT_EQ(ShownZone(d->Entries(i)), URLZONE_INTERNET) << i;
  }
  {
    // The same when the system takes the mapping and still answers another zone.
    TDeafSecurityManager deaf;
    TZoneManagerFactoryOverride override(
        [&](IInternetSecurityManager** m) {
          *m = &deaf;
          return S_OK;
        },
        nullptr);
    ASSERT_EQ(AddDomain(Object.Get(), L"plain." + kHost, HttpUrl(L"plain"), 3), S_OK);
    TBoxReader boxes(mrYes);
    Press(d->Entries(3)->TrustedRadio);
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Last().Text, L"\"plain." + kHost +
                                     L"\" could not be moved into the zone \"Trusted\": the system places its address "
                                     L"in the zone \"Internet\". Nothing was changed.");
    EXPECT_EQ(TrustedZoneFlags(), flags);
    EXPECT_EQ(ShownZone(d->Entries(3)), URLZONE_INTERNET);
  }
}

// The row's URL ends in a dot: the platform reads that name, not the one without the dot, and
// the move is for the name it reads.
TEST_F(ZoneDialogWin, AMoveIsForTheHostThePlatformReadsForTheRow) {
  SetTrustedZoneFlags(TrustedZoneFlags() & ~ZAFLAGS_REQUIRE_VERIFICATION);
  const WideString url = HttpUrl(L"dot") + L".";
  RemoveFromAllZones(url);
  TfrmVgtDialog* d = Open();
  ASSERT_TRUE(d);
  ASSERT_EQ(AddDomain(Object.Get(), L"dot." + kHost + L".", url, 3), S_OK);
  ASSERT_EQ(Object->ShowDialog(), S_OK);
  TBoxReader boxes(mrOk);
  Press(d->Entries(0)->RestrictedRadio);
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_EQ(PlatformZoneOf(url), static_cast<DWORD>(URLZONE_UNTRUSTED));
  EXPECT_EQ(ShownZone(d->Entries(0)), URLZONE_UNTRUSTED);
  EXPECT_EQ(PlatformZoneOf(HttpUrl(L"dot")), static_cast<DWORD>(URLZONE_INTERNET));
  EXPECT_EQ(PlatformZoneOf(L"http://" + kHost), static_cast<DWORD>(URLZONE_INTERNET));
  Press(d->Entries(0)->InternetRadio);
  EXPECT_EQ(PlatformZoneOf(url), static_cast<DWORD>(URLZONE_INTERNET));
  RemoveFromAllZones(url);
}

// Another tool left a whole-host mapping ("*" = Restricted under a key named by the whole host,
// read before the host's own key): moving the row really moves it, and the host's other schemes
// stay Restricted.
TEST_F(ZoneDialogWin, AWholeHostMappingLeftByAnotherToolDoesNotHoldTheRowBack) {
  SetTrustedZoneFlags(TrustedZoneFlags() & ~ZAFLAGS_REQUIRE_VERIFICATION);
  const WideString flatKey =
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\Domains\\a." + kHost;
  {
    TRegKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, flatKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Out(),
                              nullptr),
              ERROR_SUCCESS);
    const DWORD restricted = URLZONE_UNTRUSTED;
    RegSetValueExW(key.Get(), L"*", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&restricted), sizeof restricted);
  }
  TfrmVgtDialog* d = Open();
  ASSERT_TRUE(d);
  ASSERT_EQ(AddDomain(Object.Get(), L"a." + kHost, HttpUrl(L"a"), 3), S_OK);
  ASSERT_EQ(Object->ShowDialog(), S_OK);
  EXPECT_EQ(ShownZone(d->Entries(0)), URLZONE_UNTRUSTED);
  TBoxReader boxes(mrOk);
  for (TvgtRadioButton* radio : {d->Entries(0)->TrustedRadio, d->Entries(0)->InternetRadio}) {
    Press(radio);
    EXPECT_EQ(PlatformZoneOf(HttpUrl(L"a")), static_cast<DWORD>(radio->ZoneTag));
    EXPECT_EQ(ShownZone(d->Entries(0)), radio->ZoneTag);
    EXPECT_EQ(PlatformZoneOf(L"https://a." + kHost), static_cast<DWORD>(URLZONE_UNTRUSTED));
  }
  EXPECT_TRUE(boxes.Boxes().empty());
  RemoveFromAllZones(HttpUrl(L"a"));
  RemoveFromAllZones(L"a." + kHost);
  EXPECT_EQ(PlatformZoneOf(L"https://a." + kHost), static_cast<DWORD>(URLZONE_INTERNET));
}

// A host with a right-to-left override shows its text reversed ("elpmaxe" for "example"): the
// title shows such characters as codes, and no move writes a mapping for it.
TEST_F(ZoneDialogWin, HiddenControlCharactersShowAsCodesAndAreNeverMapped) {
  SetTrustedZoneFlags(TrustedZoneFlags() & ~ZAFLAGS_REQUIRE_VERIFICATION);
  UseLanguage(L"en_US");
  TfrmVgtDialog* d = Open();
  ASSERT_TRUE(d);
  const WideString host = L"\u202Egnp.exe." + kHost;
  ASSERT_EQ(AddDomain(Object.Get(), host, L"http://" + host, 3), S_OK);
  ASSERT_EQ(Object->ShowDialog(), S_OK);
  auto* panel = d->Entries(0)->TrustedRadio->Parent();
  WideString title = L"<none>";
  for (int i = 0; i < d->ComponentCount(); ++i)
    if (auto* label = dynamic_cast<TvgtLabel*>(d->Components(i)); label && label->Parent() == panel)
      title = GetWideControlText(label);
  EXPECT_EQ(title, L"<U+202E>gnp.exe." + kHost);
  SaveScreenshotOnRequest(d->Handle(), L"ZoneDialogHiddenCharacters");
  for (TvgtRadioButton* radio : {d->Entries(0)->RestrictedRadio, d->Entries(0)->TrustedRadio}) {
    TBoxReader boxes(mrOk);
    Press(radio);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Last().Text, L"The address of \"<U+202E>gnp.exe." + kHost +
                                     L"\" contains characters that hide or reorder its letters. Its security zone "
                                     L"cannot be changed.");
    EXPECT_EQ(ShownZone(d->Entries(0)), URLZONE_INTERNET);
  }
  EXPECT_EQ(PlatformZoneOf(L"http://gnp.exe." + kHost), static_cast<DWORD>(URLZONE_INTERNET));
  EXPECT_EQ(PlatformZoneOf(L"http://" + host), static_cast<DWORD>(URLZONE_INTERNET));
}

// ---- Refresh, Sub-domains, the owner window ----

TEST_F(ZoneDialogWin, RefreshAndSubdomainsAskForTheDomainsOnce) {
  TfrmVgtDialog* d = Open();
  ASSERT_TRUE(d);
  EXPECT_EQ(Highlevel(Object.Get()), VARIANT_FALSE);
  ASSERT_EQ(AddDomain(Object.Get(), L"one." + kHost, HttpUrl(L"one"), 3), S_OK);
  ASSERT_EQ(Object->ShowDialog(), S_OK);
  EXPECT_EQ(Refresh(Object.Get()), VARIANT_FALSE);
  d->actRefresh->Execute();
  EXPECT_EQ(d->RowCount(), 0);
  EXPECT_EQ(d->RowTop(), 0);
  EXPECT_FALSE(d->sbEntries->Visible());
  EXPECT_EQ(Refresh(Object.Get()), VARIANT_TRUE);
  EXPECT_EQ(Refresh(Object.Get()), VARIANT_FALSE);
  // The client sends again; the first new row is at the top.
  ASSERT_EQ(AddDomain(Object.Get(), L"two." + kHost, HttpUrl(L"two"), 3), S_OK);
  ASSERT_EQ(Object->ShowDialog(), S_OK);
  EXPECT_TRUE(d->sbEntries->Visible());
  EXPECT_EQ(static_cast<TControl*>(d->Entries(0)->TrustedRadio->Parent())->Top(), 0);

  d->actDomains->Execute();
  EXPECT_EQ(Highlevel(Object.Get()), VARIANT_TRUE);
  EXPECT_FALSE(d->actDomains->Checked());
  EXPECT_EQ(Refresh(Object.Get()), VARIANT_TRUE);
  EXPECT_EQ(Refresh(Object.Get()), VARIANT_FALSE);
  d->actDomains->Execute();
  EXPECT_EQ(Highlevel(Object.Get()), VARIANT_FALSE);
  EXPECT_TRUE(d->actDomains->Checked());
  EXPECT_EQ(Refresh(Object.Get()), VARIANT_TRUE);
}

TEST_F(ZoneDialogWin, HighlevelIsWrittenWhenTheDialogGoesAndReadWhenItComes) {
  TfrmVgtDialog* d = Open();
  ASSERT_TRUE(d);
  d->actDomains->Execute();
  Object.Reset();
  EXPECT_EQ(ReadRegistryDWord(ProductRegistryKey, ProductHighlevelValue, 7), 1u);
  d = Open();
  ASSERT_TRUE(d);
  EXPECT_EQ(Highlevel(Object.Get()), VARIANT_TRUE);
  EXPECT_FALSE(d->actDomains->Checked());
  Object.Reset();
  EXPECT_EQ(ReadRegistryDWord(ProductRegistryKey, ProductHighlevelValue, 7), 1u);
}

TEST_F(ZoneDialogWin, TheOwnerIsDisabledWhileShownAndEnabledAfterClose) {
  TOwnerWindow owner;
  ASSERT_TRUE(owner.Handle());
  TfrmVgtDialog* d = Open(owner.Handle());
  ASSERT_TRUE(d);
  EXPECT_EQ(GetWindow(d->Handle(), GW_OWNER), owner.Handle());
  // A second parent is not taken.
  TOwnerWindow other;
  EXPECT_EQ(Object->SetParentWindow(static_cast<ULONG>(reinterpret_cast<UINT_PTR>(other.Handle()))), S_OK);
  EXPECT_EQ(DialogOf(Object.Get()), d);
  EXPECT_EQ(d->ParentWnd(), owner.Handle());
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
  ASSERT_EQ(Object->ShowDialog(), S_OK);
  EXPECT_FALSE(IsWindowEnabled(owner.Handle()));
  EXPECT_EQ(Done(Object.Get()), VARIANT_FALSE);
  SendMessageW(d->cmdClose->Handle(), BM_CLICK, 0, 0);
  Application->ProcessMessages();
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
  EXPECT_EQ(Done(Object.Get()), VARIANT_TRUE);
  // Closing only hides: shown again with the same dialog.
  ASSERT_EQ(Object->ShowDialog(), S_OK);
  EXPECT_EQ(DialogOf(Object.Get()), d);
  EXPECT_EQ(Done(Object.Get()), VARIANT_FALSE);
  EXPECT_FALSE(IsWindowEnabled(owner.Handle()));
  // The client lets go while the dialog is shown: the owner gets its input back.
  Object.Reset();
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
}

// The window the client gave stands for the client: while it exists the object keeps its
// dialog; once it is gone, the dialog closes without anyone calling.
TEST_F(ZoneDialogWin, TheDialogClosesWhenTheClientsWindowIsGone) {
  auto owner = std::make_unique<TOwnerWindow>();
  TfrmVgtDialog* d = Open(owner->Handle());
  ASSERT_TRUE(d);
  ASSERT_EQ(AddDomain(Object.Get(), L"one." + kHost, HttpUrl(L"one"), 3), S_OK);
  ASSERT_EQ(Object->ShowDialog(), S_OK);
  auto* object = static_cast<TZoneDialog*>(Object.Get());
  Application->ProcessMessages();
  EXPECT_FALSE(object->ClientGone());
  EXPECT_EQ(DialogOf(Object.Get()), d);
  owner.reset();
  EXPECT_TRUE(object->ClientGone());
  const DWORD deadline = GetTickCount() + 20000;
  while (DialogOf(Object.Get()) && static_cast<LONG>(deadline - GetTickCount()) > 0) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    Application->ProcessMessages();
  }
  EXPECT_EQ(DialogOf(Object.Get()), nullptr);
  EXPECT_EQ(Done(Object.Get()), VARIANT_TRUE);
  Application->ProcessMessages();
  for (int i = 0; i < Screen->FormCount(); ++i) EXPECT_FALSE(dynamic_cast<TfrmVgtDialog*>(Screen->Forms(i)));
}

// ---- Options and About ----

TEST_F(ZoneDialogWin, OptionsOkStoresTheLanguageAndTheDialogSpeaksIt) {
  TfrmVgtDialog* d = Open();
  ASSERT_TRUE(d);
  ASSERT_EQ(AddDomain(Object.Get(), L"one." + kHost, HttpUrl(L"one"), 3), S_OK);
  ASSERT_EQ(Object->ShowDialog(), S_OK);
  EXPECT_EQ(GetWideControlText(d->cmdClose), L"Close");
  bool automaticFirst = false;
  TModalAnswer answer([&](TCustomForm* Form) {
    auto* options = dynamic_cast<TfrmVgtOptions*>(Form);
    if (!options) return false;
    // "lang" missing: "Automatic" is selected.
    automaticFirst = options->cboLanguage->GetSelectedLanguageCode().empty() && options->cboLanguage->ItemIndex() == 0;
    options->cboLanguage->SelectLanguageCode(L"de");
    SaveScreenshotOnRequest(options->Handle(), L"ZoneDialogOptions");
    SendMessageW(options->cmdOK->Handle(), BM_CLICK, 0, 0);
    return true;
  });
  d->actOptions->Execute();
  EXPECT_EQ(answer.Answered(), 1);
  EXPECT_TRUE(automaticFirst);
  EXPECT_EQ(ReadRegistryString(ProductRegistryKey, ProductLanguageValue, L"<none>"), L"de");
  EXPECT_EQ(GetWideControlText(d->cmdClose), L"Schlie\x00DF" L"en");
  EXPECT_EQ(GetWideControlText(d->Entries(0)->TrustedRadio), L"Vertrauensw\x00FCrdig");
  EXPECT_EQ(d->Entries(0)->TrustedRadio->Left(), d->TrustedX());
  EXPECT_EQ(d->InternetX(), d->TrustedX() + d->Entries(0)->TrustedRadio->Width());
  EXPECT_TRUE(d->sbEntries->Visible());
}

TEST_F(ZoneDialogWin, OptionsCancelChangesNothing) {
  WriteRegistryString(ProductRegistryKey, ProductLanguageValue, L"xx_NOPE");
  TfrmVgtDialog* d = Open();
  ASSERT_TRUE(d);
  const WideString before = GetWideControlText(d->cmdClose);
  WideString selected = L"<none>";
  TModalAnswer answer([&](TCustomForm* Form) {
    auto* options = dynamic_cast<TfrmVgtOptions*>(Form);
    if (!options) return false;
    // A language without a catalog shows as "Automatic".
    selected = options->cboLanguage->GetSelectedLanguageCode();
    options->cboLanguage->SelectLanguageCode(L"de");
    SendMessageW(options->cmdCancel->Handle(), BM_CLICK, 0, 0);
    return true;
  });
  d->actOptions->Execute();
  EXPECT_EQ(answer.Answered(), 1);
  EXPECT_EQ(selected, L"");
  EXPECT_EQ(ReadRegistryString(ProductRegistryKey, ProductLanguageValue, L"<none>"), L"xx_NOPE");
  EXPECT_EQ(GetWideControlText(d->cmdClose), before);
}

// The product's key taken away and its parent made volatile: "lang" reads as missing, and
// neither the key nor the value can be written until the key is given back.
class TUnwritableProductKey {
 public:
  TUnwritableProductKey() {
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Tervana\\Veilgate");
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Tervana");
    FMade = MakeVolatileKey(HKEY_CURRENT_USER, L"Software\\Tervana");
  }
  ~TUnwritableProductKey() { RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Tervana"); }
  TUnwritableProductKey(const TUnwritableProductKey&) = delete;
  TUnwritableProductKey& operator=(const TUnwritableProductKey&) = delete;
  bool Made() const { return FMade; }

 private:
  bool FMade = false;
};

TEST_F(ZoneDialogWin, OptionsOkWhoseLanguageCannotBeStoredIsReportedAndClosesWithOk) {
  WriteRegistryString(ProductRegistryKey, ProductLanguageValue, L"de");
  TfrmVgtDialog* d = Open();
  ASSERT_TRUE(d);
  ASSERT_EQ(AddDomain(Object.Get(), L"one." + kHost, HttpUrl(L"one"), 3), S_OK);
  ASSERT_EQ(Object->ShowDialog(), S_OK);
  ASSERT_EQ(GetWideControlText(d->cmdClose), L"Schlie\x00DF" L"en");
  {
    const TUnwritableProductKey unwritable;
    ASSERT_TRUE(unwritable.Made());
    ASSERT_THROW(WriteRegistryString(ProductRegistryKey, ProductLanguageValue, L"de"), ETRVException);
    TMessageBoxReader boxes;
    TModalAnswer answer([&](TCustomForm* Form) {
      auto* options = dynamic_cast<TfrmVgtOptions*>(Form);
      if (!options) return false;
      options->cboLanguage->SelectLanguageCode(L"de");
      SendMessageW(options->cmdOK->Handle(), BM_CLICK, 0, 0);
      return true;
    });
    d->actOptions->Execute();
    EXPECT_EQ(answer.Answered(), 1);
    // The failure is shown by the application's handling, titled with the product name.
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Last().Text.find(L"Cannot create Key: " + ProductRegistryKey), std::wstring::npos)
        << NarrowText(boxes.Last().Text);
    EXPECT_EQ(boxes.Last().Caption, ProductName);
    // Closed with OK all the same: the dialog speaks the language stored, which is none now (a
    // dialog left alone, or one taking the choice that was not stored, would still speak German).
    EXPECT_EQ(GetWideControlText(d->cmdClose), L"Close");
    EXPECT_EQ(GetWideControlText(d->Entries(0)->TrustedRadio), L"Trusted");
    EXPECT_TRUE(d->sbEntries->Visible());
    for (int i = 0; i < Screen->FormCount(); ++i) EXPECT_FALSE(dynamic_cast<TfrmVgtOptions*>(Screen->Forms(i)));
  }
  EXPECT_EQ(ReadRegistryString(ProductRegistryKey, ProductLanguageValue, L"<none>"), L"<none>");
}

TEST_F(ZoneDialogWin, AboutShowsItsPictureAndVersion) {
  TfrmVgtDialog* d = Open();
  ASSERT_TRUE(d);
  bool jpeg = false;
  int width = 0;
  WideString version;
  TModalAnswer answer([&](TCustomForm* Form) {
    auto* about = dynamic_cast<TfrmAbout*>(Form);
    if (!about) return false;
    jpeg = dynamic_cast<TJPEGImage*>(about->UtxImage2->Picture()->Graphic()) != nullptr;
    width = about->UtxImage2->Picture()->Width();
    version = GetWideControlText(about->lblVersion);
    SaveScreenshotOnRequest(about->Handle(), L"ZoneDialogAbout");
    SendMessageW(about->cmdOK->Handle(), BM_CLICK, 0, 0);
    return true;
  });
  d->actInfo->Execute();
  EXPECT_EQ(answer.Answered(), 1);
  EXPECT_TRUE(jpeg);
  EXPECT_EQ(width, 136);
  // The test program carries no version: "0.0".
  EXPECT_NE(version.find(L"0.0"), WideString::npos) << NarrowText(version);
}

// The client may let go while a window of the dialog runs its own loop.
TEST_F(ZoneDialogWin, TheClientLettingGoWhileOptionsAreOpenEndsCleanly) {
  TfrmVgtDialog* d = Open();
  ASSERT_TRUE(d);
  ASSERT_EQ(AddDomain(Object.Get(), L"one." + kHost, HttpUrl(L"one"), 3), S_OK);
  ASSERT_EQ(Object->ShowDialog(), S_OK);
  TModalAnswer answer([&](TCustomForm* Form) {
    if (!dynamic_cast<TfrmVgtOptions*>(Form)) return false;
    Object.Reset();
    return true;
  });
  d->actOptions->Execute();
  EXPECT_EQ(answer.Answered(), 1);
  EXPECT_FALSE(Object);
  Application->ProcessMessages();
  for (int i = 0; i < Screen->FormCount(); ++i) EXPECT_FALSE(dynamic_cast<TfrmVgtDialog*>(Screen->Forms(i)));
}

TEST_F(ZoneDialogWin, TheClientLettingGoWhileTheQuestionIsUpChangesNothing) {
  SetTrustedZoneFlags(TrustedZoneFlags() | ZAFLAGS_REQUIRE_VERIFICATION);
  TfrmVgtDialog* d = Open();
  ASSERT_TRUE(d);
  ASSERT_EQ(AddDomain(Object.Get(), L"plain." + kHost, HttpUrl(L"plain"), 3), S_OK);
  ASSERT_EQ(Object->ShowDialog(), S_OK);
  TModalAnswer answer([&](TCustomForm* Form) {
    if (!dynamic_cast<TfrmMessageBox*>(Form)) return false;
    Object.Reset();
    return true;
  });
  Press(d->Entries(0)->TrustedRadio);
  EXPECT_EQ(answer.Answered(), 1);
  Application->ProcessMessages();
  for (int i = 0; i < Screen->FormCount(); ++i) EXPECT_FALSE(dynamic_cast<TfrmVgtDialog*>(Screen->Forms(i)));
  EXPECT_EQ(PlatformZoneOf(HttpUrl(L"plain")), static_cast<DWORD>(URLZONE_INTERNET));
  EXPECT_TRUE(TrustedZoneFlags() & ZAFLAGS_REQUIRE_VERIFICATION);
}

// ---- Callers that break the rules ----

TEST_F(ZoneDialogWin, HostileCallsAreRefusedOrMadeSafe) {
  Object = NewZoneDialog();
  ASSERT_TRUE(Object);
  EXPECT_EQ(Object->DialogDone(nullptr), E_POINTER);
  EXPECT_EQ(Object->HighlevelDomains(nullptr), E_POINTER);
  EXPECT_EQ(Object->RefreshWanted(nullptr), E_POINTER);
  // Before a dialog exists: nothing added, nothing wanted, done.
  EXPECT_EQ(Object->AddDomain(nullptr, nullptr, 3, 0), S_OK);
  EXPECT_EQ(Done(Object.Get()), VARIANT_TRUE);
  EXPECT_EQ(Highlevel(Object.Get()), VARIANT_FALSE);
  EXPECT_EQ(Refresh(Object.Get()), VARIANT_FALSE);

  // A handle that is no window is no owner.
  EXPECT_EQ(Object->SetParentWindow(0x0BADF00D), S_OK);
  TfrmVgtDialog* d = DialogOf(Object.Get());
  ASSERT_TRUE(d);
  EXPECT_EQ(d->ParentWnd(), nullptr);
  EXPECT_EQ(GetWindow(d->Handle(), GW_OWNER), static_cast<HWND>(nullptr));

  EXPECT_EQ(Object->AddDomain(nullptr, nullptr, 3, 0), S_OK);
  ASSERT_EQ(d->RowCount(), 1);
  EXPECT_EQ(d->Entries(0)->Domain, L"");
  EXPECT_EQ(ShownZone(d->Entries(0)), URLZONE_INTERNET);
  // Only the low byte of the flags counts.
  ASSERT_EQ(AddDomain(Object.Get(), L"flags", HttpUrl(L"one"), 3, 0xFFFFFF84), S_OK);
  TvgtDomainEntry* e = d->Entries(1);
  EXPECT_TRUE(e->HasScript && e->HasFontFace);
  EXPECT_FALSE(e->HasFrames || e->InFrame || e->HasActiveX || e->HasApplet || e->HasCookies || e->NoHtml);
  ASSERT_EQ(AddDomain(Object.Get(), L"high", HttpUrl(L"one"), 3, 0xFFFFFF00), S_OK);
  EXPECT_EQ(d->Entries(2)->GetFlags(), 0u);

  // 64 KB texts.
  const WideString big(65536, L'\x4E2D');
  ASSERT_EQ(AddDomain(Object.Get(), big, L"http://" + WideString(65536, L'a') + L".example", 3), S_OK);
  EXPECT_EQ(d->Entries(3)->Domain.size(), 65536u);
  EXPECT_EQ(ShownZone(d->Entries(3)), URLZONE_INTERNET);
  ASSERT_EQ(Object->ShowDialog(), S_OK);

  // Calls after the user closed the dialog still work.
  d->Close();
  Application->ProcessMessages();
  EXPECT_EQ(Done(Object.Get()), VARIANT_TRUE);
  ASSERT_EQ(AddDomain(Object.Get(), L"after", HttpUrl(L"two"), 3), S_OK);
  EXPECT_EQ(d->RowCount(), 5);
  EXPECT_EQ(Refresh(Object.Get()), VARIANT_FALSE);
  EXPECT_EQ(Highlevel(Object.Get()), VARIANT_FALSE);
}

TEST_F(ZoneDialogWin, AThousandDomains) {
  // The volume is the same on every Windows version; the program copies for older versions test
  // their text paths with the smaller cases and leave this one to the plain program.
  if (std::getenv("VGT_WINVER")) GTEST_SKIP() << "run by the plain program";
  TfrmVgtDialog* d = Open();
  ASSERT_TRUE(d);
  for (int i = 0; i < 1000; ++i)
    ASSERT_EQ(AddDomain(Object.Get(), L"d" + std::to_wstring(i), L"http://d" + std::to_wstring(i) + L"." + kHost, 3,
                        static_cast<ULONG>(i)),
              S_OK);
  ASSERT_EQ(Object->ShowDialog(), S_OK);
  EXPECT_EQ(d->RowCount(), 1000);
  EXPECT_EQ(ShownZone(d->Entries(999)), URLZONE_INTERNET);
  d->actRefresh->Execute();
  EXPECT_EQ(d->RowCount(), 0);
}

// ---- The hidden main form ----

TEST_F(ZoneDialogWin, TheMainFormEndsFreelyWithoutObjectsAndAsksWhileOneLives) {
  std::unique_ptr<TfrmVgtMainForm, void (*)(TfrmVgtMainForm*)> main(
      TCustomForm::Create<TfrmVgtMainForm>(nullptr), [](TfrmVgtMainForm* f) { f->Free(); });
  EXPECT_FALSE(main->Visible());
  {
    TMessageBoxReader boxes(IDNO);
    EXPECT_TRUE(main->CloseQuery());
    EXPECT_TRUE(boxes.Boxes().empty());
  }
  Object = NewZoneDialog();
  ASSERT_TRUE(Object);
  {
    TMessageBoxReader boxes(IDNO);
    EXPECT_FALSE(main->CloseQuery());
    EXPECT_EQ(boxes.Boxes().size(), 1u);
  }
  {
    TMessageBoxReader boxes(IDYES);
    EXPECT_TRUE(main->CloseQuery());
    EXPECT_EQ(boxes.Boxes().size(), 1u);
  }
}

// Every method turns whatever its body raises into an HRESULT.
class TRefusingZoneDialog : public TZoneDialog {
 public:
  HRESULT Code = S_OK;

 protected:
  void BeginCall() override {
    if (Code == S_OK) throw std::runtime_error("refused");
    throw EOleSysError("refused", Code);
  }
};

TEST_F(ZoneDialogWin, EveryMethodTurnsItsFailureIntoAResult) {
  for (HRESULT code : {S_OK, E_ACCESSDENIED}) {
    auto* raw = new TRefusingZoneDialog;
    raw->Code = code;
    ComPtr<IZoneDialog> object(static_cast<IZoneDialog*>(raw));
    const HRESULT expected = code == S_OK ? E_UNEXPECTED : code;
    VARIANT_BOOL v = 0;
    EXPECT_EQ(object->SetParentWindow(0), expected);
    EXPECT_EQ(object->ShowDialog(), expected);
    EXPECT_EQ(object->DialogDone(&v), expected);
    EXPECT_EQ(object->AddDomain(nullptr, nullptr, 3, 0), expected);
    EXPECT_EQ(object->HighlevelDomains(&v), expected);
    EXPECT_EQ(object->RefreshWanted(&v), expected);
  }
}

}  // namespace
