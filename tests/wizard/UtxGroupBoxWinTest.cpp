// The Unicode group box and frame of the wizard's pages: the wide caption painted where it
// belongs (left, or right for right-to-left) with themes and without, an empty caption, the
// accelerator of the wide caption, and a frame's wide hint across the creation of its window.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <optional>

#include "base/DeviceContext.h"
#include "classlib/Themes.h"
#include "tools/winshot/Screenshot.h"
#include "unicode/UtxForms.h"
#include "unicode/UtxStdCtrls.h"
#include "unicode/UtxWindows.h"
#include "wizard/UtxFrame.h"
#include "wizard/trvGroupBox.h"

namespace {

WideString Shown(const WideString& Text) { return UnicodePlatform() ? Text : WidenText(NarrowText(Text)); }

struct TFreeForm {
  void operator()(TCustomForm* Form) const { Form->Free(); }
};

// The leftmost and rightmost dark pixels in the top Rows rows of the window; -1 when none.
std::pair<int, int> DarkColumns(HWND Wnd, int Rows) {
  RECT r{};
  GetClientRect(Wnd, &r);
  const TWindowDC dc(Wnd);
  int first = -1, last = -1;
  for (int y = 0; y < Rows; ++y)
    for (int x = 0; x < r.right; ++x) {
      const COLORREF c = GetPixel(dc, x, y);
      if (c != CLR_INVALID && GetRValue(c) + GetGValue(c) + GetBValue(c) < 250) {
        if (first < 0 || x < first) first = x;
        if (x > last) last = x;
      }
    }
  return {first, last};
}

class UtxGroupBox : public ::testing::TestWithParam<bool> {
 protected:
  static void SetUpTestSuite() { Application->Initialize(); }
  void SetUp() override {
    TThemeServices::SetThemesEnabledOverride(GetParam());
    UtxFormsStart();
    F.reset(TCustomForm::CreateNew<TUtxForm>(nullptr));
    F->SetBounds(50, 50, 400, 260);
    Box = new TtrvGroupBox(F.get());
    Box->SetParent(F.get());
    Box->SetBounds(10, 10, 300, 80);
    Box->Font()->SetColor(clBlack);
    Radio = new TUtxRadioButton(Box);
    Radio->SetParent(Box);
    Radio->SetBounds(16, 30, 120, 20);
    Radio->SetCaption(L"\x0410\x0411");
    Button = new TUtxButton(Box);
    Button->SetParent(Box);
    Button->SetBounds(150, 30, 100, 24);
    Button->SetCaption(L"&x \x4E2D");
    Button->OnClick = [this](TObject*) { ++ButtonClicks; };
  }
  void TearDown() override {
    F.reset();
    Application->ProcessMessages();
    UtxFormsStop();
    TThemeServices::SetThemesEnabledOverride(std::nullopt);
  }
  int CaptionRows() {
    const TWindowDC dc(Box->Handle());
    const TSelectedObject font(dc, Box->Font()->Handle());
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    return tm.tmHeight;
  }
  void ShowAndPaint() {
    F->Show();
    Application->ProcessMessages();
    RedrawWindow(Box->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
  std::unique_ptr<TUtxForm, TFreeForm> F;
  TtrvGroupBox* Box = nullptr;
  TUtxRadioButton* Radio = nullptr;
  TUtxButton* Button = nullptr;
  int ButtonClicks = 0;
};

TEST_P(UtxGroupBox, TheWideCaptionIsKeptAndPaintedFromTheLeftEdge) {
  const WideString caption = L"\x0417\x043E\x043D\x0430 \x4E2D\x6587 \x03C9";
  Box->SetCaption(caption);
  ShowAndPaint();
  EXPECT_EQ(Box->Caption(), Shown(caption));
  const auto [first, last] = DarkColumns(Box->Handle(), CaptionRows() / 2 - 2);
  ASSERT_GE(first, 0) << "no caption painted";
  EXPECT_GE(first, 8);
  EXPECT_LT(first, 20);
  EXPECT_LT(last, 200);
  SaveScreenshotOnRequest(F->Handle(), GetParam() ? L"UtxGroupBox_themed" : L"UtxGroupBox_classic");
}

TEST_P(UtxGroupBox, RightToLeftPutsTheCaptionEightPixelsFromTheRightEdge) {
  Box->SetBiDiMode(TBiDiMode::bdRightToLeft);
  Box->SetCaption(L"\x0417\x041E\x041D\x0410 \x03A9");  // capitals: the top rows hold glyphs
  ShowAndPaint();
  SaveScreenshotOnRequest(F->Handle(), GetParam() ? L"UtxGroupBox_rtl_themed" : L"UtxGroupBox_rtl_classic");
  const auto [first, last] = DarkColumns(Box->Handle(), CaptionRows() / 2 - 2);
  ASSERT_GE(first, 0) << "no caption painted";
  EXPECT_GT(first, 150);
  EXPECT_LE(last, 300 - 8);
  EXPECT_GE(last, 300 - 20);
}

TEST_P(UtxGroupBox, AnEmptyCaptionDrawsNoText) {
  Box->SetCaption(L"");
  ShowAndPaint();
  const auto [first, last] = DarkColumns(Box->Handle(), CaptionRows() / 2 - 2);
  // At most the frame's own line may reach into these rows (themed: from the very top).
  if (first >= 0) {
    EXPECT_TRUE(first <= 2 && last >= 290) << first << " " << last;
  }
}

TEST_P(UtxGroupBox, TheAcceleratorOfTheWideCaptionFocusesTheFirstChild) {
  Box->SetCaption(L"Grou&p \x03C9");
  ShowAndPaint();
  SetForegroundWindow(F->Handle());
  // The focus starts outside the box; the checked radio button is the box's first tab stop.
  auto* outside = new TUtxButton(F.get());
  outside->SetParent(F.get());
  outside->SetBounds(10, 120, 100, 24);
  Radio->SetChecked(true);
  Application->ProcessMessages();
  outside->SetFocus();
  ASSERT_EQ(GetFocus(), outside->Handle());
  TMessage m{CM_DIALOGCHAR, 'p', 0, 0};
  Box->Dispatch(m);
  EXPECT_EQ(m.Result, 1);
  EXPECT_EQ(GetFocus(), Radio->Handle());
  // A character that is not the box's own passes on to the children.
  TMessage other{CM_DIALOGCHAR, 'x', 0, 0};
  Box->Dispatch(other);
  EXPECT_EQ(ButtonClicks, 1);
  TMessage none{CM_DIALOGCHAR, 'q', 0, 0};
  Box->Dispatch(none);
  EXPECT_EQ(none.Result, 0);
}

INSTANTIATE_TEST_SUITE_P(Themes, UtxGroupBox, ::testing::Bool(),
                         [](const auto& Info) { return Info.param ? "Themed" : "Classic"; });

TEST(UtxFrame, AWideHintSurvivesTheCreationOfTheWindow) {
  Application->Initialize();
  UtxFormsStart();
  {
    std::unique_ptr<TUtxForm, TFreeForm> form(TCustomForm::CreateNew<TUtxForm>(nullptr));
    auto* frame = new TUtxFrame(form.get());
    const WideString hint = L"\x0421\x0442\x0440\x0430\x043D\x0438\x0446\x0430|\x4E2D\x6587";
    frame->SetHint(hint);
    frame->SetParent(form.get());
    frame->HandleNeeded();
    EXPECT_EQ(IsWindowUnicode(frame->Handle()) != 0, UnicodePlatform());
    EXPECT_EQ(frame->Hint(), Shown(hint));
    frame->RecreateWnd();
    frame->HandleNeeded();
    EXPECT_EQ(frame->Hint(), Shown(hint));
  }
  Application->ProcessMessages();
  UtxFormsStop();
}

}  // namespace
