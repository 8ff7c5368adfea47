// Wide canvas text: measuring and drawing UTF-16 text.
#include <gtest/gtest.h>

#include "base/DeviceContext.h"
#include "unicode/UtxGraphics.h"

namespace {

TEST(UtxGraphics, ExtentOfDCIsClearedWhenTheCallFails) {
  SIZE size{123, 456};
  EXPECT_FALSE(WideTextExtentOfDC(nullptr, L"\x03C9", size));
  EXPECT_EQ(size.cx, 0);
  EXPECT_EQ(size.cy, 0);
}

TEST(UtxGraphics, ExtentOfDCMeasuresWideText) {
  const TMemoryDC dc;
  ASSERT_NE(dc.Get(), nullptr);
  SIZE one{}, two{};
  EXPECT_TRUE(WideTextExtentOfDC(dc, L"\x03C9", one));
  EXPECT_TRUE(WideTextExtentOfDC(dc, L"\x03C9\x03C9", two));
  EXPECT_GT(one.cx, 0);
  EXPECT_EQ(two.cx, 2 * one.cx);
  EXPECT_EQ(two.cy, one.cy);
}

}  // namespace

namespace {

struct MemoryCanvas {
  MemoryCanvas() : bmp(CreateCompatibleBitmap(dc, 200, 50)), selected(dc, bmp) { canvas.SetHandle(dc); }
  ~MemoryCanvas() { canvas.SetHandle(nullptr); }
  TMemoryDC dc;
  TGdiObject<HBITMAP> bmp;
  TSelectedObject selected;
  TCanvas canvas;
};

TEST(UtxGraphics, CanvasTextOutLeavesThePenAfterTheText) {
  MemoryCanvas m;
  const WideString text = L"\x03C9\x4E2D";
  const int width = WideCanvasTextWidth(&m.canvas, text);
  EXPECT_GT(width, 0);
  EXPECT_GT(WideCanvasTextHeight(&m.canvas, text), 0);
  int changes = 0;
  m.canvas.OnChange = [&](TObject*) { ++changes; };
  WideCanvasTextOut(&m.canvas, 10, 5, text);
  EXPECT_EQ(m.canvas.PenPos().x, 10 + width);
  EXPECT_EQ(m.canvas.PenPos().y, 5);
  EXPECT_EQ(changes, 1);
}

TEST(UtxGraphics, RightToLeftCanvasStartsBeyondTheTextWidth) {
  MemoryCanvas m;
  SetTextAlign(m.dc, TA_RTLREADING);
  const WideString text = L"\x05D0\x05D1";
  const int width = WideCanvasTextWidth(&m.canvas, text);
  WideCanvasTextOut(&m.canvas, 10, 0, text);
  EXPECT_EQ(m.canvas.PenPos().x, 10 + 2 * width + 1);
}

}  // namespace
