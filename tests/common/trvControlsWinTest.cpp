// The form base: centring over windows of every kind and place, the create event, log-off, the
// design-font rescaling; and the screen-cursor stack with its delayed last pop.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <utility>

#include "classlib/ComCtrls.h"
#include "classlib/StdCtrls.h"
#include "common/Gradpanl.h"
#include "common/trvControls.h"
#include "common/trvDesignFontInfo.h"
#include "tests/support/WindowSupport.h"

namespace {

// ---- centring ----

class TCentredForm : public TtrvNoResourceForm {
  VGT_CLASS(TCentredForm, TtrvNoResourceForm)
 public:
  using TtrvNoResourceForm::TtrvNoResourceForm;
};
VGT_PUBLISH(TCentredForm) {}

int WidthOf(const RECT& R) { return R.right - R.left; }
int HeightOf(const RECT& R) { return R.bottom - R.top; }

class FormCentring : public ::testing::Test {
 protected:
  void SetUp() override {
    Form = TCustomForm::CreateNew<TCentredForm>(Application);
    Form->SetBounds(7, 9, 300, 200);
    Area = GetPrimaryMonitor()->WorkareaRect();
  }
  void TearDown() override { delete Form; }

  // An owner of Width x Height whose centre is at (X, Y).
  static RECT AroundPoint(int X, int Y, int Width, int Height) {
    return RECT{X - Width / 2, Y - Height / 2, X - Width / 2 + Width, Y - Height / 2 + Height};
  }
  int MidX() const { return (Area.left + Area.right) / 2; }
  int MidY() const { return (Area.top + Area.bottom) / 2; }
  void ExpectCentredOverWorkArea() const {
    EXPECT_EQ(Form->Left(), (Area.left + Area.right - 300) / 2);
    EXPECT_EQ(Form->Top(), (Area.top + Area.bottom - 200) / 2);
    ExpectSizeKeptInsideWorkArea();
  }
  void ExpectSizeKeptInsideWorkArea() const {
    EXPECT_EQ(Form->Width(), 300);
    EXPECT_EQ(Form->Height(), 200);
    const RECT r = Form->BoundsRect();
    EXPECT_GE(r.left, Area.left);
    EXPECT_GE(r.top, Area.top);
    EXPECT_LE(r.right, Area.right);
    EXPECT_LE(r.bottom, Area.bottom);
  }

  TStartedApplication App;
  TCentredForm* Form = nullptr;
  RECT Area{};
};

TEST_F(FormCentring, PrimaryMonitorIsTheOneThePlatformCallsPrimary) {
  RECT platformArea{};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &platformArea, 0));
  EXPECT_TRUE(GetPrimaryMonitor()->Primary());
  EXPECT_TRUE(EqualRect(&Area, &platformArea));
}

TEST_F(FormCentring, OverAnOwnerInTheMiddleTheCentresMeetAndTheWindowFollows) {
  TPlainWindow owner(AroundPoint(MidX() + 40, MidY() - 30, 500, 400));
  ASSERT_TRUE(owner.Handle());
  Form->CenterOnWindow(owner.Handle());
  RECT o;
  GetWindowRect(owner.Handle(), &o);
  EXPECT_EQ(Form->Left(), (o.left + o.right - 300) / 2);
  EXPECT_EQ(Form->Top(), (o.top + o.bottom - 200) / 2);
  ExpectSizeKeptInsideWorkArea();
  RECT w;
  ASSERT_TRUE(GetWindowRect(Form->Handle(), &w));
  EXPECT_EQ(w.left, Form->Left());
  EXPECT_EQ(w.top, Form->Top());
}

