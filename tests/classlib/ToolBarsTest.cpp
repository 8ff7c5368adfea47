// Tool bars with buttons linked to actions and images from an image list, image lists loaded
// from resources, frames placed on a form with their own description read first, check boxes and
// the group box's accelerator.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "classlib/ComCtrls.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Filer.h"
#include "classlib/Forms.h"
#include "classlib/Frames.h"
#include "classlib/ImgList.h"
#include "classlib/StdCtrls.h"
#include "classlib/Themes.h"
#include "tests/classlib/DescribedFormTest.h"
#include "tools/winshot/Screenshot.h"

namespace {

class TToolsFrame : public TFrame {
  VGT_CLASS(TToolsFrame, TFrame)
 public:
  using TFrame::TFrame;
  void PressClick(TObject*) { ++Presses; }
  int Presses = 0;
};

VGT_PUBLISH(TToolsFrame) { P.Handler(L"PressClick", &TToolsFrame::PressClick); }
VGT_REGISTER_FRAME(TToolsFrame);

class TToolsForm : public TForm, public TComponentFinder<TToolsForm> {
  VGT_CLASS(TToolsForm, TForm)
 public:
  using TForm::TForm;
  void FormCreate(TObject*) {
    Loaded = Find<TImageList>(L"Images")->GetResource(TResType::rtBitmap, L"TWOIMAGES", 16, 0xFF00FF);
  }
  void OpenActionExecute(TObject*) { ++Opens; }
  bool Loaded = false;
  int Opens = 0;
};

VGT_PUBLISH(TToolsForm) {
  P.Handler(L"FormCreate", &TToolsForm::FormCreate).Handler(L"OpenActionExecute", &TToolsForm::OpenActionExecute);
}

class ToolBars : public TDescribedFormTest<TToolsForm> {
 protected:
  void ShowForm() {
    F->Show();
    Application->ProcessMessages();
  }
  // Presses and releases the mouse over the middle of a tool button, as the user does.
  static void ClickButton(TToolButton* Button) {
    HWND bar = Button->ToolBar()->Handle();
    const LPARAM at = MAKELPARAM(Button->Left() + Button->Width() / 2, Button->Top() + Button->Height() / 2);
    SendMessageA(bar, WM_MOUSEMOVE, 0, at);
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(bar, WM_LBUTTONUP, 0, at);
    Application->ProcessMessages();
  }
};

TEST_F(ToolBars, ButtonsTakeTheirActionsCaptionsAndImages) {
  ASSERT_TRUE(F->Loaded);
  auto* images = F->Find<TImageList>(L"Images");
  EXPECT_EQ(images->Count(), 2);
  auto* tools = F->Find<TToolBar>(L"Tools");
  auto* open = F->Find<TToolButton>(L"OpenButton");
  auto* check = F->Find<TToolButton>(L"CheckButton");
  EXPECT_EQ(tools->ButtonCount(), 3);
  EXPECT_EQ(open->Index(), 0);
  EXPECT_EQ(check->Index(), 2);
  EXPECT_EQ(open->Caption(), "\xD6" "ffnen");
  EXPECT_EQ(open->Hint(), "Datei \xF6" "ffnen");
  EXPECT_EQ(open->ImageIndex(), 1);
  ShowForm();
  // The window knows each button by its control.
  TBBUTTON b{};
  ASSERT_TRUE(SendMessageA(tools->Handle(), TB_GETBUTTON, 0, reinterpret_cast<LPARAM>(&b)));
  EXPECT_EQ(reinterpret_cast<TToolButton*>(b.dwData), open);
  EXPECT_EQ(b.iBitmap, 1);
  char text[64] = {};
  SendMessageA(tools->Handle(), TB_GETBUTTONTEXTA, static_cast<WPARAM>(check->CommandId()),
               reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "Pr\xFC" "fen");
  // The controls stand where the window shows the buttons, in a row.
  EXPECT_EQ(open->Left(), 0);
  EXPECT_GT(check->Left(), open->Left() + open->Width());
  EXPECT_EQ(tools->Align(), TAlign::alTop);
  EXPECT_GE(tools->ClientHeight(), open->Height());

  // A click on the window's button runs the action; a changed action caption reaches the window.
  ClickButton(open);
  EXPECT_EQ(F->Opens, 1);
  auto* action = F->Find<TAction>(L"OpenAction");
  action->SetCaption("Laden");
  EXPECT_EQ(open->Caption(), "Laden");
  SendMessageA(tools->Handle(), TB_GETBUTTONTEXTA, static_cast<WPARAM>(open->CommandId()),
               reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "Laden");
  action->SetEnabled(false);
  EXPECT_FALSE(SendMessageA(tools->Handle(), TB_ISBUTTONENABLED, static_cast<WPARAM>(open->CommandId()), 0));
  action->SetChecked(true);
  EXPECT_TRUE(open->Down());

  // A check button follows the window's state.
  int checks = 0;
  check->OnClick = [&](TObject*) { ++checks; };
  ClickButton(check);
  EXPECT_TRUE(check->Down());
  ClickButton(check);
  EXPECT_FALSE(check->Down());
  EXPECT_EQ(checks, 2);
  SaveScreenshotOnRequest(F->Handle(), L"ClasslibToolsForm");
}

TEST_F(ToolBars, ButtonsAddedAndFreedInCodeLeaveTheWindowInStep) {
  auto* tools = F->Find<TToolBar>(L"Tools");
  ShowForm();
  auto* extra = new TToolButton(F.get());
  extra->SetCaption("Neu");
  extra->SetParent(tools);
  EXPECT_EQ(SendMessageA(tools->Handle(), TB_BUTTONCOUNT, 0, 0), 4);
  EXPECT_EQ(extra->Index(), 3);
  delete F->Find<TToolButton>(L"OpenButton");
  EXPECT_EQ(SendMessageA(tools->Handle(), TB_BUTTONCOUNT, 0, 0), 3);
  TBBUTTON b{};
  SendMessageA(tools->Handle(), TB_GETBUTTON, 2, reinterpret_cast<LPARAM>(&b));
  EXPECT_EQ(reinterpret_cast<TToolButton*>(b.dwData), extra);
  int clicks = 0;
  extra->OnClick = [&](TObject*) { ++clicks; };
  ClickButton(extra);
  EXPECT_EQ(clicks, 1);
}

TEST_F(ToolBars, EdgesTakeTheirWidthFromTheFrame) {
  auto* tools = F->Find<TToolBar>(L"Tools");
  EXPECT_TRUE(tools->EdgeBorders().Empty());
  auto* plain = new TToolBar(F.get());
  plain->SetParent(F.get());
  EXPECT_EQ(plain->EdgeBorders(), (TEdgeBorders{TEdgeBorder::ebTop}));
  ShowForm();
  EXPECT_EQ(tools->ClientHeight(), tools->Height());
  EXPECT_EQ(plain->ClientHeight(), plain->Height() - 2);
  plain->SetEdgeBorders(TEdgeBorders{TEdgeBorder::ebTop, TEdgeBorder::ebBottom, TEdgeBorder::ebLeft});
  plain->SetEdgeInner(TEdgeStyle::esNone);
  EXPECT_EQ(plain->ClientHeight(), plain->Height() - 2);
  EXPECT_EQ(plain->ClientWidth(), plain->Width() - 1);
}

TEST_F(ToolBars, ImageListCutsABitmapResourceAndDrawsWithoutTheMaskColour) {
  auto* images = F->Find<TImageList>(L"Images");
  ASSERT_EQ(images->Count(), 2);
  TBitmap target;
  target.SetSize(40, 20);
  TCanvas* c = target.Canvas();
  c->Brush()->SetColor(clWhite);
  c->FillRect(RECT{0, 0, 40, 20});
  images->Draw(c, 0, 0, 0);
  images->Draw(c, 20, 0, 1);
  images->Draw(c, 20, 0, 7);  // no such image: nothing
  EXPECT_EQ(target.Pixel(0, 5), clWhite) << "the mask colour lets the background show";
  EXPECT_EQ(target.Pixel(5, 5), clRed);
  EXPECT_EQ(target.Pixel(25, 5), 0x00A000);
  EXPECT_EQ(target.Pixel(38, 5), clWhite);
  TBitmap one;
  images->GetBitmap(1, &one);
  EXPECT_EQ(one.Width(), 16);
  EXPECT_EQ(one.Pixel(3, 3), 0x00A000);
  EXPECT_FALSE(images->GetResource(TResType::rtBitmap, L"NOSUCHBITMAP", 16, clNone));
  EXPECT_EQ(images->Count(), 2);
  EXPECT_THROW(images->Delete(5), EInvalidOperation);
  images->Delete(0);
  EXPECT_EQ(images->Count(), 1);
}

TEST_F(ToolBars, FramesReadTheirOwnDescriptionThenTheForms) {
  auto* first = F->Find<TToolsFrame>(L"FirstFrame");
  auto* second = F->Find<TToolsFrame>(L"SecondFrame");
  EXPECT_EQ(first->Parent(), F.get());
  EXPECT_EQ(first->Left(), 10);
  EXPECT_EQ(first->Top(), 60);
  // The frame's own size, and the form's where the form gives one.
  EXPECT_EQ(first->Width(), 300);
  EXPECT_EQ(first->Height(), 80);
  EXPECT_EQ(second->Height(), 90);
  // Each frame owns its components; the form's "inherited" part changed only the second.
  auto* firstTitle = dynamic_cast<TLabel*>(first->FindComponent(L"Title"));
  auto* secondTitle = dynamic_cast<TLabel*>(second->FindComponent(L"Title"));
  ASSERT_TRUE(firstTitle && secondTitle);
  EXPECT_EQ(firstTitle->Parent(), first);
  EXPECT_EQ(firstTitle->Caption(), "Rahmen");
  EXPECT_EQ(secondTitle->Caption(), "Zweiter");
  EXPECT_EQ(F->FindComponent(L"Title"), nullptr);
  // The frame's handlers are the frame's own.
  auto* press = dynamic_cast<TButton*>(second->FindComponent(L"Press"));
  ASSERT_TRUE(press);
  EXPECT_EQ(press->Caption(), "Dr\xFC" "cken");
  press->Click();
  EXPECT_EQ(second->Presses, 1);
  EXPECT_EQ(first->Presses, 0);
  ShowForm();
  EXPECT_TRUE(IsWindowVisible(press->Handle()));
}

TEST_F(ToolBars, FrameWithoutADescriptionIsNamedInTheError) {
  class TBareFrame : public TFrame {
    VGT_CLASS(TBareFrame, TFrame)
   public:
    using TFrame::TFrame;
  };
  try {
    std::unique_ptr<TBareFrame> f(TCustomFrame::Create<TBareFrame>(nullptr));
    FAIL() << "no error";
  } catch (const EResNotFound& e) {
    EXPECT_STREQ(e.what(), "Ressource TBareFrame wurde nicht gefunden");
  }
  // The plain frame needs none.
  std::unique_ptr<TFrame> plain(TCustomFrame::Create<TFrame>(nullptr));
  EXPECT_EQ(plain->ComponentCount(), 0);
}

TEST_F(ToolBars, CheckBoxStatesAndTheirClicks) {
  auto* box = new TCheckBox(F.get());
  box->SetParent(F.get());
  box->SetCaption("&Grau erlaubt");
  int clicks = 0;
  box->OnClick = [&](TObject*) { ++clicks; };
  box->SetAllowGrayed(true);
  box->SetChecked(true);
  box->SetChecked(true);
  EXPECT_EQ(clicks, 1);
  ShowForm();
  EXPECT_EQ(SendMessageA(box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  // A click in the window goes on: checked, grayed, unchecked.
  SendMessageA(box->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(box->State(), TCheckBoxState::cbGrayed);
  EXPECT_EQ(SendMessageA(box->Handle(), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
  SendMessageA(box->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(box->State(), TCheckBoxState::cbUnchecked);
  EXPECT_EQ(clicks, 3);
  box->SetAllowGrayed(false);
  SendMessageA(box->Handle(), BM_CLICK, 0, 0);
  SendMessageA(box->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(box->State(), TCheckBoxState::cbUnchecked);
  EXPECT_EQ(clicks, 5);
}

TEST_F(ToolBars, GroupBoxAcceleratorFocusesItsFirstControl) {
  auto* group = new TGroupBox(F.get());
  group->SetParent(F.get());
  group->SetCaption("&Zone");
  auto* first = new TEdit(F.get());
  first->SetParent(group);
  auto* second = new TEdit(F.get());
  second->SetParent(group);
  ShowForm();
  SetForegroundWindow(F->Handle());
  EXPECT_EQ(group->Perform(CM_DIALOGCHAR, 'x', 0), 0);
  EXPECT_EQ(group->Perform(CM_DIALOGCHAR, 'z', 0), 1);
  EXPECT_EQ(GetFocus(), first->Handle());
  // Children are placed below the caption.
  RECT r = group->ClientRect();
  group->AdjustClientRect(r);
  EXPECT_GT(r.top, 8);
}

// ---- The cool bar ----

class TCoolForm : public TForm {
  VGT_CLASS(TCoolForm, TForm)
 public:
  using TForm::TForm;
};
VGT_PUBLISH(TCoolForm) {}

// What the cool bar's window holds in one band.
REBARBANDINFOA WindowBand(TCoolBar* Bar, int Index) {
  REBARBANDINFOA info{};
  info.cbSize = REBARBANDINFOA_V6_SIZE;
  info.fMask = RBBIM_CHILD | RBBIM_STYLE | RBBIM_CHILDSIZE | RBBIM_ID;
  SendMessageA(Bar->Handle(), RB_GETBANDINFOA, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&info));
  return info;
}

// A described cool bar: its bands hold their controls in the platform's rebar, which places them;
// the bar is as high as its rows; a recreated control's window stays in its band; bands and
// controls that go leave the window in step.
TEST_F(ToolBars, CoolBarBandsHoldTheirControlsInTheWindow) {
  std::unique_ptr<TCoolForm> form(TCustomForm::CreateNew<TCoolForm>(nullptr));
  ReadComponentText(form.get(), LR"(object CoolForm: TCoolForm
  ClientWidth = 400
  ClientHeight = 200
  object Cool: TCoolBar
    AutoSize = True
    FixedOrder = True
    Bands = <
      item
        Control = Tools
        FixedSize = True
        MinHeight = 30
      end
      item
        Control = Address
        Break = False
        MinHeight = 19
        Text = 'Adresse'
      end>
    object Tools: TToolBar
      EdgeBorders = []
      AutoSize = True
      Flat = True
      ShowCaptions = True
      object One: TToolButton
        Caption = 'Eins'
      end
    end
    object Address: TEdit
      Width = 120
    end
  end
  object Rest: TPanel
    Align = alClient
  end
end)",
                    L"TCoolForm");
  auto* cool = dynamic_cast<TCoolBar*>(form->FindComponent(L"Cool"));
  auto* tools = dynamic_cast<TToolBar*>(form->FindComponent(L"Tools"));
  auto* address = dynamic_cast<TEdit*>(form->FindComponent(L"Address"));
  auto* rest = dynamic_cast<TPanel*>(form->FindComponent(L"Rest"));
  ASSERT_TRUE(cool && tools && address && rest);
  ASSERT_EQ(cool->Bands()->Count(), 2);
  EXPECT_EQ(cool->Bands()->Items(0)->Control(), tools);
  EXPECT_EQ(cool->Bands()->FindBand(address), cool->Bands()->Items(1));
  form->Show();
  Application->ProcessMessages();

  ASSERT_EQ(SendMessageA(cool->Handle(), RB_GETBANDCOUNT, 0, 0), 2);
  EXPECT_TRUE(GetWindowLongA(cool->Handle(), GWL_STYLE) & RBS_FIXEDORDER);
  const REBARBANDINFOA first = WindowBand(cool, 0), second = WindowBand(cool, 1);
  EXPECT_EQ(first.hwndChild, tools->Handle());
  EXPECT_EQ(first.fStyle & (RBBS_FIXEDSIZE | RBBS_NOGRIPPER), static_cast<UINT>(RBBS_FIXEDSIZE | RBBS_NOGRIPPER));
  EXPECT_GE(first.cyMinChild, 30u);
  EXPECT_EQ(second.hwndChild, address->Handle());
  EXPECT_FALSE(second.fStyle & RBBS_BREAK);
  // The window placed the controls, and the controls know where.
  RECT r;
  GetWindowRect(tools->Handle(), &r);
  MapWindowPoints(HWND_DESKTOP, cool->Handle(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(tools->Left(), r.left);
  EXPECT_EQ(tools->Top(), r.top);
  EXPECT_GT(address->Left(), tools->Left());
  // As high as the rows, and what is aligned below starts under it.
  EXPECT_GE(cool->BarHeight(), 30);
  EXPECT_EQ(cool->ClientHeight(), cool->BarHeight());
  EXPECT_EQ(rest->Top(), cool->Top() + cool->Height());

  // A tool bar that makes a new window stays in its band.
  const HWND old = tools->Handle();
  tools->SetFlat(false);
  ASSERT_NE(tools->Handle(), old);
  EXPECT_EQ(WindowBand(cool, 0).hwndChild, tools->Handle());

  // A band that goes leaves the window; so does a control, whose band then holds none.
  cool->Bands()->Delete(1);
  EXPECT_EQ(SendMessageA(cool->Handle(), RB_GETBANDCOUNT, 0, 0), 1);
  EXPECT_EQ(WindowBand(cool, 0).hwndChild, tools->Handle());
  delete tools;
  EXPECT_EQ(cool->Bands()->Items(0)->Control(), nullptr);
  cool->Bands()->Items(0)->SetMinHeight(40);
  EXPECT_EQ(WindowBand(cool, 0).hwndChild, nullptr);
  EXPECT_EQ(WindowBand(cool, 0).cyMinChild, 40u);
  EXPECT_EQ(cool->ClientHeight(), cool->BarHeight());
  SaveScreenshotOnRequest(form->Handle(), L"ClasslibCoolBar");
}

// ---- Scroll bars of a scrolling container ----

// A scroll box whose children reach past both edges: a hidden horizontal bar never shows and
// scrolls nothing; an arrow moves the content by the increment; a position stays in the range.
TEST_F(ToolBars, ScrollBarsHideTrackAndStepAsTheyAreSet) {
  auto* box = new TScrollBox(F.get());
  box->SetParent(F.get());
  box->SetBounds(200, 60, 150, 100);
  auto* wide = new TPanel(F.get());
  wide->SetParent(box);
  wide->SetBounds(0, 0, 400, 500);
  ShowForm();
  const HWND h = box->Handle();
  EXPECT_TRUE(GetWindowLongA(h, GWL_STYLE) & WS_HSCROLL);
  EXPECT_TRUE(box->VertScrollBar()->IsScrollBarVisible());
  box->HorzScrollBar()->SetVisible(false);
  EXPECT_FALSE(GetWindowLongA(h, GWL_STYLE) & WS_HSCROLL);
  EXPECT_FALSE(box->HorzScrollBar()->IsScrollBarVisible());
  EXPECT_TRUE(box->VertScrollBar()->IsScrollBarVisible());
  // Scrolled sideways, the content comes back when the bar goes, and does not move that way.
  box->HorzScrollBar()->SetPosition(50);
  EXPECT_EQ(box->HorzScrollBar()->Position(), 0);
  EXPECT_EQ(wide->Left(), 0);

  box->VertScrollBar()->SetIncrement(30);
  SendMessageA(h, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(box->VertScrollBar()->Position(), 30);
  EXPECT_EQ(wide->Top(), -30);
  box->VertScrollBar()->SetPosition(10000);
  EXPECT_EQ(box->VertScrollBar()->Position(), 500 - box->ClientHeight());
  box->VertScrollBar()->SetPosition(0);
  EXPECT_EQ(wide->Top(), 0);
}

}  // namespace
