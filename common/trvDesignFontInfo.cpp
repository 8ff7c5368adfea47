#include "common/trvDesignFontInfo.h"

#include "base/DeviceContext.h"
#include "common/trvAPI.h"

namespace {

struct TScreenFontSize {
  int Width = 0, Height = 0;
};

// The font's average character width and height on the screen, each times its pixels per inch, as
// the design metrics are compared.
TScreenFontSize MeasureOnScreen(HFONT Font) {
  const TMemoryDC dc;
  const TSelectedObject selected(dc, Font);
  TEXTMETRICW tm{};
  if (!dc.Get() || !ApiGetTextMetrics(dc, &tm)) return {};
  return {MulDiv(tm.tmAveCharWidth, GetDeviceCaps(dc, LOGPIXELSX), 72),
          MulDiv(tm.tmHeight, GetDeviceCaps(dc, LOGPIXELSY), 72)};
}

}  // namespace

TCustomForm* TtrvDesignFontInfo::OwningForm() const {
  for (TComponent* c = Owner(); c; c = c->Owner())
    if (auto* form = dynamic_cast<TCustomForm*>(c)) return form;
  return nullptr;
}

bool TtrvDesignFontInfo::ReadsCurrent() const {
  return (FLive || HasState(csDesigning)) && OwningForm() != nullptr;
}

TtrvDesignFontInfo::TMetrics TtrvDesignFontInfo::CurrentMetrics() const {
  TMetrics m;
  const TMemoryDC dc;
  const TSelectedObject selected(dc, OwningForm()->Font()->Handle());
  if (!dc.Get()) return m;
  TEXTMETRICW tm{};
  if (ApiGetTextMetrics(dc, &tm)) {
    m.CharHeight = tm.tmHeight;
    m.AvgCharWidth = tm.tmAveCharWidth;
  }
  m.PixelsPerInchX = GetDeviceCaps(dc, LOGPIXELSX);
  m.PixelsPerInchY = GetDeviceCaps(dc, LOGPIXELSY);
  return m;
}

int TtrvDesignFontInfo::PixelsPerInchX() const {
  return ReadsCurrent() ? CurrentMetrics().PixelsPerInchX : FPixelsPerInchX;
}
int TtrvDesignFontInfo::PixelsPerInchY() const {
  return ReadsCurrent() ? CurrentMetrics().PixelsPerInchY : FPixelsPerInchY;
}
int TtrvDesignFontInfo::CharHeight() const { return ReadsCurrent() ? CurrentMetrics().CharHeight : FCharHeight; }
int TtrvDesignFontInfo::AvgCharWidth() const {
  return ReadsCurrent() ? CurrentMetrics().AvgCharWidth : FAvgCharWidth;
}

void TtrvDesignFontInfo::ComputeScale(const LOGFONTW& LogFont, int& M, int& D, int& ButtonHeight) const {
  ButtonHeight = 21;
  const TMetrics design = ReadsCurrent()
                              ? CurrentMetrics()
                              : TMetrics{FPixelsPerInchX, FPixelsPerInchY, FCharHeight, FAvgCharWidth};
  const int designWidth = MulDiv(design.AvgCharWidth, design.PixelsPerInchX, 72);
  const int designHeight = MulDiv(design.CharHeight, design.PixelsPerInchY, 72);
  const TGdiObject<HFONT> font(ApiCreateFontIndirect(&LogFont));
  const TScreenFontSize now = MeasureOnScreen(font);
  // Unmeasured metrics would give a divisor of 0 or less, and a form scaled by it ends with a
  // negative size: without them the form keeps its size.
  if (designWidth <= 0 || designHeight <= 0 || now.Width <= 0 || now.Height <= 0) {
    M = D = 1;
    return;
  }
  if (MulDiv(1000, now.Width, designWidth) > MulDiv(1000, now.Height, designHeight)) {
    M = now.Width;
    D = designWidth;
  } else {
    M = now.Height;
    D = designHeight;
  }
}

VGT_PUBLISH(TtrvDesignFontInfo) {
  P.Prop(L"PixelsPerInchX", &TtrvDesignFontInfo::PixelsPerInchX, &TtrvDesignFontInfo::SetPixelsPerInchX)
      .Prop(L"PixelsPerInchY", &TtrvDesignFontInfo::PixelsPerInchY, &TtrvDesignFontInfo::SetPixelsPerInchY)
      .Prop(L"CharHeight", &TtrvDesignFontInfo::CharHeight, &TtrvDesignFontInfo::SetCharHeight)
      .Prop(L"AvgCharWidth", &TtrvDesignFontInfo::AvgCharWidth, &TtrvDesignFontInfo::SetAvgCharWidth);
}