// An owner at each edge (partly off the work area): the form comes back to that edge and stays
// centred along it.
TEST_F(FormCentring, OverAnOwnerAtEachEdgeTheFormStaysOnTheWorkArea) {
  {
    SCOPED_TRACE("right edge");
    TPlainWindow owner(AroundPoint(Area.right - 20, MidY(), 200, 150));
    Form->CenterOnWindow(owner.Handle());
    EXPECT_EQ(Form->BoundsRect().right, Area.right);
    RECT o;
    GetWindowRect(owner.Handle(), &o);
    EXPECT_EQ(Form->Top(), (o.top + o.bottom - 200) / 2);
    ExpectSizeKeptInsideWorkArea();
  }
  {
    SCOPED_TRACE("left edge");
    TPlainWindow owner(AroundPoint(Area.left + 20, MidY(), 200, 150));
    Form->CenterOnWindow(owner.Handle());
    EXPECT_EQ(Form->Left(), Area.left);
    ExpectSizeKeptInsideWorkArea();
  }
  {
    SCOPED_TRACE("top edge");
    TPlainWindow owner(AroundPoint(MidX(), Area.top + 10, 200, 150));
    Form->CenterOnWindow(owner.Handle());
    EXPECT_EQ(Form->Top(), Area.top);
    RECT o;
    GetWindowRect(owner.Handle(), &o);
    EXPECT_EQ(Form->Left(), (o.left + o.right - 300) / 2);
    ExpectSizeKeptInsideWorkArea();
  }
  {
    SCOPED_TRACE("bottom edge");
    TPlainWindow owner(AroundPoint(MidX(), Area.bottom - 10, 200, 150));
    Form->CenterOnWindow(owner.Handle());
    EXPECT_EQ(Form->BoundsRect().bottom, Area.bottom);
    ExpectSizeKeptInsideWorkArea();
  }
  {
    SCOPED_TRACE("bottom-right corner, wholly off the screen");
    TPlainWindow owner(AroundPoint(Area.right + 400, Area.bottom + 400, 200, 150));
    Form->CenterOnWindow(owner.Handle());
    EXPECT_EQ(Form->BoundsRect().right, Area.right);
    EXPECT_EQ(Form->BoundsRect().bottom, Area.bottom);
    ExpectSizeKeptInsideWorkArea();
  }
}

TEST_F(FormCentring, AFormLargerThanTheWorkAreaEndsAtItsTopLeftCorner) {
  Form->SetBounds(0, 0, WidthOf(Area) + 100, HeightOf(Area) + 80);
  TPlainWindow owner(AroundPoint(MidX(), MidY(), 200, 150));
  Form->CenterOnWindow(owner.Handle());
  EXPECT_EQ(Form->Left(), Area.left);
  EXPECT_EQ(Form->Top(), Area.top);
  EXPECT_EQ(Form->Width(), WidthOf(Area) + 100);
}

TEST_F(FormCentring, WithoutAnOwnerOverThePrimaryWorkArea) {
  Form->CenterOnWindow(nullptr);
  ExpectCentredOverWorkArea();
}

// A handle from a COM client need not be a window: it counts as none, never as a rectangle.
TEST_F(FormCentring, OverAHandleThatIsNoWindowAsIfThereWereNone) {
  HWND bad = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x7FFE0));
  ASSERT_FALSE(IsWindow(bad));
  Form->SetBounds(-5000, -5000, 300, 200);
  Form->CenterOnWindow(bad);
  ExpectCentredOverWorkArea();
}

TEST_F(FormCentring, OverADestroyedWindowAsIfThereWereNone) {
  TPlainWindow owner(AroundPoint(Area.left + 150, Area.top + 100, 200, 150));
  const HWND gone = owner.Handle();
  owner.Destroy();
  ASSERT_FALSE(IsWindow(gone));
  Form->CenterOnWindow(gone);
  ExpectCentredOverWorkArea();
}

TEST(FitRectIntoWorkArea, ARectangleInsideStaysAndOneOutsideMovesWithItsSize) {
  const TStartedApplication app;
  const RECT area = GetPrimaryMonitor()->WorkareaRect();
  const RECT inside{area.left + 10, area.top + 10, area.left + 110, area.top + 60};
  const RECT same = FitRectIntoWorkArea(inside);
  EXPECT_TRUE(EqualRect(&same, &inside));
  const RECT moved = FitRectIntoWorkArea(RECT{area.left - 50, area.bottom - 20, area.left + 50, area.bottom + 30});
  EXPECT_EQ(moved.left, area.left);
  EXPECT_EQ(moved.bottom, area.bottom);
  EXPECT_EQ(WidthOf(moved), 100);
  EXPECT_EQ(HeightOf(moved), 50);
}

// ---- construction, create event, log-off ----

struct TCreateRecord {
  int Runs = 0;
  bool KeyPreviewSeen = false;
  bool ConstructionDone = false;  // the form's whole second construction phase had run
};

