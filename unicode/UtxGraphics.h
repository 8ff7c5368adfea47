// Drawing and measuring UTF-16 text on a canvas. GDI's W text functions exist on both platform
// families, so nothing here tests the Unicode platform switch.
#pragma once

#include <windows.h>

#include "classlib/System.h"

// Clears Size, then measures Text on DC; the platform call's result is returned, so a failing
// call leaves (0, 0).
BOOL WideTextExtentOfDC(HDC DC, const WideString& Text, SIZE& Size);

#include "classlib/Graphics.h"

// The canvas's handle and font are made valid, then the text is measured on its handle.
SIZE WideCanvasTextExtent(TCanvas* Canvas, const WideString& Text);
int WideCanvasTextWidth(TCanvas* Canvas, const WideString& Text);
int WideCanvasTextHeight(TCanvas* Canvas, const WideString& Text);
// Draws Text at (X, Y) with the canvas's text flags; on a right-to-left canvas the text starts one
// pixel beyond its own width to the right of X. The pen ends after the text.
void WideCanvasTextOut(TCanvas* Canvas, int X, int Y, const WideString& Text);

// The picture class of the Unicode image control; it adds nothing to the library's picture.
class TUtxPicture : public TPicture {
  VGT_CLASS(TUtxPicture, TPicture)
 public:
  using TPicture::TPicture;
};
