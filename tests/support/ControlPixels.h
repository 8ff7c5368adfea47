// Pixels drawn off the screen and read back: a bitmap like the screen's in a memory context of its
// own, and a control painted into one over white. What the tests of drawn controls (images,
// panels, erased backgrounds) compare colours with.
#pragma once

#include <windows.h>

#include "base/DeviceContext.h"
#include "classlib/Controls.h"

// A bitmap of Width x Height in the screen's format, selected into a memory context.
class TScreenBitmap {
 public:
  TScreenBitmap(int Width, int Height)
      : FDC(TWindowDC().Get()), FBitmap(CreateCompatibleBitmap(TWindowDC(), Width, Height)),
        FSelected(FDC, FBitmap) {}
  HDC DC() const { return FDC; }
  COLORREF At(int X, int Y) const { return GetPixel(FDC, X, Y); }

 private:
  TMemoryDC FDC;
  TGdiObject<HBITMAP> FBitmap;
  TSelectedObject FSelected;
};

// Control painted over white into a screen bitmap of its size.
class TPixels {
 public:
  explicit TPixels(TControl* Control) : W(Control->Width()), H(Control->Height()), FBitmap(W, H) {
    RECT r{0, 0, W, H};
    FillRect(FBitmap.DC(), &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (auto* w = dynamic_cast<TWinControl*>(Control)) w->PaintTo(FBitmap.DC(), 0, 0);
    else Control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(FBitmap.DC()), 0);
  }
  COLORREF At(int X, int Y) const { return FBitmap.At(X, Y); }
  const int W, H;

 private:
  TScreenBitmap FBitmap;
};

inline bool Reddish(COLORREF c) { return GetRValue(c) > 200 && GetGValue(c) < 60 && GetBValue(c) < 60; }
inline bool Bluish(COLORREF c) { return GetBValue(c) > 200 && GetRValue(c) < 60 && GetGValue(c) < 60; }