// A form that records its create event; the two forms below differ only in the order their
// descriptions give (OldOrderForm.fdt, NewOrderForm.fdt).
class TRecordingForm : public TtrvForm {
 public:
  using TtrvForm::TtrvForm;
  void FormCreate(TObject*) {
    ++Record.Runs;
    Record.KeyPreviewSeen = KeyPreview();
    Record.ConstructionDone = ConstructionDone;
  }
  TCreateRecord Record;

  // Public for the class library's construction template.
  void InitInstance() override {
    TtrvForm::InitInstance();
    ConstructionDone = true;
  }
  bool ConstructionDone = false;
};

class TOldOrderForm : public TRecordingForm {
  VGT_CLASS(TOldOrderForm, TtrvForm)
 public:
  using TRecordingForm::TRecordingForm;
};
VGT_PUBLISH(TOldOrderForm) { P.Handler(L"FormCreate", &TOldOrderForm::FormCreate); }

class TNewOrderForm : public TRecordingForm {
  VGT_CLASS(TNewOrderForm, TtrvForm)
 public:
  using TRecordingForm::TRecordingForm;
};
VGT_PUBLISH(TNewOrderForm) { P.Handler(L"FormCreate", &TNewOrderForm::FormCreate); }

TEST(TrvForm, CreateEventRunsOnceAfterTheConstructorWhateverTheCreateOrder) {
  const TStartedApplication app;
  std::unique_ptr<TOldOrderForm> oldOrder(TCustomForm::Create<TOldOrderForm>(Application));
  EXPECT_EQ(oldOrder->Record.Runs, 1);
  EXPECT_TRUE(oldOrder->Record.KeyPreviewSeen);
  EXPECT_TRUE(oldOrder->Record.ConstructionDone);
  EXPECT_FALSE(oldOrder->OldCreateOrder());
  std::unique_ptr<TNewOrderForm> newOrder(TCustomForm::Create<TNewOrderForm>(Application));
  EXPECT_EQ(newOrder->Record.Runs, 1);
  EXPECT_TRUE(newOrder->Record.KeyPreviewSeen);
  EXPECT_TRUE(newOrder->Record.ConstructionDone);
}

TEST(TrvForm, TheDescriptionFillsTheGradientPanelAndTheDesignFontInfo) {
  const TStartedApplication app;
  std::unique_ptr<TNewOrderForm> form(TCustomForm::Create<TNewOrderForm>(Application));
  auto* rows = dynamic_cast<TgradientPanel*>(form->FindComponent(L"Rows"));
  ASSERT_NE(rows, nullptr);
  EXPECT_EQ(rows->BeginColor(), clNavy);
  EXPECT_EQ(rows->EndColor(), clBtnFace);
  EXPECT_TRUE(rows->Horizontal());
  EXPECT_EQ(rows->MarginTop(), 3);
  EXPECT_EQ(rows->MarginRight(), 7);
  EXPECT_EQ(rows->Caption(), "Zone");
  EXPECT_EQ(rows->RampColor(0), static_cast<COLORREF>(clNavy));
  // A panel of the class library's, named so in the class information descriptions are matched by.
  EXPECT_NE(dynamic_cast<TCustomPanel*>(rows), nullptr);
  EXPECT_TRUE(rows->InheritsFrom(TCustomPanel::StaticClass()));
  auto* info = dynamic_cast<TtrvDesignFontInfo*>(form->FindComponent(L"DesignFont"));
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->PixelsPerInchX(), 96);
  EXPECT_EQ(info->PixelsPerInchY(), 120);
  EXPECT_EQ(info->CharHeight(), 13);
  EXPECT_EQ(info->AvgCharWidth(), 5);
}

TEST(TrvForm, AFormBuiltInCodeReadsNoDescriptionWhicheverWayItIsMade) {
  const TStartedApplication app;
  std::unique_ptr<TCentredForm> created(TCustomForm::Create<TCentredForm>(Application));
  EXPECT_EQ(created->ControlCount(), 0);
  EXPECT_FALSE(created->DesignFontApplied());
}

