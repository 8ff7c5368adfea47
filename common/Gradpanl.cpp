#include "common/Gradpanl.h"

TgradientPanel::TgradientPanel(TComponent* AOwner) : TCustomPanel(AOwner) {
  SetBounds(FLeft, FTop, 377, 121);
  BuildColorRamp();
}

void TgradientPanel::SetBeginColor(TColor Value) {
  if (!ChangeField(FBeginColor, Value)) return;
  BuildColorRamp();
  Invalidate();
}

void TgradientPanel::SetEndColor(TColor Value) {
  if (!ChangeField(FEndColor, Value)) return;
  BuildColorRamp();
  Invalidate();
}

void TgradientPanel::SetHorizontal(bool Value) {
  FHorizontal = Value;
  Invalidate();
}

void TgradientPanel::SetMarginTop(int Value) {
  FMarginTop = Value;
  Invalidate();
}

void TgradientPanel::SetMarginBottom(int Value) {
  FMarginBottom = Value;
  Invalidate();
}

void TgradientPanel::SetMarginLeft(int Value) {
  FMarginLeft = Value;
  Invalidate();
}

void TgradientPanel::SetMarginRight(int Value) {
  FMarginRight = Value;
  Invalidate();
}

// Once per colour change, not per paint. The divisor 254 makes entry 254 the end colour exactly.
void TgradientPanel::BuildColorRamp() {
  const COLORREF first = ColorToRGB(FBeginColor), last = ColorToRGB(FEndColor);
  const auto channel = [](int Begin, int End, int Index) {
    return static_cast<BYTE>((Begin + MulDiv(Index, End - Begin, BandCount - 2)) & 0xFF);
  };
  for (int i = 0; i < BandCount; ++i)
    FRamp[static_cast<size_t>(i)] = RGB(channel(GetRValue(first), GetRValue(last), i),
                                        channel(GetGValue(first), GetGValue(last), i),
                                        channel(GetBValue(first), GetBValue(last), i));
}

int TgradientPanel::PaintBitsPerPixel() { return GetDeviceCaps(Canvas()->Handle(), BITSPIXEL); }

void TgradientPanel::FillWith(COLORREF Color, const RECT& Rect) {
  Canvas()->Brush()->SetStyle(TBrushStyle::bsSolid);
  Canvas()->Brush()->SetColor(static_cast<TColor>(Color));
  Canvas()->FillRect(Rect);
}

void TgradientPanel::Paint() {
  const bool gradient = PaintBitsPerPixel() > 15;
  if (gradient != FGradientMode) {
    FGradientMode = gradient;
    GradientModeChanged();
  }
  if (FGradientMode) PaintGradient();
  else FillWith(ColorToRGB(FBeginColor), RECT{0, 0, Width(), Height()});
  const AnsiString caption = Caption();
  if (caption.empty()) return;
  Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
  Canvas()->SetFont(Font());
  Canvas()->TextOut(4, (Height() - Canvas()->TextHeight("W")) / 2, caption);
}

// Band 255 starts at the far edge of the graded area, under the far margin or outside the panel.
void TgradientPanel::PaintGradient() {
  const int w = Width(), h = Height();
  if (FHorizontal) {
    const int span = h - FMarginTop - FMarginBottom;
    if (FMarginTop > 0) FillWith(ColorToRGB(FBeginColor), RECT{0, 0, w, FMarginTop});
    for (int i = 0; i < BandCount; ++i)
      FillWith(FRamp[static_cast<size_t>(i)],
               RECT{0, FMarginTop + MulDiv(i, span, 255), w, FMarginTop + MulDiv(i + 1, span, 255)});
    if (FMarginBottom > 0) FillWith(ColorToRGB(FEndColor), RECT{0, h - FMarginBottom, w, h});
  } else {
    const int span = w - FMarginLeft - FMarginRight;
    if (FMarginLeft > 0) FillWith(ColorToRGB(FBeginColor), RECT{0, 0, FMarginLeft, h});
    for (int i = 0; i < BandCount; ++i)
      FillWith(FRamp[static_cast<size_t>(i)],
               RECT{FMarginLeft + MulDiv(i, span, 255), 0, FMarginLeft + MulDiv(i + 1, span, 255), h});
    if (FMarginRight > 0) FillWith(ColorToRGB(FEndColor), RECT{w - FMarginRight, 0, w, h});
  }
}

void TgradientPanel::Dispatch(TMessage& Message) {
  // The bands cover the whole panel: the parent's background is never wanted behind them.
  if (Message.Msg == WM_ERASEBKGND) {
    Message.Result = 1;
    return;
  }
  TCustomPanel::Dispatch(Message);
}

VGT_PUBLISH(TgradientPanel) {
  P.Prop(L"Caption", &TControl::Caption, &TControl::SetCaption)
      .Prop(L"BeginColor", &TgradientPanel::BeginColor, &TgradientPanel::SetBeginColor)
      .Idents(ColorIdents())
      .Prop(L"EndColor", &TgradientPanel::EndColor, &TgradientPanel::SetEndColor)
      .Idents(ColorIdents())
      .Prop(L"Horizontal", &TgradientPanel::Horizontal, &TgradientPanel::SetHorizontal)
      .Prop(L"MarginTop", &TgradientPanel::MarginTop, &TgradientPanel::SetMarginTop)
      .Prop(L"MarginBottom", &TgradientPanel::MarginBottom, &TgradientPanel::SetMarginBottom)
      .Prop(L"MarginLeft", &TgradientPanel::MarginLeft, &TgradientPanel::SetMarginLeft)
      .Prop(L"MarginRight", &TgradientPanel::MarginRight, &TgradientPanel::SetMarginRight);
}
