// The gradient panel: its colour ramp, the bands as painted (read back from a bitmap), the flat
// margins, the flat fill on a display of few colours, and repainting only on a change.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "base/DeviceContext.h"
#include "common/Gradpanl.h"
#include "common/trvControls.h"
#include "tests/support/WindowSupport.h"

namespace {

class TPanelHostForm : public TtrvNoResourceForm {
  VGT_CLASS(TPanelHostForm, TtrvNoResourceForm)
 public:
  using TtrvNoResourceForm::TtrvNoResourceForm;
};
VGT_PUBLISH(TPanelHostForm) {}

// A panel that can pretend to paint on a display of another colour depth.
class TDepthPanel : public TgradientPanel {
  VGT_CLASS(TDepthPanel, TgradientPanel)
 public:
  using TgradientPanel::TgradientPanel;
  int Depth = 0;  // 0: the real one
  int ModeChanges = 0;

 protected:
  int PaintBitsPerPixel() override { return Depth ? Depth : TgradientPanel::PaintBitsPerPixel(); }
  void GradientModeChanged() override { ++ModeChanges; }
};
VGT_PUBLISH(TDepthPanel) {}

// What a control paints, in a 32-bit bitmap of its size.
class TPaintedImage {
 public:
  explicit TPaintedImage(TWinControl* Control) : FCanvas(Control->Width(), Control->Height()) {
    Control->PaintTo(FCanvas.DC(), 0, 0);
    GdiFlush();
  }
  COLORREF Pixel(int X, int Y) const {
    const DWORD p = FCanvas.Pixel(X, Y);
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }

