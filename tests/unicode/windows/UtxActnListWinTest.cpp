// Wide actions: wide captions and hints through the action links into Unicode controls.
#include <gtest/gtest.h>

#include <memory>

#include "unicode/UtxActnList.h"
#include "unicode/UtxControlBase.h"
#include "unicode/UtxWindows.h"

namespace {

// Texts with no form in code page 1252; the two convert to the same 8-bit text.
const WideString kOmega = L"\x03C9 \x4E2D";
const WideString kOther = L"\x0416 \x0436";

// Unicode controls take part in actions through their base.
class TUtxTestLabel : public TUtxControlBase<TGraphicControl> {
  VGT_CLASS(TUtxTestLabel, TGraphicControl)
 public:
  using TUtxControlBase::TUtxControlBase;
};

// A hidden top-level window to hold windowed test controls.
class TUtxTestHost : public TWinControl {
  VGT_CLASS(TUtxTestHost, TWinControl)
 public:
  explicit TUtxTestHost(TComponent* AOwner) : TWinControl(AOwner) {
    SetVisible(false);
    SetControlStyle(ControlStyle() | csAcceptsControls);
  }

 protected:
  void CreateParams(TCreateParams& Params) override {
    TWinControl::CreateParams(Params);
    Params.Style = WS_OVERLAPPEDWINDOW;
    Params.WndParent = nullptr;
  }
};

class TUtxTestPanel : public TUtxControlBase<TWinControl> {
  VGT_CLASS(TUtxTestPanel, TWinControl)
 public:
  using TUtxControlBase::TUtxControlBase;
};

// A stand-in named like the class library's speed button, to check the choice of link class.
class TSpeedButton : public TGraphicControl {
  VGT_CLASS(TSpeedButton, TGraphicControl)
 public:
  using TGraphicControl::TGraphicControl;
};

WideString Shown(const WideString& Text) { return UnicodePlatform() ? Text : WidenText(NarrowText(Text)); }

class UtxActions : public ::testing::Test {
 protected:
  void SetUp() override { UtxControlsStart(); }
  void TearDown() override {
    Owner.reset();
    UtxControlsStop();
  }
  std::unique_ptr<TComponent> Owner{new TComponent(nullptr)};
};

TEST_F(UtxActions, WideCaptionAndHintReachLinkedControlsWhole) {
  auto* action = new TUtxAction(Owner.get());
  auto* label = new TUtxTestLabel(Owner.get());
  auto* host = new TUtxTestHost(Owner.get());
  auto* panel = new TUtxTestPanel(Owner.get());
  panel->SetParent(host);
  panel->HandleNeeded();
  label->SetAction(action);
  panel->SetAction(action);
  action->SetCaption(kOmega);
  action->SetHint(L"\x03C9|long \x03C9");
  EXPECT_EQ(action->Caption(), kOmega);
  EXPECT_EQ(action->TCustomAction::Caption(), "? ?");
  EXPECT_EQ(GetWideControlText(label), Shown(kOmega));
  EXPECT_EQ(GetWideControlText(panel), Shown(kOmega));
  EXPECT_EQ(GetWideHint(label), Shown(L"\x03C9|long \x03C9"));
  if (UnicodePlatform()) {
    wchar_t buf[64] = {};
    GetWindowTextW(panel->WindowHandle(), buf, 64);
    EXPECT_EQ(WideString(buf), kOmega);
  }
  // A second text with the same 8-bit form still reaches the controls.
  action->SetCaption(kOther);
  EXPECT_EQ(action->Caption(), kOther);
  EXPECT_EQ(GetWideControlText(label), Shown(kOther));
  EXPECT_EQ(GetWideControlText(panel), Shown(kOther));
  // The 8-bit caption set directly is what the wide caption then reads.
  action->TCustomAction::SetCaption("plain");
  EXPECT_EQ(action->Caption(), L"plain");
  EXPECT_EQ(GetWideControlText(label), L"plain");
}

TEST_F(UtxActions, CheckDefaultsKeepsWhatTheControlAlreadyHas) {
  auto* action = new TUtxAction(Owner.get());
  action->SetCaption(kOmega);
  action->SetHint(L"\x03C9 hint");
  auto* named = new TUtxTestLabel(Owner.get());
  named->SetName(L"Label1");
  SetWideControlText(named, L"Label1");
  ApplyWideActionChange(named, action, true);
  EXPECT_EQ(GetWideControlText(named), Shown(kOmega));
  EXPECT_EQ(GetWideHint(named), Shown(L"\x03C9 hint"));

  auto* own = new TUtxTestLabel(Owner.get());
  SetWideControlText(own, L"own");
  SetWideHint(own, L"own hint");
  ApplyWideActionChange(own, action, true);
  EXPECT_EQ(GetWideControlText(own), L"own");
  EXPECT_EQ(GetWideHint(own), L"own hint");
}

TEST_F(UtxActions, PlainActionPassesItsCaptionWidened) {
  auto* action = new TAction(Owner.get());
  auto* label = new TUtxTestLabel(Owner.get());
  label->SetAction(action);
  action->SetCaption("\xE9t\xE9");  // in the code page
  EXPECT_EQ(GetWideControlText(label), L"\x00E9t\x00E9");
  EXPECT_EQ(GetWideActionCaption(action), L"\x00E9t\x00E9");
  EXPECT_EQ(FindActionHelper(action), nullptr);
}

TEST_F(UtxActions, AssignKeepsCharactersOutsideTheCodePage) {
  auto* source = new TUtxAction(Owner.get());
  source->SetCaption(kOmega);
  source->SetHint(kOther);
  auto* copy = new TUtxAction(Owner.get());
  copy->Assign(source);
  EXPECT_EQ(copy->Caption(), kOmega);
  EXPECT_EQ(copy->Hint(), kOther);

  auto* label = new TUtxTestLabel(Owner.get());
  SetWideControlText(label, L"\x03B1\x03B2");
  auto* fromControl = new TUtxHintAction(Owner.get());
  SetWideHint(label, L"\x03B3 hint");
  fromControl->Assign(label);
  EXPECT_EQ(fromControl->Hint(), Shown(L"\x03B3 hint"));
  EXPECT_EQ(GetWideActionCaption(fromControl), Shown(L"\x03B1\x03B2"));
}

TEST_F(UtxActions, HelperIsMadeOnceAndGoesWithTheAction) {
  auto* action = new TUtxAction(Owner.get());
  TCustomActionHelper* helper = FindActionHelper(action);
  ASSERT_NE(helper, nullptr);
  EXPECT_EQ(FindActionHelper(action), helper);
  EXPECT_EQ(action->ComponentCount(), 1);
  delete action;  // frees the helper with it
}

TEST_F(UtxActions, LinkClassFollowsTheControlClass) {
  TUtxTestLabel label(nullptr);
  TUtxTestPanel panel(nullptr);
  TButton button(nullptr);
  TSpeedButton speed(nullptr);
  EXPECT_EQ(GetUtxActionLinkClass(&label)->Class, TUtxControlActionLink::StaticClass());
  EXPECT_EQ(GetUtxActionLinkClass(&panel)->Class, TUtxWinControlActionLink::StaticClass());
  EXPECT_EQ(GetUtxActionLinkClass(&button)->Class, TUtxButtonActionLink::StaticClass());
  EXPECT_EQ(GetUtxActionLinkClass(&speed)->Class, TUtxSpeedButtonActionLink::StaticClass());
  // The link made for a control is of that class.
  TUtxAction action(nullptr);
  label.SetAction(&action);
  ASSERT_NE(label.ActionLink(), nullptr);
  EXPECT_EQ(label.ActionLink()->ClassName(), L"TUtxControlActionLink");
  label.SetAction(nullptr);
}

}  // namespace