TEST(TrvForm, NeverHoldsUpALogOffAndAsksNoCloseQuery) {
  const TStartedApplication app;
  std::unique_ptr<TCentredForm> form(TCustomForm::CreateNew<TCentredForm>(Application));
  bool asked = false;
  form->OnCloseQuery = [&](TObject*, bool& CanClose) {
    asked = true;
    CanClose = false;
  };
  EXPECT_EQ(SendMessageW(form->Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 1);
  EXPECT_FALSE(asked);
}

// ---- design font ----

TEST(TrvFormDesignFont, RescalesSizesConstraintsAndFontOnceAndOnlyWithAFont) {
  const TStartedApplication app;
  std::unique_ptr<TCentredForm> form(TCustomForm::CreateNew<TCentredForm>(Application));
  form->SetClientSize(200, 100);
  form->Constraints()->SetMinWidth(150);
  form->Constraints()->SetMaxHeight(900);
  auto* button = new TButton(form.get());
  button->SetParent(form.get());
  button->SetBounds(10, 20, 80, 23);
  form->HandleNeeded();
  const int clientWidth = form->ClientWidth(), clientHeight = form->ClientHeight();

  form->ApplyDefaultDesignFont();
  EXPECT_FALSE(form->DesignFontApplied());
  EXPECT_EQ(form->ClientWidth(), clientWidth);

  const LOGFONTW lf = ArialLogFont(-20);
  form->ApplyDesignFont(&lf, 1, 2, 21);
  EXPECT_TRUE(form->DesignFontApplied());
  EXPECT_EQ(form->ClientWidth(), 2 * clientWidth);
  EXPECT_EQ(form->ClientHeight(), 2 * clientHeight);
  EXPECT_EQ(form->Constraints()->MinWidth(), 300);
  EXPECT_EQ(form->Constraints()->MinHeight(), 0);
  EXPECT_EQ(form->Constraints()->MaxWidth(), 0);
  EXPECT_EQ(form->Constraints()->MaxHeight(), 1800);
  EXPECT_EQ(button->BoundsRect().left, 20);
  EXPECT_EQ(button->Width(), 160);
  EXPECT_EQ(form->Font()->Name(), "Arial");
  EXPECT_EQ(form->Font()->Height(), -20);

  const LOGFONTW other = ArialLogFont(-40);
  form->ApplyDesignFont(&other, 1, 3, 21);
  EXPECT_EQ(form->ClientWidth(), 2 * clientWidth);
  EXPECT_EQ(form->Font()->Height(), -20);
}

TEST(TrvFormDesignFont, AScaleOfZeroOrLessKeepsTheSizeAndStillGivesTheFont) {
  const TStartedApplication app;
  for (const auto& [d, m] : {std::pair{0, 2}, std::pair{2, 0}, std::pair{-1, 1}}) {
    std::unique_ptr<TCentredForm> form(TCustomForm::CreateNew<TCentredForm>(Application));
    form->SetClientSize(200, 100);
    form->HandleNeeded();
    const int clientWidth = form->ClientWidth(), clientHeight = form->ClientHeight();
    const LOGFONTW lf = ArialLogFont(-20);
    form->ApplyDesignFont(&lf, d, m, 21);
    EXPECT_EQ(form->ClientWidth(), clientWidth);
    EXPECT_EQ(form->ClientHeight(), clientHeight);
    EXPECT_EQ(form->Font()->Height(), -20);
  }
}

// The form owns the font it was given: the handle stays a font until the form lets it go.
TEST(TrvFormDesignFont, TheFormKeepsTheFontItWasGiven) {
  const TStartedApplication app;
  std::unique_ptr<TCentredForm> form(TCustomForm::CreateNew<TCentredForm>(Application));
  const LOGFONTW lf = ArialLogFont(-20);
  form->ApplyDesignFont(&lf, 1, 1, 21);
  const HFONT given = form->Font()->Handle();
  EXPECT_EQ(GetObjectType(given), static_cast<DWORD>(OBJ_FONT));
  LOGFONTW back{};
  ASSERT_EQ(GetObjectW(given, sizeof back, &back), static_cast<int>(sizeof back));
  EXPECT_EQ(back.lfHeight, -20);
  // A window painted with it, and a change of the font, which lets the handle go once.
  form->SetClientSize(200, 100);
  form->Show();
  form->Update();
  form->Font()->SetHeight(-13);
  EXPECT_NE(form->Font()->Handle(), nullptr);
  EXPECT_EQ(GetObjectType(form->Font()->Handle()), static_cast<DWORD>(OBJ_FONT));
}

// Tool bars that size themselves get the button height asked for (widths in proportion, their
// controls scaled), also inside other controls; a control bar's rows hold its tallest tool bar.
TEST(TrvFormDesignFont, ToolBarButtonsAndControlBarRowsFollowTheFont) {
  const TStartedApplication app;
  std::unique_ptr<TCentredForm> form(TCustomForm::CreateNew<TCentredForm>(Application));
  form->SetClientSize(400, 300);
  auto* sizing = new TToolBar(form.get());
  sizing->SetParent(form.get());
  sizing->SetButtonWidth(60);
  sizing->SetButtonHeight(20);
  sizing->SetAutoSize(true);
  auto* gap = new TToolButton(form.get());
  gap->SetStyle(TToolButtonStyle::tbsSeparator);
  gap->SetWidth(8);
  gap->SetParent(sizing);
  auto* fixed = new TToolBar(form.get());
  fixed->SetParent(form.get());
  fixed->SetButtonWidth(60);
  fixed->SetButtonHeight(20);
  auto* holder = new TPanel(form.get());
  holder->SetParent(form.get());
  holder->SetAlign(TAlign::alBottom);
  auto* rows = new TUtxControlBar(form.get());
  rows->SetParent(holder);
  rows->SetRowSize(26);
  auto* inner = new TToolBar(form.get());
  inner->SetParent(rows);
  inner->SetAutoSize(true);
  inner->SetButtonWidth(30);
  inner->SetButtonHeight(15);
  inner->SetAlign(TAlign::alNone);
  inner->SetBounds(11, 0, 100, 40);
  form->HandleNeeded();

  const LOGFONTW lf = ArialLogFont(-16);
  form->ApplyDesignFont(&lf, 1, 1, 40);
  EXPECT_EQ(sizing->ButtonHeight(), 40);
  EXPECT_EQ(sizing->ButtonWidth(), 120);
  EXPECT_EQ(fixed->ButtonHeight(), 20);
  EXPECT_EQ(fixed->ButtonWidth(), 60);
  EXPECT_EQ(inner->ButtonHeight(), 40);
  EXPECT_EQ(inner->ButtonWidth(), 80);
  EXPECT_EQ(rows->RowSize(), std::max(26, inner->Height()) + 4);
}

// Ctrl+PageDown and Ctrl+PageUp turn the visible pages of the page control that holds the focus,
// and the key goes no further; elsewhere, or without Ctrl, the key is the control's.
TEST(TrvForm, CtrlPageKeysTurnThePagesOfThePageControlWithTheFocus) {
  const TStartedApplication app;
  std::unique_ptr<TCentredForm> form(TCustomForm::CreateNew<TCentredForm>(Application));
  // As a form read from its description has it.
  form->SetKeyPreview(true);
  form->SetBounds(20, 20, 400, 300);
  auto* pages = new TPageControl(form.get());
  pages->SetParent(form.get());
  pages->SetBounds(0, 0, 380, 200);
  TTabSheet* sheets[3];
  for (auto*& sheet : sheets) {
    sheet = new TTabSheet(form.get());
    sheet->SetPageControl(pages);
  }
  sheets[1]->SetTabVisible(false);
  auto* onPage = new TEdit(form.get());
  onPage->SetParent(sheets[0]);
  auto* outside = new TEdit(form.get());
  outside->SetParent(form.get());
  outside->SetBounds(0, 220, 100, 24);
  pages->SetActivePage(sheets[0]);
  int changes = 0;
  pages->OnChange = [&](TObject*) { ++changes; };
  WORD seen = 0;
  onPage->OnKeyDown = [&](TObject*, WORD& Key, TShiftState) { seen = Key; };
  outside->OnKeyDown = [&](TObject*, WORD& Key, TShiftState) { seen = Key; };
  form->Show();
  SetForegroundWindow(form->Handle());
  onPage->SetFocus();
  Application->ProcessMessages();
  EXPECT_EQ(FindParentPageControl(onPage), pages);
  EXPECT_EQ(FindParentPageControl(outside), nullptr);

  BYTE keys[256];
  GetKeyboardState(keys);
  const BYTE control = keys[VK_CONTROL];
  auto press = [&](HWND Wnd, WORD Key, bool Ctrl) {
    keys[VK_CONTROL] = Ctrl ? 0x80 : 0;
    SetKeyboardState(keys);
    seen = 0;
    SendMessageW(Wnd, WM_KEYDOWN, Key, 1);
    keys[VK_CONTROL] = control;
    SetKeyboardState(keys);
  };
  press(onPage->Handle(), VK_NEXT, true);
  EXPECT_EQ(pages->ActivePage(), sheets[2]) << "the hidden page is passed over";
  EXPECT_EQ(seen, 0);
  EXPECT_EQ(changes, 1);
  press(onPage->Handle(), VK_PRIOR, true);
  EXPECT_EQ(pages->ActivePage(), sheets[0]);
  press(onPage->Handle(), VK_NEXT, false);
  EXPECT_EQ(pages->ActivePage(), sheets[0]);
  EXPECT_EQ(seen, VK_NEXT);
  outside->SetFocus();
  Application->ProcessMessages();
  press(outside->Handle(), VK_NEXT, true);
  EXPECT_EQ(pages->ActivePage(), sheets[0]);
  EXPECT_EQ(seen, VK_NEXT);
  EXPECT_EQ(changes, 2);
}

// ---- the cursor stack ----

class CursorStack : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CursorStackDepth(), 0);
    Screen->SetCursor(crHourGlass);
  }
  void TearDown() override {
    while (CursorStackDepth() > 0) PopCursor();
    // Leave no delay running into the next test: a push stops one, and the pop's own is waited for.
    PushHourGlassCursor();
    PopCursor();
    EXPECT_TRUE(PumpMessagesUntil([] { return Screen->Cursor() == crDefault; }));
  }
  TStartedApplication App;
};

