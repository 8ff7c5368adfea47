#include "unicode/UtxGraphics.h"

BOOL WideTextExtentOfDC(HDC DC, const WideString& Text, SIZE& Size) {
  Size.cx = 0;
  Size.cy = 0;
  return GetTextExtentPoint32W(DC, Text.c_str(), static_cast<int>(Text.size()), &Size);
}

SIZE WideCanvasTextExtent(TCanvas* Canvas, const WideString& Text) {
  Canvas->RequiredState(csHandleValid | csFontValid);
  SIZE size{};
  WideTextExtentOfDC(Canvas->Handle(), Text, size);
  return size;
}

int WideCanvasTextWidth(TCanvas* Canvas, const WideString& Text) {
  return WideCanvasTextExtent(Canvas, Text).cx;
}

int WideCanvasTextHeight(TCanvas* Canvas, const WideString& Text) {
  return WideCanvasTextExtent(Canvas, Text).cy;
}

void WideCanvasTextOut(TCanvas* Canvas, int X, int Y, const WideString& Text) {
  Canvas->Changing();
  Canvas->RequiredState(csHandleValid | csFontValid | csBrushValid);
  if (Canvas->CanvasOrientation() == TCanvasOrientation::coRightToLeft)
    X += WideCanvasTextWidth(Canvas, Text) + 1;
  ExtTextOutW(Canvas->Handle(), X, Y, Canvas->TextFlags(), nullptr, Text.c_str(),
              static_cast<UINT>(Text.size()), nullptr);
  Canvas->MoveTo(X + WideCanvasTextWidth(Canvas, Text), Y);
  Canvas->Changed();
}
