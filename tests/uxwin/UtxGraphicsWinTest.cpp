// Wide canvas text: measuring and drawing UTF-16 text.
#include <gtest/gtest.h>

#include "unicode/UtxGraphics.h"

namespace {

TEST(UtxGraphics, ExtentOfDCIsClearedWhenTheCallFails) {
  SIZE size{123, 456};
  EXPECT_FALSE(WideTextExtentOfDC(nullptr, L"\x03C9", size));
  EXPECT_EQ(size.cx, 0);
  EXPECT_EQ(size.cy, 0);
}

TEST(UtxGraphics, ExtentOfDCMeasuresWideText) {
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  SIZE one{}, two{};
  EXPECT_TRUE(WideTextExtentOfDC(dc, L"\x03C9", one));
  EXPECT_TRUE(WideTextExtentOfDC(dc, L"\x03C9\x03C9", two));
  EXPECT_GT(one.cx, 0);
  EXPECT_EQ(two.cx, 2 * one.cx);
  EXPECT_EQ(two.cy, one.cy);
  DeleteDC(dc);
}

}  // namespace