TEST_F(CursorStack, NestedPushesGiveTheSavedCursorsBackAndTheLastPopEndsAtTheDefault) {
  PushDefaultCursor();
  EXPECT_EQ(Screen->Cursor(), crDefault);
  PushHourGlassCursor();
  EXPECT_EQ(Screen->Cursor(), crHourGlass);
  EXPECT_EQ(CursorStackDepth(), 2);
  PopCursor();
  EXPECT_EQ(Screen->Cursor(), crDefault);
  PushHourGlassCursor();
  PopCursor();
  EXPECT_EQ(Screen->Cursor(), crDefault);
  PopCursor();
  EXPECT_EQ(CursorStackDepth(), 0);
  // The hour-glass the first push found is never shown again.
  EXPECT_TRUE(PumpMessagesUntil([] { return Screen->Cursor() == crDefault; }));
}

TEST_F(CursorStack, TheLastPopLeavesTheCursorUntilTheDelayTicks) {
  PushHourGlassCursor();
  PopCursor();
  EXPECT_EQ(Screen->Cursor(), crHourGlass);
  EXPECT_TRUE(PumpMessagesUntil([] { return Screen->Cursor() == crDefault; }));
}

// The delay would have ticked long before a timer of four times its length.
TEST_F(CursorStack, APushWithinTheDelayCancelsIt) {
  PushHourGlassCursor();
  PopCursor();
  PushHourGlassCursor();
  const UINT_PTR probe = SetTimer(nullptr, 0, 4 * TCursorDelay::DelayMilliseconds, nullptr);
  ASSERT_NE(probe, 0u);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && !msg.hwnd && msg.wParam == probe) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  KillTimer(nullptr, probe);
  EXPECT_EQ(Screen->Cursor(), crHourGlass);
  PopCursor();
}

TEST_F(CursorStack, PushesForTheLifeOfAnObject) {
  {
    const TPushedCursor outer(TPushedCursor::TKind::Default);
    EXPECT_EQ(Screen->Cursor(), crDefault);
    {
      const TPushedCursor inner(TPushedCursor::TKind::HourGlass);
      EXPECT_EQ(Screen->Cursor(), crHourGlass);
    }
    EXPECT_EQ(Screen->Cursor(), crDefault);
    EXPECT_EQ(CursorStackDepth(), 1);
  }
  EXPECT_EQ(CursorStackDepth(), 0);
}

TEST_F(CursorStack, APopOfAnEmptyStackChangesNothing) {
  PopCursor();
  EXPECT_EQ(CursorStackDepth(), 0);
  EXPECT_EQ(Screen->Cursor(), crHourGlass);
}

}  // namespace
