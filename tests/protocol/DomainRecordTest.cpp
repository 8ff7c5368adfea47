// The domain record the extension and the dialog exchange: each page feature has its bit of the
// flags byte that travels in AddDomain, and bits above the byte are ignored. The Windows 98 copy
// runs the same.
#include <gtest/gtest.h>

#include <cstdint>

#include "protocol/uVgtDomain.h"

namespace {

TEST(DomainFlags, FreshRecordAndAllSet) {
  TvgtDomain d;
  EXPECT_EQ(d.GetFlags(), 0u);
  EXPECT_EQ(d.Scheme, 0);
  EXPECT_TRUE(d.Domain.empty());
  d.HasApplet = d.InFrame = d.HasScript = d.HasActiveX = d.HasCookies = d.HasFrames = d.NoHtml =
      d.HasFontFace = true;
  EXPECT_EQ(d.GetFlags(), 0xFFu);
}

TEST(DomainFlags, EachBitHasItsField) {
  TvgtDomain d;
  d.SetFlags(0xFFFFFF00u);
  EXPECT_EQ(d.GetFlags(), 0u);
  d.SetFlags(0x84);
  EXPECT_TRUE(d.HasScript);
  EXPECT_TRUE(d.HasFontFace);
  EXPECT_EQ(d.GetFlags(), 0x84u);
  EXPECT_FALSE(d.HasActiveX || d.HasApplet || d.HasFrames || d.InFrame || d.HasCookies ||
               d.NoHtml);
  const struct {
    uint32_t Bit;
    bool TvgtDomain::*Field;
  } bits[] = {{0x01, &TvgtDomain::HasFrames},  {0x02, &TvgtDomain::InFrame},
              {0x04, &TvgtDomain::HasScript},  {0x08, &TvgtDomain::HasActiveX},
              {0x10, &TvgtDomain::HasApplet},  {0x20, &TvgtDomain::HasCookies},
              {0x40, &TvgtDomain::NoHtml},     {0x80, &TvgtDomain::HasFontFace}};
  for (const auto& b : bits) {
    TvgtDomain one;
    one.SetFlags(b.Bit | 0x100);
    EXPECT_TRUE(one.*b.Field) << b.Bit;
    EXPECT_EQ(one.GetFlags(), b.Bit);
    TvgtDomain field;
    field.*b.Field = true;
    EXPECT_EQ(field.GetFlags(), b.Bit);
  }
}

TEST(DomainFlags, RoundTripForEveryByte) {
  for (uint32_t flags = 0; flags < 256; ++flags) {
    TvgtDomain a;
    a.SetFlags(flags);
    TvgtDomain b;
    b.SetFlags(a.GetFlags());
    EXPECT_EQ(b.GetFlags(), flags);
    EXPECT_EQ(a.HasFontFace, b.HasFontFace);
    EXPECT_EQ(a.NoHtml, b.NoHtml);
  }
}

}  // namespace
