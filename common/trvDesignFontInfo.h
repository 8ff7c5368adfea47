// A form's design-time font metrics, kept in its form description, and the scale from them to
// another font.
#pragma once

#include <windows.h>

#include "classlib/Classes.h"
#include "classlib/Forms.h"

class TtrvDesignFontInfo : public TComponent {
  VGT_CLASS(TtrvDesignFontInfo, TComponent)
 public:
  explicit TtrvDesignFontInfo(TComponent* AOwner) : TComponent(AOwner) {}

  // The stored metrics; while live (or designed) the owning form's current ones instead.
  int PixelsPerInchX() const;
  int PixelsPerInchY() const;
  int CharHeight() const;
  int AvgCharWidth() const;
  // Writes only store.
  void SetPixelsPerInchX(int Value) { FPixelsPerInchX = Value; }
  void SetPixelsPerInchY(int Value) { FPixelsPerInchY = Value; }
  void SetCharHeight(int Value) { FCharHeight = Value; }
  void SetAvgCharWidth(int Value) { FAvgCharWidth = Value; }

  bool Live() const { return FLive; }
  void SetLive(bool Value) { FLive = Value; }

  // The scale M / D from the design font to LogFont's font on the screen: by the width or the
  // height, whichever grows more (the height on a tie). Without design metrics (a width or height
  // of 0 or less) there is nothing to scale from: M = D = 1. ButtonHeight is the tool-bar button
  // height to use with it.
  void ComputeScale(const LOGFONTW& LogFont, int& M, int& D, int& ButtonHeight) const;

 private:
  struct TMetrics {
    int PixelsPerInchX = 0, PixelsPerInchY = 0, CharHeight = 0, AvgCharWidth = 0;
  };
  // The first form among the owners, or nullptr.
  TCustomForm* OwningForm() const;
  bool ReadsCurrent() const;
  TMetrics CurrentMetrics() const;

  int FPixelsPerInchX = 0;
  int FPixelsPerInchY = 0;
  int FCharHeight = 0;
  int FAvgCharWidth = 0;
  bool FLive = false;
};