 private:
  TPixelCanvas FCanvas;
};

class GradientPanel : public ::testing::Test {
 protected:
  void SetUp() override {
    Form.reset(TCustomForm::CreateNew<TPanelHostForm>(Application));
    Form->SetBounds(20, 20, 500, 400);
    Panel = new TDepthPanel(Form.get());
    Panel->SetParent(Form.get());
    Panel->SetBounds(0, 0, 300, 255);
  }
  void TearDown() override { Form.reset(); }
  TStartedApplication App;
  std::unique_ptr<TPanelHostForm> Form;
  TDepthPanel* Panel = nullptr;
};

TEST_F(GradientPanel, StartsAsDesignedWithTheRampFromButtonShadowToSilver) {
  std::unique_ptr<TgradientPanel> fresh(new TgradientPanel(nullptr));
  EXPECT_EQ(fresh->Width(), 377);
  EXPECT_EQ(fresh->Height(), 121);
  EXPECT_EQ(fresh->BeginColor(), clBtnShadow);
  EXPECT_EQ(fresh->EndColor(), clSilver);
  EXPECT_FALSE(fresh->Horizontal());
  EXPECT_TRUE(fresh->GradientMode());
  EXPECT_EQ(fresh->RampColor(0), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(fresh->RampColor(254), static_cast<COLORREF>(clSilver));
}

TEST_F(GradientPanel, TheRampEndsExactlyAtTheEndColourOnEntry254) {
  Panel->SetBeginColor(RGB(0, 200, 10));
  Panel->SetEndColor(RGB(255, 0, 10));
  EXPECT_EQ(Panel->RampColor(0), RGB(0, 200, 10));
  EXPECT_EQ(Panel->RampColor(254), RGB(255, 0, 10));
  for (int i = 1; i <= 254; ++i) {
    EXPECT_GE(GetRValue(Panel->RampColor(i)), GetRValue(Panel->RampColor(i - 1)));
    EXPECT_LE(GetGValue(Panel->RampColor(i)), GetGValue(Panel->RampColor(i - 1)));
  }
  // One step beyond the end: red 256 keeps its low 8 bits.
  EXPECT_EQ(GetRValue(Panel->RampColor(255)), 0);

  Panel->SetEndColor(RGB(0, 200, 10));
  for (int i = 0; i <= 254; ++i) EXPECT_EQ(Panel->RampColor(i), RGB(0, 200, 10));
}

TEST_F(GradientPanel, StackedBandsOnePixelEachAndEntry255NeverSeen) {
  Panel->SetBeginColor(RGB(0, 0, 0));
  Panel->SetEndColor(RGB(254, 254, 254));
  Panel->SetHorizontal(true);
  const TPaintedImage image(Panel);
  for (int y = 0; y < 255; ++y) {
    EXPECT_EQ(image.Pixel(0, y), Panel->RampColor(y)) << "row " << y;
    EXPECT_EQ(image.Pixel(299, y), Panel->RampColor(y)) << "row " << y;
  }
  EXPECT_EQ(image.Pixel(150, 0), RGB(0, 0, 0));
  EXPECT_EQ(image.Pixel(150, 254), RGB(254, 254, 254));
}

TEST_F(GradientPanel, BandsFromLeftToRightBetweenFlatMargins) {
  Panel->SetBeginColor(RGB(0, 0, 255));
  Panel->SetEndColor(RGB(255, 0, 0));
  Panel->SetMarginLeft(20);
  Panel->SetMarginRight(30);
  // Margins across the bands' direction are not painted.
  Panel->SetMarginTop(40);
  const TPaintedImage image(Panel);
  for (int x : {0, 10, 19}) EXPECT_EQ(image.Pixel(x, 100), RGB(0, 0, 255)) << "x " << x;
  for (int x : {270, 285, 299}) EXPECT_EQ(image.Pixel(x, 100), RGB(255, 0, 0)) << "x " << x;
  EXPECT_EQ(image.Pixel(20, 5), RGB(0, 0, 255));
  int lastRed = -1;
  for (int x = 20; x < 270; ++x) {
    const COLORREF c = image.Pixel(x, 100);
    EXPECT_GE(GetRValue(c), lastRed) << "x " << x;
    lastRed = GetRValue(c);
    EXPECT_EQ(image.Pixel(x, 0), c) << "a column is one colour";
  }
  EXPECT_GT(GetRValue(image.Pixel(145, 100)), 64);
  EXPECT_LT(GetRValue(image.Pixel(145, 100)), 192);
}

TEST_F(GradientPanel, StackedBandsBetweenTopAndBottomMargins) {
  Panel->SetHorizontal(true);
  Panel->SetBeginColor(RGB(10, 20, 30));
  Panel->SetEndColor(RGB(210, 220, 230));
  Panel->SetMarginTop(15);
  Panel->SetMarginBottom(25);
  const TPaintedImage image(Panel);
  EXPECT_EQ(image.Pixel(5, 0), RGB(10, 20, 30));
  EXPECT_EQ(image.Pixel(5, 14), RGB(10, 20, 30));
  EXPECT_EQ(image.Pixel(5, 230), RGB(210, 220, 230));
  EXPECT_EQ(image.Pixel(5, 254), RGB(210, 220, 230));
  int last = -1;
  for (int y = 15; y < 230; ++y) {
    EXPECT_GE(GetGValue(image.Pixel(5, y)), last) << "row " << y;
    last = GetGValue(image.Pixel(5, y));
  }
}

TEST_F(GradientPanel, FewColoursGiveAFlatFillAndOneModeChangePerSwitch) {
  Panel->SetBeginColor(RGB(0, 128, 0));
  Panel->SetEndColor(RGB(255, 255, 255));
  Panel->Depth = 8;
  {
    const TPaintedImage image(Panel);
    EXPECT_EQ(image.Pixel(0, 0), RGB(0, 128, 0));
    EXPECT_EQ(image.Pixel(299, 254), RGB(0, 128, 0));
  }
  const TPaintedImage again(Panel);
  EXPECT_FALSE(Panel->GradientMode());
  EXPECT_EQ(Panel->ModeChanges, 1);
  Panel->Depth = 15;
  { const TPaintedImage image(Panel); }
  EXPECT_EQ(Panel->ModeChanges, 1);
  Panel->Depth = 16;
  const TPaintedImage graded(Panel);
  EXPECT_TRUE(Panel->GradientMode());
  EXPECT_EQ(Panel->ModeChanges, 2);
  EXPECT_EQ(graded.Pixel(299, 100), RGB(255, 255, 255));
}

TEST_F(GradientPanel, TheCaptionIsPaintedOverTheBands) {
  Panel->SetBeginColor(RGB(255, 255, 255));
  Panel->SetEndColor(RGB(255, 255, 255));
  Panel->Font()->SetColor(clBlack);
  Panel->SetCaption("WWWW");
  const TPaintedImage image(Panel);
  int dark = 0;
  for (int x = 0; x < 80; ++x)
    for (int y = 0; y < 255; ++y)
      if (GetRValue(image.Pixel(x, y)) < 128) ++dark;
  EXPECT_GT(dark, 0);
  EXPECT_EQ(image.Pixel(200, 5), RGB(255, 255, 255));
}

TEST_F(GradientPanel, OnlyAChangedColourRepaints) {
  Form->Show();
  HWND panel = Panel->Handle();
  UpdateWindow(Form->Handle());
  ASSERT_FALSE(GetUpdateRect(panel, nullptr, FALSE));
  Panel->SetBeginColor(Panel->BeginColor());
  EXPECT_FALSE(GetUpdateRect(panel, nullptr, FALSE));
  Panel->SetEndColor(Panel->EndColor());
  EXPECT_FALSE(GetUpdateRect(panel, nullptr, FALSE));
  Panel->SetBeginColor(RGB(1, 2, 3));
  EXPECT_TRUE(GetUpdateRect(panel, nullptr, FALSE));
  UpdateWindow(panel);
  Panel->SetMarginTop(Panel->MarginTop());
  EXPECT_TRUE(GetUpdateRect(panel, nullptr, FALSE));
}

}  // namespace
