// Controls without forms: a windowed control hosted in a plain platform window.
#include <gtest/gtest.h>

#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <stdexcept>
#include <utility>

#include "classlib/ActnList.h"
#include "classlib/Controls.h"
#include "classlib/StdCtrls.h"
#include "tests/support/ControlPixels.h"

namespace {

int HandledExceptions = 0;
std::string LastExceptionText;

void RecordException(TObject*) {
  ++HandledExceptions;
  try {
    throw;
  } catch (const std::exception& e) {
    LastExceptionText = e.what();
  }
}

class Host : public ::testing::Test {
 protected:
  void SetUp() override {
    InitControls();
    ApplicationHandleException = RecordException;
    HandledExceptions = 0;
    Wnd = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                          GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(Wnd, nullptr) << "no display";
    Panel = new TWinControl(nullptr);
    Panel->SetBounds(0, 0, 300, 200);
    Panel->SetParentWindow(Wnd);
  }
  void TearDown() override {
    delete Panel;
    DestroyWindow(Wnd);
    ApplicationHandleException = nullptr;
  }
  HWND Wnd = nullptr;
  TWinControl* Panel = nullptr;
};

class Throwing : public TGraphicControl {
  VGT_CLASS(Throwing, TGraphicControl)
 public:
  using TGraphicControl::TGraphicControl;
};

TEST_F(Host, CaptionLivesInTheWindowAndSurvivesRecreation) {
  auto* child = new TWinControl(nullptr);
  child->SetCaption("before");
  child->SetParent(Panel);
  ASSERT_TRUE(child->HandleAllocated());
  char buf[32] = {};
  GetWindowTextA(child->Handle(), buf, sizeof buf);
  EXPECT_STREQ(buf, "before");
  SetWindowTextA(child->Handle(), "changed by the platform");
  EXPECT_EQ(child->Caption(), "changed by the platform");
  HWND old = child->Handle();
  child->RecreateWnd();
  EXPECT_NE(child->WindowHandle(), old);
  EXPECT_EQ(child->Caption(), "changed by the platform");
  EXPECT_EQ(FindControl(child->Handle()), child);
}

TEST_F(Host, AlignStacksEdgesAndFillsTheRest) {
  auto make = [&](TAlign a, int size) {
    auto* c = new TWinControl(nullptr);
    c->SetBounds(0, 0, size, size);
    c->SetAlign(a);
    c->SetParent(Panel);
    return c;
  };
  TControl* top = make(TAlign::alTop, 20);
  TControl* bottom = make(TAlign::alBottom, 30);
  TControl* left = make(TAlign::alLeft, 40);
  TControl* client = make(TAlign::alClient, 5);
  RECT cr = Panel->ClientRect();
  EXPECT_EQ(top->Top(), 0);
  EXPECT_EQ(top->Width(), cr.right);
  EXPECT_EQ(bottom->Top(), cr.bottom - 30);
  EXPECT_EQ(left->Top(), 20);
  EXPECT_EQ(left->Height(), cr.bottom - 50);
  EXPECT_EQ(client->Left(), 40);
  EXPECT_EQ(client->Width(), cr.right - 40);
  EXPECT_EQ(client->Height(), cr.bottom - 50);
  // Resizing the parent re-aligns; hiding an aligned control gives its room away.
  Panel->SetBounds(0, 0, 250, 150);
  cr = Panel->ClientRect();
  EXPECT_EQ(client->Width(), cr.right - 40);
  top->Hide();
  EXPECT_EQ(left->Top(), 0);
}

TEST_F(Host, ExceptionInAHandlerReachesTheApplicationAndTheProgramGoesOn) {
  auto* g = new Throwing(nullptr);
  g->SetBounds(10, 10, 50, 50);
  g->SetParent(Panel);
  g->OnClick = [](TObject*) { throw std::runtime_error("click failed"); };
  HWND h = Panel->Handle();
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  EXPECT_EQ(HandledExceptions, 1);
  EXPECT_EQ(LastExceptionText, "click failed");
  // The window still works.
  Panel->SetCaption("alive");
  EXPECT_EQ(Panel->Caption(), "alive");
}

TEST_F(Host, ControlFreedByItsOwnClickIsNotTouchedAfterwards) {
  // A windowless control: its parent's window procedure delivers the click.
  auto* g = new Throwing(nullptr);
  g->SetBounds(10, 10, 50, 50);
  g->SetParent(Panel);
  g->OnClick = [g](TObject*) { delete g; };
  HWND h = Panel->Handle();
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  EXPECT_EQ(Panel->ControlCount(), 0);

  // A windowed control freed while its own window procedure runs.
  auto* w = new TWinControl(nullptr);
  w->SetBounds(10, 10, 50, 50);
  w->SetParent(Panel);
  w->OnClick = [w](TObject*) { delete w; };
  HWND wh = w->Handle();
  SendMessageA(wh, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(wh, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_FALSE(IsWindow(wh));
  EXPECT_EQ(Panel->ControlCount(), 0);

  // A control freed by the action its click runs.
  TActionList list(nullptr);
  auto* action = new TAction(&list);
  auto* a = new Throwing(nullptr);
  a->SetBounds(10, 10, 50, 50);
  a->SetParent(Panel);
  a->SetAction(action);
  action->OnExecute = [a](TObject*) { delete a; };
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  EXPECT_EQ(Panel->ControlCount(), 0);
  EXPECT_EQ(action->ActionComponent(), nullptr);
  EXPECT_EQ(action->ClientCount(), 0);

  // A platform button whose click frees its parent, window and all.
  auto* b = new TButton(nullptr);
  b->SetParent(Panel);
  b->OnClick = [this](TObject*) {
    // This handler is freed with the button: nothing of it is read after the delete.
    delete std::exchange(Panel, nullptr);
  };
  HWND bh = b->Handle();
  SendMessageA(bh, BM_CLICK, 0, 0);
  EXPECT_EQ(Panel, nullptr);
  EXPECT_FALSE(IsWindow(bh));
  EXPECT_EQ(HandledExceptions, 0);
}

// A top-level control that sees typed characters before its children.
class PreviewHost : public TWinControl {
  VGT_CLASS(PreviewHost, TWinControl)
 public:
  using TWinControl::TWinControl;
  std::function<void()> OnPreview;

 protected:
  bool PreviewKeyPress(char&) override {
    if (OnPreview) OnPreview();
    return false;
  }
};

TEST_F(Host, ControlFreedByTheKeyPreviewOfItsFormIsNotTouchedAfterwards) {
  auto* host = new PreviewHost(nullptr);
  host->SetBounds(0, 0, 200, 100);
  host->SetParentWindow(Wnd);
  auto* child = new TWinControl(nullptr);
  child->SetBounds(10, 10, 50, 20);
  child->SetParent(host);
  int typed = 0;
  child->OnKeyPress = [&](TObject*, char&) { ++typed; };
  host->OnPreview = [&] { delete std::exchange(host, nullptr); };
  HWND h = child->Handle();
  SendMessageA(h, WM_CHAR, 'x', 1);
  EXPECT_EQ(host, nullptr);
  EXPECT_EQ(typed, 0);
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(HandledExceptions, 0);
}

TEST_F(Host, ActionChangesReachLinkedControlsThatFollowIt) {
  TActionList list(nullptr);
  auto* action = new TAction(&list);
  action->SetActionList(&list);
  action->SetCaption("Open");
  auto* linked = new TWinControl(nullptr);
  linked->SetParent(Panel);
  linked->SetAction(action);
  EXPECT_EQ(linked->Caption(), "Open");
  action->SetCaption("Save");
  EXPECT_EQ(linked->Caption(), "Save");
  // The change signal that follows every change puts the action's caption back on the control.
  linked->SetCaption("own");
  action->SetCaption("Close");
  EXPECT_EQ(linked->Caption(), "Close");
  int runs = 0;
  action->OnExecute = [&](TObject*) { ++runs; };
  linked->Click();
  EXPECT_EQ(runs, 1);
  action->SetEnabled(false);
  EXPECT_FALSE(linked->Enabled());
  delete action;
  EXPECT_EQ(linked->Action(), nullptr);
}

TEST(TypInfo, PublishedPropertiesInDeclarationOrderAndByName) {
  auto props = GetPropList(TWinControl::StaticClass());
  ASSERT_GE(props.size(), 5u);
  EXPECT_EQ(props[0]->Name, L"Tag");
  EXPECT_EQ(props[1]->Name, L"Left");
  const TPropInfo* align = GetPropInfo(TWinControl::StaticClass(), L"align");
  ASSERT_NE(align, nullptr);
  EXPECT_EQ(align->Kind, TTypeKind::tkEnum);
  TWinControl c(nullptr);
  SetOrdProp(&c, align, static_cast<int64_t>(TAlign::alClient));
  EXPECT_EQ(c.Align(), TAlign::alClient);
  EXPECT_EQ(GetPropInfo(TWinControl::StaticClass(), L"NoSuchThing"), nullptr);
  EXPECT_EQ(FindComponentClass(L"TWinControl"), TWinControl::StaticClass());
}

}  // namespace

#include <vsstyle.h>

#include "classlib/Themes.h"

namespace {

TEST_F(Host, ConstraintsLimitTheSizeAndScalingMovesChildren) {
  auto* c = new TWinControl(nullptr);
  c->SetParent(Panel);
  c->Constraints()->SetMinWidth(50);
  c->Constraints()->SetMaxHeight(30);
  c->SetBounds(10, 10, 20, 100);
  EXPECT_EQ(c->Width(), 50);
  EXPECT_EQ(c->Height(), 30);
  c->Constraints()->SetMaxHeight(0);
  c->SetBounds(10, 10, 60, 40);
  Panel->ScaleBy(3, 2);
  EXPECT_EQ(c->Left(), 15);
  EXPECT_EQ(c->Width(), 90);
  EXPECT_EQ(c->Height(), 60);
}

TEST(Themes, TestsCanSwitchThemesOnAndOff) {
  TThemeServices::SetThemesEnabledOverride(false);
  EXPECT_FALSE(ThemeServices()->ThemesEnabled());
  TThemeServices::SetThemesEnabledOverride(true);
  EXPECT_TRUE(ThemeServices()->ThemesEnabled());
  // Drawing a group box element is safe whether or not the theme has it.
  const TMemoryDC dc;
  ThemeServices()->DrawElement(dc, ThemeServices()->GetElementDetails(TThemedButton::tbGroupBoxNormal),
                               RECT{0, 0, 50, 50});
  TThemeServices::SetThemesEnabledOverride(std::nullopt);
  EXPECT_EQ(ThemeServices()->GetElementDetails(TThemedButton::tbGroupBoxDisabled).State, GBS_DISABLED);
}

}  // namespace

namespace {

// Erases Control's window into a bitmap and gives the colour in its middle.
COLORREF ErasedColour(TWinControl* Control) {
  const TScreenBitmap bitmap(Control->Width(), Control->Height());
  SendMessageA(Control->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(bitmap.DC()), 0);
  return bitmap.At(Control->Width() / 2, Control->Height() / 2);
}

TEST_F(Host, ParentBackgroundShowsTheParentOnlyWithThemes) {
  Panel->SetColor(clRed);
  auto* child = new TWinControl(nullptr);
  child->SetBounds(10, 10, 40, 40);
  child->SetColor(clBlue);
  child->SetParentBackground(true);
  child->SetParent(Panel);
  TThemeServices::SetThemesEnabledOverride(false);
  EXPECT_EQ(ErasedColour(child), RGB(0, 0, 255));
  TThemeServices::SetThemesEnabledOverride(true);
  EXPECT_EQ(ErasedColour(child), RGB(255, 0, 0));
  child->SetParentBackground(false);
  EXPECT_EQ(ErasedColour(child), RGB(0, 0, 255));
  TThemeServices::SetThemesEnabledOverride(std::nullopt);
}

}  // namespace

#include "classlib/StdCtrls.h"

namespace {

TEST_F(Host, FlatParentMakesItsEditsFlat) {
  auto* edit = new TEdit(nullptr);
  edit->SetParent(Panel);
  EXPECT_TRUE(GetWindowLongA(edit->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  Panel->SetCtl3D(false);
  EXPECT_FALSE(edit->Ctl3D());
  EXPECT_FALSE(GetWindowLongA(edit->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  // A control that set its own look keeps it.
  edit->SetCtl3D(true);
  Panel->SetCtl3D(true);
  Panel->SetCtl3D(false);
  EXPECT_TRUE(edit->Ctl3D());
}

}  // namespace
