// The library's controls: the panel's caption, system icons and bitmaps that are never destroyed,
// the URL label's cursors, underline and shell seam, the line, and tool buttons whose wide
// captions and actions reach the tool bar's window.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <vector>

#include "base/DeviceContext.h"
#include "classlib/Filer.h"
#include "common/trvControls.h"
#include "common/trvTools.h"
#include "tools/winshot/Screenshot.h"
#include "tests/support/WindowSupport.h"
#include "unicode/UtxActnList.h"
#include "unicode/UtxWindows.h"

namespace {

// Greek and CJK: outside code page 1252, so only a wide path shows them.
const WideString kWide = L"\x03A9\x03BC\x03AD\x03B3\x03B1 \x4E2D\x6587";

// What the 8-bit family keeps of a text: the code page's form of it.
WideString Shown(const WideString& Text) { return UnicodePlatform() ? Text : WidenText(NarrowText(Text)); }

class TControlsForm : public TtrvNoResourceForm {
  VGT_CLASS(TControlsForm, TtrvNoResourceForm)
 public:
  using TtrvNoResourceForm::TtrvNoResourceForm;
};
VGT_PUBLISH(TControlsForm) {}

class LibraryControls : public ::testing::Test {
 protected:
  void SetUp() override {
    Form = TCustomForm::CreateNew<TControlsForm>(Application);
    Form->SetBounds(40, 40, 420, 260);
  }
  void TearDown() override { delete Form; }

  void ShowForm() {
    Form->Show();
    Form->Update();
    Application->ProcessMessages();
  }

  TStartedApplication App;
  TControlsForm* Form = nullptr;
};

// ---- panel ----

// Columns of the panel's client area that hold a pixel of the text colour (black).
std::vector<int> InkColumns(TtrvPanel* Panel) {
  Panel->Repaint();
  std::vector<int> columns;
  const TWindowDC dc(Panel->Handle());
  for (int x = 0; x < Panel->ClientWidth(); ++x)
    for (int y = 0; y < Panel->ClientHeight(); ++y)
      if (GetPixel(dc, x, y) == RGB(0, 0, 0)) {
        columns.push_back(x);
        break;
      }
  return columns;
}

TEST_F(LibraryControls, PanelIsMadeFlatAndDrawsItsCaptionOnOneLineWhereAligned) {
  auto* panel = new TtrvPanel(Form);
  panel->SetParent(Form);
  panel->SetBounds(10, 10, 300, 40);
  panel->SetParentBackground(false);
  panel->SetColor(clWhite);
  panel->Font()->SetColor(clBlack);
  EXPECT_EQ(panel->BevelInner(), TBevelCut::bvNone);
  EXPECT_EQ(panel->BevelOuter(), TBevelCut::bvNone);
  EXPECT_EQ(panel->GetCaption(), L"");
  ShowForm();
  EXPECT_TRUE(InkColumns(panel).empty());

  panel->SetCaption(L"Test");
  panel->SetAlignment(TAlignment::taRightJustify);
  std::vector<int> ink = InkColumns(panel);
  ASSERT_FALSE(ink.empty());
  EXPECT_GT(ink.front(), 200);
  panel->SetAlignment(TAlignment::taLeftJustify);
  ink = InkColumns(panel);
  ASSERT_FALSE(ink.empty());
  EXPECT_LT(ink.back(), 100);
}

// A panel's description may give it an edge in its frame: the client area gives up two pixels on
// each side that has it, and the edge is drawn there in the shadow and highlight colours.
TEST_F(LibraryControls, PanelTakesTheEdgeItsDescriptionGives) {
  ReadComponentText(Form, LR"(object Controls: TControlsForm
  object Edged: TtrvPanel
    Left = 10
    Top = 60
    Width = 200
    Height = 50
    BevelKind = bkTile
  end
end)",
                    L"TControlsForm");
  auto* panel = dynamic_cast<TtrvPanel*>(Form->FindComponent(L"Edged"));
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->BevelKind(), TBevelKind::bkTile);
  ShowForm();
  EXPECT_EQ(panel->ClientWidth(), 196);
  EXPECT_EQ(panel->ClientHeight(), 46);
  {
    const TWholeWindowDC dc(panel->Handle());
    EXPECT_EQ(GetPixel(dc, 0, 25), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(GetPixel(dc, 199, 25), GetSysColor(COLOR_BTNHIGHLIGHT));
  }
  panel->SetBevelEdges(TBevelEdges{TBevelEdge::beTop});
  EXPECT_EQ(panel->ClientWidth(), 200);
  EXPECT_EQ(panel->ClientHeight(), 48);
  panel->SetBevelKind(TBevelKind::bkNone);
  EXPECT_EQ(panel->ClientHeight(), 50);
}

