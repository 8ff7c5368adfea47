// Pictures: a JPEG image made here with the encoder decodes to its size and colours; damaged
// data is refused with an error, not a crash.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

#include "classlib/Graphics.h"

namespace {

// A W x H image, left half red, right half blue, as JPEG bytes.
std::vector<unsigned char> MakeJpeg(int W, int H) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = static_cast<JDIMENSION>(W);
  c.image_height = static_cast<JDIMENSION>(H);
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 95, TRUE);
  jpeg_start_compress(&c, TRUE);
  std::vector<unsigned char> row(static_cast<size_t>(W) * 3);
  for (int x = 0; x < W; ++x) {
    bool left = x < W / 2;
    row[x * 3 + 0] = left ? 255 : 0;
    row[x * 3 + 1] = 0;
    row[x * 3 + 2] = left ? 0 : 255;
  }
  while (c.next_scanline < c.image_height) {
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  std::vector<unsigned char> bytes(out, out + size);
  jpeg_destroy_compress(&c);
  std::free(out);
  return bytes;
}

TEST(Graphics, JpegDecodesToItsSizeAndColours) {
  auto bytes = MakeJpeg(32, 16);
  TPicture picture;
  picture.LoadFromMemory(bytes.data(), bytes.size());
  auto* jpeg = dynamic_cast<TJPEGImage*>(picture.Graphic());
  ASSERT_NE(jpeg, nullptr);
  EXPECT_EQ(picture.Width(), 32);
  EXPECT_EQ(picture.Height(), 16);
  COLORREF left = static_cast<COLORREF>(jpeg->Bitmap()->Pixel(4, 8));
  COLORREF right = static_cast<COLORREF>(jpeg->Bitmap()->Pixel(28, 8));
  EXPECT_GT(GetRValue(left), 200);
  EXPECT_LT(GetBValue(left), 60);
  EXPECT_GT(GetBValue(right), 200);
  EXPECT_LT(GetRValue(right), 60);

  // Drawn onto a bitmap, the picture keeps its colours.
  TBitmap target;
  target.SetSize(32, 16);
  target.Canvas()->Draw(0, 0, jpeg);
  EXPECT_GT(GetRValue(static_cast<COLORREF>(target.Pixel(4, 8))), 200);
}

TEST(Graphics, DamagedJpegIsRefused) {
  auto bytes = MakeJpeg(16, 16);
  std::vector<unsigned char> cut(bytes.begin(), bytes.begin() + 40);
  TJPEGImage jpeg;
  EXPECT_THROW(jpeg.LoadFromMemory(cut.data(), cut.size()), EInvalidGraphic);
  EXPECT_TRUE(jpeg.Empty());
  TPicture picture;
  const unsigned char junk[] = {1, 2, 3, 4, 5};
  EXPECT_THROW(picture.LoadFromMemory(junk, sizeof junk), EInvalidGraphic);
  // The picture that failed to load still holds nothing, and a good load afterwards works.
  EXPECT_EQ(picture.Graphic(), nullptr);
  picture.LoadFromMemory(bytes.data(), bytes.size());
  EXPECT_EQ(picture.Width(), 16);
}

// A header claiming a picture whose pixel buffer size does not fit the address space is refused
// before anything is decoded.
TEST(Graphics, JpegWithAnOversizedHeaderIsRefused) {
  auto bytes = MakeJpeg(16, 16);
  size_t sof = 0;
  for (size_t i = 2; i + 9 < bytes.size(); ++i)
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
      sof = i;
      break;
    }
  ASSERT_NE(sof, 0u);
  // 21858 x 65500 pixels: 65576 bytes a row, a total that wraps to a few hundred KB in 32 bits.
  bytes[sof + 5] = 65500 >> 8;
  bytes[sof + 6] = 65500 & 0xFF;
  bytes[sof + 7] = 21858 >> 8;
  bytes[sof + 8] = 21858 & 0xFF;
  TJPEGImage jpeg;
  EXPECT_THROW(jpeg.LoadFromMemory(bytes.data(), bytes.size()), EInvalidGraphic);
  EXPECT_TRUE(jpeg.Empty());
}

TEST(Graphics, CanvasMeasuresAndFillsWithItsFontAndBrush) {
  TBitmap bmp;
  bmp.SetSize(100, 40);
  TCanvas* c = bmp.Canvas();
  c->Brush()->SetColor(clRed);
  c->FillRect(RECT{0, 0, 100, 40});
  EXPECT_EQ(static_cast<COLORREF>(bmp.Pixel(50, 20)), RGB(255, 0, 0));
  int narrow = c->TextWidth("iii");
  int wide = c->TextWidth("WWW");
  EXPECT_GT(wide, narrow);
  c->Font()->SetSize(c->Font()->Size() * 2);
  EXPECT_GT(c->TextWidth("WWW"), wide);
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  c->TextOut(2, 2, "x");
  EXPECT_EQ(c->PenPos().x, 2 + c->TextWidth("x"));
}

}  // namespace
