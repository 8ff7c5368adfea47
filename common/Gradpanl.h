// A panel whose background runs from one colour to another in 256 bands, with optional flat
// margins; on displays with fewer than 16 bits per pixel it is a flat fill of the first colour.
#pragma once

#include <windows.h>

#include <array>

#include "classlib/Controls.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Graphics.h"

class TgradientPanel : public TCustomPanel {
  VGT_CLASS(TgradientPanel, TCustomPanel)
 public:
  static constexpr int BandCount = 256;

  explicit TgradientPanel(TComponent* AOwner);

  TColor BeginColor() const { return FBeginColor; }
  // A different colour rebuilds the ramp and repaints; the same colour does nothing.
  void SetBeginColor(TColor Value);
  TColor EndColor() const { return FEndColor; }
  void SetEndColor(TColor Value);
  // True: bands stacked from top to bottom; false: from left to right.
  bool Horizontal() const { return FHorizontal; }
  void SetHorizontal(bool Value);
  // Flat margins: top and bottom for stacked bands, left and right otherwise. The first takes
  // BeginColor, the far one EndColor.
  int MarginTop() const { return FMarginTop; }
  void SetMarginTop(int Value);
  int MarginBottom() const { return FMarginBottom; }
  void SetMarginBottom(int Value);
  int MarginLeft() const { return FMarginLeft; }
  void SetMarginLeft(int Value);
  int MarginRight() const { return FMarginRight; }
  void SetMarginRight(int Value);

  // True while the panel paints the gradient (the display has 16 bits per pixel or more).
  bool GradientMode() const { return FGradientMode; }
  // Band i's colour (plain RGB). Entry 254 is EndColor; entry 255 lies one step beyond and is
  // never seen.
  COLORREF RampColor(int Index) const { return FRamp.at(static_cast<size_t>(Index)); }

  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  // Told when painting switches between the gradient and the flat fill; empty here.
  virtual void GradientModeChanged() {}
  // Bits per pixel of the device painted on.
  virtual int PaintBitsPerPixel();

 private:
  void BuildColorRamp();
  void PaintGradient();
  void FillWith(COLORREF Color, const RECT& Rect);

  std::array<COLORREF, BandCount> FRamp{};
  bool FHorizontal = false;
  TColor FBeginColor = clBtnShadow;
  TColor FEndColor = clSilver;
  int FMarginRight = 0;
  int FMarginLeft = 0;
  int FMarginTop = 0;
  int FMarginBottom = 0;
  bool FGradientMode = true;
};