// ---- system icons and bitmaps ----

TEST_F(LibraryControls, WindowsIconShowsTheSystemsSharedImagesAndNeverDestroysThem) {
  const HICON warning = static_cast<HICON>(LoadImageA(nullptr, MAKEINTRESOURCEA(32515), IMAGE_ICON, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
  ASSERT_TRUE(warning);
  {
    auto* icon = new TtrvWindowsIcon(Form);
    icon->SetParent(Form);
    EXPECT_EQ(icon->WindowsImage(), TtrvWindowsImageIndex::wiNothing);
    EXPECT_EQ(icon->Picture()->Graphic(), nullptr);
    icon->SetWindowsImage(TtrvWindowsImageIndex::wicWarning);
    EXPECT_TRUE(icon->IsIcon());
    EXPECT_EQ(icon->Picture()->Icon()->Handle(), warning);
    EXPECT_EQ(icon->Picture()->Width(), GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(icon->Picture()->Height(), GetSystemMetrics(SM_CYICON));
    icon->SetWindowsImage(TtrvWindowsImageIndex::wiNothing);
    EXPECT_EQ(icon->Picture()->Graphic(), nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(warning, &info));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);

    // An OEM bitmap; and the last image given up when the control goes.
    icon->SetWindowsImage(TtrvWindowsImageIndex::wimClose);
    EXPECT_FALSE(icon->IsIcon());
    const HBITMAP close = icon->Picture()->Bitmap()->Handle();
    ASSERT_TRUE(close);
    EXPECT_GT(icon->Picture()->Width(), 0);
    icon->SetWindowsImage(TtrvWindowsImageIndex::wicError);
    BITMAP bm{};
    EXPECT_TRUE(GetObjectA(close, sizeof bm, &bm));
    delete icon;
  }
  // The error icon the control held when it went is still the system's.
  const HICON error = static_cast<HICON>(LoadImageA(nullptr, MAKEINTRESOURCEA(32513), IMAGE_ICON, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(error, &info));
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
}

TEST_F(LibraryControls, EveryBitmapValueNamesItsOemBitmap) {
  auto* icon = new TtrvWindowsIcon(Form);
  const struct {
    TtrvWindowsImageIndex Value;
    UINT Id;
  } cases[] = {{TtrvWindowsImageIndex::wimLfArrowI, 32734}, {TtrvWindowsImageIndex::wimMnArrowD, 32739},
               {TtrvWindowsImageIndex::wimOldClose, 32767}, {TtrvWindowsImageIndex::wimOldRestore, 32755},
               {TtrvWindowsImageIndex::wimCheck, 32760}};
  for (const auto& c : cases) {
    icon->SetWindowsImage(c.Value);
    // The platform may hand out a new handle for each load of a bitmap: the same picture is
    // known by its size.
    const HANDLE expected = LoadImageA(nullptr, MAKEINTRESOURCEA(c.Id), IMAGE_BITMAP, 0, 0, LR_SHARED);
    if (!expected) continue;  // the platform may not have every old bitmap
    BITMAP bm{};
    ASSERT_TRUE(GetObjectA(expected, sizeof bm, &bm));
    EXPECT_TRUE(icon->Picture()->Bitmap()->Handle()) << static_cast<int>(c.Value);
    EXPECT_EQ(icon->Picture()->Width(), bm.bmWidth) << static_cast<int>(c.Value);
    EXPECT_EQ(icon->Picture()->Height(), bm.bmHeight) << static_cast<int>(c.Value);
  }
  icon->SetWindowsImage(TtrvWindowsImageIndex::wicQues);
  EXPECT_EQ(icon->Picture()->Icon()->Handle(), LoadImageA(nullptr, MAKEINTRESOURCEA(32514), IMAGE_ICON, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
}

// ---- URL label ----

class URLLabel : public LibraryControls {
 protected:
  void SetUp() override {
    LibraryControls::SetUp();
    Previous = SetShellOpenURL([this](const WideString& URL) { Opened.push_back(URL); });
    Label = new TtrvURLLabel(Form);
    Label->SetParent(Form);
    Label->SetCaption(L"Tervana");
  }
  void TearDown() override {
    SetShellOpenURL(Previous);
    LibraryControls::TearDown();
  }
  bool Underlined() const { return Label->Font()->Style().Contains(TFontStyle::fsUnderline); }

  TShellOpenURL Previous;
  std::vector<WideString> Opened;
  TtrvURLLabel* Label = nullptr;
};

TEST_F(URLLabel, WithAnAddressHandAndUnderlineAndTheClickOpensItThroughTheShell) {
  EXPECT_EQ(Label->Cursor(), crHandPoint);
  const WideString address = L"https://www.example.com/" + kWide;
  Label->SetURLToLaunch(address);
  EXPECT_EQ(Label->Cursor(), crHandPoint);
  Label->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_TRUE(Underlined());
  Label->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(Underlined());
  int clicks = 0;
  Label->OnClick = [&](TObject*) { ++clicks; };
  Label->Click();
  EXPECT_EQ(clicks, 1);
  ASSERT_EQ(Opened.size(), 1u);
  EXPECT_EQ(Opened[0], address);
}

TEST_F(URLLabel, WithoutAnAddressTheEmptyCursorNoUnderlineAndNothingOpened) {
  Label->SetEmptyCursor(crNo);
  Label->SetURLToLaunch(L"https://www.example.com/");
  Label->SetURLToLaunch(L"");
  EXPECT_EQ(Label->Cursor(), crNo);
  Label->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_FALSE(Underlined());
  Label->Click();
  EXPECT_TRUE(Opened.empty());
}

TEST_F(URLLabel, EachCursorShowsOnlyInItsOwnState) {
  Label->SetURLToLaunch(L"https://www.example.com/");
  Label->SetDisabledCursor(crNo);
  EXPECT_EQ(Label->Cursor(), crHandPoint);  // not disabled: not shown
  Label->SetEnabled(false);
  EXPECT_EQ(Label->Cursor(), crNo);
  Label->SetLinkCursor(crCross);
  EXPECT_EQ(Label->Cursor(), crNo);  // disabled: the link cursor waits
  Label->SetEnabled(true);
  EXPECT_EQ(Label->Cursor(), crCross);
  // Enabling shows the link cursor also without an address.
  Label->SetURLToLaunch(L"");
  Label->SetEnabled(false);
  Label->SetEnabled(true);
  EXPECT_EQ(Label->Cursor(), crCross);
  // A new address shows the link cursor even while disabled.
  Label->SetEnabled(false);
  Label->SetURLToLaunch(L"https://www.example.org/");
  EXPECT_EQ(Label->Cursor(), crCross);
}

// ---- line ----

TEST_F(LibraryControls, LineRunsAlongItsEdgeAndRefusesAnUnknownPosition) {
  POINT from{}, to{};
  TtrvLine::LinePoints(TtrvLinePosition::trvlpBottom, 10, 5, from, to);
  EXPECT_EQ(from.x, 0);
  EXPECT_EQ(from.y, 4);
  EXPECT_EQ(to.x, 10);
  EXPECT_EQ(to.y, 4);
  TtrvLine::LinePoints(TtrvLinePosition::trvlpRight, 10, 5, from, to);
  EXPECT_EQ(from.x, 9);
  EXPECT_EQ(to.y, 5);
  EXPECT_THROW(TtrvLine::LinePoints(static_cast<TtrvLinePosition>(7), 10, 5, from, to), EMustNotHappen);

  auto* line = new TtrvLine(Form);
  line->SetParent(Form);
  EXPECT_EQ(line->LinePosition(), TtrvLinePosition::trvlpTop);
  line->SetLinePosition(TtrvLinePosition::trvlpBottom);
  try {
    line->SetLinePosition(static_cast<TtrvLinePosition>(4));
    ADD_FAILURE() << "position 4 was taken";
  } catch (const ETRVException& e) {
    EXPECT_EQ(e.WideMessage(), L"TtrvLine.SetLinePosition: Value is not valid");
  }
  EXPECT_EQ(line->LinePosition(), TtrvLinePosition::trvlpBottom);

  // Drawn: the bottom row in the line's colour, the row above it not.
  Form->SetColor(clWhite);
  line->SetParentColor(false);
  line->SetColor(clRed);
  line->SetBounds(20, 20, 10, 5);
  ShowForm();
  Form->Repaint();
  const TWindowDC dc(Form->Handle());
  EXPECT_EQ(GetPixel(dc, 25, 24), RGB(255, 0, 0));
  EXPECT_NE(GetPixel(dc, 25, 23), RGB(255, 0, 0));
}

// ---- tool bar and tool buttons ----

class ToolBars : public LibraryControls {
 protected:
  void SetUp() override {
    LibraryControls::SetUp();
    Bar = new TtrvToolBar(Form);
    Bar->SetParent(Form);
    Bar->SetShowCaptions(true);
    Bar->SetList(true);
  }
  TtrvToolButton* AddButton(const WideString& Caption) {
    auto* b = new TtrvToolButton(Form);
    b->SetCaption(Caption);
    b->SetParent(Bar);
    return b;
  }
  // The caption the bar's window holds for a button.
  WideString WindowCaption(TtrvToolButton* Button) {
    wchar_t text[256] = {};
    const LRESULT n = SendMessageW(Bar->Handle(), TB_GETBUTTONTEXTW, Button->CommandId(), reinterpret_cast<LPARAM>(text));
    return n < 0 ? WideString() : WideString(text, static_cast<size_t>(n));
  }
  TtrvToolBar* Bar = nullptr;
};

TEST_F(ToolBars, CaptionsOutsideTheCodePageReachTheWindowWideAndOthersTheEightBitRoad) {
  auto* wide = AddButton(kWide);
  auto* plain = AddButton(L"Caf\x00E9");
  ShowForm();
  EXPECT_EQ(WindowCaption(plain), L"Caf\x00E9");
  EXPECT_EQ(WindowCaption(wide), UnicodePlatform() ? kWide : WidenText(NarrowText(kWide)));
  // A changed caption goes by the button-information message.
  wide->SetCaption(L"\x0416\x0416");
  if (UnicodePlatform()) {
    EXPECT_EQ(WindowCaption(wide), L"\x0416\x0416");
  }
  plain->SetCaption(L"Tee");
  EXPECT_EQ(WindowCaption(plain), L"Tee");
  EXPECT_EQ(wide->Caption(), Shown(L"\x0416\x0416"));
}

TEST_F(ToolBars, WholeDropDownReachesTheButtonsStyle) {
  auto* b = AddButton(L"Menu");
  b->SetStyle(TToolButtonStyle::tbsDropDown);
  b->SetWholeDropDown(true);
  ShowForm();
  TBBUTTON info{};
  ASSERT_TRUE(SendMessageW(Bar->Handle(), TB_GETBUTTON, 0, reinterpret_cast<LPARAM>(&info)));
  EXPECT_TRUE(info.fsStyle & BTNS_WHOLEDROPDOWN);
  b->SetWholeDropDown(false);
  ASSERT_TRUE(SendMessageW(Bar->Handle(), TB_GETBUTTON, 0, reinterpret_cast<LPARAM>(&info)));
  EXPECT_FALSE(info.fsStyle & BTNS_WHOLEDROPDOWN);
  b->SetShowText(true);
  EXPECT_TRUE(b->ShowText());
}

TEST_F(ToolBars, AnActionGivesItsWideCaptionAndHintAndItsCheckedState) {
  auto* action = new TUtxAction(Form);
  action->SetCaption(kWide);
  action->SetHint(L"\x03B7 hint");
  action->SetChecked(true);
  auto* b = AddButton(L"");
  b->SetStyle(TToolButtonStyle::tbsCheck);
  b->SetAction(action);
  ShowForm();
  EXPECT_EQ(b->Caption(), Shown(kWide));
  EXPECT_EQ(b->Hint(), Shown(L"\x03B7 hint"));
  EXPECT_TRUE(b->Down());
  if (UnicodePlatform()) {
    EXPECT_EQ(WindowCaption(b), kWide);
  }
  // The link follows the action's later changes.
  action->SetCaption(L"\x4E2D");
  action->SetChecked(false);
  EXPECT_EQ(b->Caption(), Shown(L"\x4E2D"));
  EXPECT_FALSE(b->Down());
}

TEST_F(ToolBars, ACaptionOfItsOwnIsKeptWhenTheActionComesWithDefaults) {
  auto* action = new TUtxAction(Form);
  action->SetCaption(L"From action");
  auto* b = AddButton(L"Own");
  b->ActionChange(action, true);
  EXPECT_EQ(b->Caption(), L"Own");
  b->ActionChange(action, false);
  EXPECT_EQ(b->Caption(), L"From action");
}

// ---- application title ----

TEST_F(LibraryControls, ApplicationTitleIsWideOnTheTaskBarButton) {
  SetApplicationTitle(kWide);
  EXPECT_EQ(Application->Title(), NarrowText(kWide));
  if (UnicodePlatform()) {
    // Read as the task bar reads it: without asking the window.
    wchar_t text[64] = {};
    InternalGetWindowText(Application->Handle(), text, 64);
    EXPECT_EQ(WideString(text), kWide);
  }
  TFont font;
  SetDialogFont(&font);
  EXPECT_EQ(WidenText(font.Name()), GetDialogFontName());
}

TEST_F(LibraryControls, ScreenshotOnRequest) {
  if (ScreenshotDir().empty()) GTEST_SKIP() << "set VGT_SCREENSHOT_DIR to make one";
  SetWideControlText(Form, L"trv controls " + kWide);
  auto* bar = new TtrvToolBar(Form);
  bar->SetParent(Form);
  bar->SetShowCaptions(true);
  bar->SetList(true);
  for (const WideString& caption : {WideString(L"Caf\x00E9"), kWide}) {
    auto* b = new TtrvToolButton(Form);
    b->SetCaption(caption);
    b->SetParent(bar);
  }
  auto* panel = new TtrvPanel(Form);
  panel->SetParent(Form);
  panel->SetBounds(10, 50, 250, 30);
  panel->SetBevelOuter(TBevelCut::bvLowered);
  panel->SetCaption(L"Panel " + kWide);
  auto* icon = new TtrvWindowsIcon(Form);
  icon->SetParent(Form);
  icon->SetBounds(280, 50, 40, 40);
  icon->SetWindowsImage(TtrvWindowsImageIndex::wicInformation);
  auto* url = new TtrvURLLabel(Form);
  url->SetParent(Form);
  url->SetBounds(10, 100, 200, 16);
  url->Font()->SetColor(clBlue);
  url->SetCaption(L"www.example.com");
  url->SetURLToLaunch(L"https://www.example.com/");
  url->Perform(CM_MOUSEENTER, 0, 0);
  auto* line = new TtrvLine(Form);
  line->SetParent(Form);
  line->SetParentColor(false);
  line->SetColor(clBtnShadow);
  line->SetLinePosition(TtrvLinePosition::trvlpBottom);
  line->SetBounds(10, 130, 380, 4);
  Form->Show();
  const DWORD until = GetTickCount() + 500;
  while (GetTickCount() < until) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    Application->ProcessMessages();
  }
  EXPECT_TRUE(SaveScreenshotOnRequest(Form->Handle(), UnicodePlatform() ? L"trvControls" : L"trvControls_win98"));
}

}  // namespace
