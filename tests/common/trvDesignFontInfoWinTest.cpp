// Design-font metrics: stored or read live from the owning form, and the scale they give to
// another font. Wine maps fonts to what it has, so only relations between metrics are checked.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "base/DeviceContext.h"
#include "common/trvAPI.h"
#include "common/trvControls.h"
#include "common/trvDesignFontInfo.h"
#include "tests/support/WindowSupport.h"

namespace {

class TMeasuredForm : public TtrvNoResourceForm {
  VGT_CLASS(TMeasuredForm, TtrvNoResourceForm)
 public:
  using TtrvNoResourceForm::TtrvNoResourceForm;
};
VGT_PUBLISH(TMeasuredForm) {}

struct TScreenMetrics {
  TEXTMETRICW Tm{};
  int PixelsPerInchX = 0, PixelsPerInchY = 0;
};

// The font's metrics in a memory context like the screen's, measured here independently.
TScreenMetrics Measure(HFONT Font) {
  TScreenMetrics m;
  const TMemoryDC dc;
  const TSelectedObject selected(dc, Font);
  GetTextMetricsW(dc, &m.Tm);
  m.PixelsPerInchX = GetDeviceCaps(dc, LOGPIXELSX);
  m.PixelsPerInchY = GetDeviceCaps(dc, LOGPIXELSY);
  return m;
}

TScreenMetrics Measure(const LOGFONTW& LogFont) {
  const TGdiObject<HFONT> font(CreateFontIndirectW(&LogFont));
  return Measure(font);
}

class DesignFontInfo : public ::testing::Test {
 protected:
  void SetUp() override { Form.reset(TCustomForm::CreateNew<TMeasuredForm>(Application)); }
  void TearDown() override { Form.reset(); }
  // Design metrics as a form with the font of LogFont shows them.
  void StoreMetricsOf(TtrvDesignFontInfo& Info, const LOGFONTW& LogFont) {
    const TScreenMetrics m = Measure(LogFont);
    Info.SetPixelsPerInchX(m.PixelsPerInchX);
    Info.SetPixelsPerInchY(m.PixelsPerInchY);
    Info.SetCharHeight(m.Tm.tmHeight);
    Info.SetAvgCharWidth(m.Tm.tmAveCharWidth);
  }
  TStartedApplication App;
  std::unique_ptr<TMeasuredForm> Form;
};

TEST_F(DesignFontInfo, StoredValuesUntilLiveThenTheOwningFormsFont) {
  auto* info = new TtrvDesignFontInfo(Form.get());
  info->SetCharHeight(1234);
  info->SetAvgCharWidth(567);
  info->SetPixelsPerInchX(77);
  info->SetPixelsPerInchY(88);
  EXPECT_EQ(info->CharHeight(), 1234);
  EXPECT_EQ(info->AvgCharWidth(), 567);
  EXPECT_EQ(info->PixelsPerInchX(), 77);
  EXPECT_EQ(info->PixelsPerInchY(), 88);

  info->SetLive(true);
  const TScreenMetrics m = Measure(Form->Font()->Handle());
  EXPECT_EQ(info->CharHeight(), m.Tm.tmHeight);
  EXPECT_EQ(info->AvgCharWidth(), m.Tm.tmAveCharWidth);
  EXPECT_EQ(info->PixelsPerInchX(), m.PixelsPerInchX);
  EXPECT_EQ(info->PixelsPerInchY(), m.PixelsPerInchY);

  const int smallHeight = info->CharHeight(), smallWidth = info->AvgCharWidth();
  Form->Font()->SetSize(Form->Font()->Size() * 3);
  EXPECT_GT(info->CharHeight(), smallHeight);
  EXPECT_GT(info->AvgCharWidth(), smallWidth);

  info->SetLive(false);
  EXPECT_EQ(info->CharHeight(), 1234);
}

TEST_F(DesignFontInfo, LiveWithoutAFormAmongTheOwnersReadsTheStoredValues) {
  std::unique_ptr<TComponent> holder(new TComponent(nullptr));
  auto* info = new TtrvDesignFontInfo(holder.get());
  info->SetCharHeight(21);
  info->SetLive(true);
  EXPECT_EQ(info->CharHeight(), 21);
}

TEST_F(DesignFontInfo, TheSameFontGivesNoScaleAndTheHeightPairOnTheTie) {
  TtrvDesignFontInfo info(nullptr);
  const LOGFONTW lf = ArialLogFont(-16);
  StoreMetricsOf(info, lf);
  int m = 0, d = 0, buttonHeight = 0;
  info.ComputeScale(lf, m, d, buttonHeight);
  EXPECT_EQ(m, d);
  EXPECT_EQ(d, MulDiv(info.CharHeight(), info.PixelsPerInchY(), 72));
  EXPECT_EQ(buttonHeight, 21);
}

TEST_F(DesignFontInfo, TheDimensionThatGrowsMoreGivesTheScale) {
  const LOGFONTW lf = ArialLogFont(-16);
  {
    SCOPED_TRACE("designed half as wide: the width pair");
    TtrvDesignFontInfo info(nullptr);
    StoreMetricsOf(info, lf);
    info.SetAvgCharWidth(info.AvgCharWidth() / 2);
    int m = 0, d = 0, buttonHeight = 0;
    info.ComputeScale(lf, m, d, buttonHeight);
    EXPECT_EQ(d, MulDiv(info.AvgCharWidth(), info.PixelsPerInchX(), 72));
    EXPECT_GT(m, d);
  }
  {
    SCOPED_TRACE("designed half as high: the height pair");
    TtrvDesignFontInfo info(nullptr);
    StoreMetricsOf(info, lf);
    info.SetCharHeight(info.CharHeight() / 2);
    int m = 0, d = 0, buttonHeight = 0;
    info.ComputeScale(lf, m, d, buttonHeight);
    EXPECT_EQ(d, MulDiv(info.CharHeight(), info.PixelsPerInchY(), 72));
    EXPECT_GT(m, d);
  }
  {
    SCOPED_TRACE("a larger font than designed scales up");
    TtrvDesignFontInfo info(nullptr);
    StoreMetricsOf(info, lf);
    int m = 0, d = 0, buttonHeight = 0;
    info.ComputeScale(ArialLogFont(-32), m, d, buttonHeight);
    EXPECT_GT(m, d);
  }
}

// Metrics never measured would divide by zero and give the form a negative size.
TEST_F(DesignFontInfo, WithoutDesignMetricsTheFormKeepsItsSize) {
  auto* info = new TtrvDesignFontInfo(Form.get());
  const LOGFONTW lf = ArialLogFont(-24);
  int m = 0, d = 0, buttonHeight = 0;
  info->ComputeScale(lf, m, d, buttonHeight);
  EXPECT_EQ(m, 1);
  EXPECT_EQ(d, 1);
  info->SetCharHeight(-5);
  info->SetAvgCharWidth(7);
  info->SetPixelsPerInchX(96);
  info->SetPixelsPerInchY(96);
  info->ComputeScale(lf, m, d, buttonHeight);
  EXPECT_EQ(m, 1);
  EXPECT_EQ(d, 1);

  Form->SetClientSize(240, 120);
  Form->HandleNeeded();
  const int width = Form->ClientWidth(), height = Form->ClientHeight();
  Form->ApplyDesignFont(&lf, d, m, buttonHeight);
  EXPECT_EQ(Form->ClientWidth(), width);
  EXPECT_EQ(Form->ClientHeight(), height);
}

}  // namespace
