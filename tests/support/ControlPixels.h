// A control painted into a memory bitmap of its size over white, its pixels read back: what the
// tests of drawn controls (images, panels, labels) compare colours with.
#pragma once

#include <windows.h>

#include "base/DeviceContext.h"
#include "classlib/Controls.h"

class TPixels {
 public:
  explicit TPixels(TControl* Control)
      : W(Control->Width()), H(Control->Height()), FDC(TWindowDC().Get()),
        FBitmap(CreateCompatibleBitmap(TWindowDC(), W, H)), FSelected(FDC, FBitmap) {
    RECT r{0, 0, W, H};
    FillRect(FDC, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (auto* w = dynamic_cast<TWinControl*>(Control)) w->PaintTo(FDC, 0, 0);
    else Control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(FDC.Get()), 0);
  }
  COLORREF At(int X, int Y) const { return GetPixel(FDC, X, Y); }
  const int W, H;

 private:
  TMemoryDC FDC;
  TGdiObject<HBITMAP> FBitmap;
  TSelectedObject FSelected;
};

inline bool Reddish(COLORREF c) { return GetRValue(c) > 200 && GetGValue(c) < 60 && GetBValue(c) < 60; }
inline bool Bluish(COLORREF c) { return GetBValue(c) > 200 && GetRValue(c) < 60 && GetGValue(c) < 60; }
