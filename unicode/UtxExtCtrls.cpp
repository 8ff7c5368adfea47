#include "unicode/UtxExtCtrls.h"

#include "classlib/SysUtils.h"
#include "unicode/UtxWindows.h"

// ======================= Image =======================

TUtxImage::TUtxImage(TComponent* AOwner) : TUtxControlBase(AOwner) {
  std::unique_ptr<TPicture> old = std::move(FPicture);
  FPicture.reset(new TUtxPicture);
  // The image reacts to changes of its new picture as it did to those of the old one.
  FPicture->OnChange = old->OnChange;
}

TUtxPicture* TUtxImage::GetPicture() const {
  auto* picture = dynamic_cast<TUtxPicture*>(FPicture.get());
  if (!picture) throw EInvalidCast("Ungültige Typumwandlung");
  return picture;
}

// ======================= Panel =======================

void TUtxCustomPanel::DrawPanel() {
  if (!UnicodePlatform()) {
    TCustomPanel::Paint();
    return;
  }
  TCanvas* c = Canvas();
  RECT r = PaintFrame();
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  c->Font()->Assign(Font());
  // One line of the font, centred vertically whatever the font.
  const int h = WideCanvasTextHeight(c, L"W");
  r.top = (r.top + r.bottom - h) / 2;
  r.bottom = r.top + h;
  static const UINT align[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  const UINT flags =
      align[static_cast<int>(FAlignment)] | DT_EXPANDTABS | DT_VCENTER | DrawTextBiDiModeFlagsReadingOnly();
  c->RequiredState(csHandleValid | csFontValid | csBrushValid);
  SetBkMode(c->Handle(), TRANSPARENT);
  SetTextColor(c->Handle(), ColorToRGB(Font()->Color()));
  const WideString caption = GetWideControlText(this);
  WideDrawText(c->Handle(), caption.c_str(), -1, &r, flags);
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
}

// ======================= Published properties =======================

VGT_PUBLISH(TUtxImage) {
  PublishWideHint(P).Prop(L"Picture", &TUtxImage::GetPicture, [](TUtxImage* i, TUtxPicture* v) { i->SetPicture(v); });
}

VGT_PUBLISH(TUtxCustomPanel) { PublishWideHint(P); }

VGT_PUBLISH(TUtxPanel) {
  PublishWideText(P)
      .Prop(L"Alignment", &TCustomPanel::Alignment, &TCustomPanel::SetAlignment)
      .Prop(L"BevelInner", &TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner)
      .Prop(L"BevelOuter", &TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter)
      .Prop(L"BevelWidth", &TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth)
      .Prop(L"BorderWidth", &TCustomPanel::BorderWidth, &TCustomPanel::SetBorderWidth)
      .Prop(L"BorderStyle", &TCustomPanel::BorderStyle, &TCustomPanel::SetBorderStyle)
      .Prop(L"FullRepaint", &TCustomPanel::FullRepaint, &TCustomPanel::SetFullRepaint)
      .Prop(L"Locked", &TCustomPanel::Locked, &TCustomPanel::SetLocked);
}

VGT_PUBLISH(TUtxCustomControlBar) { PublishWideHint(P); }

VGT_PUBLISH(TUtxControlBar) { PublishControlBar(P); }

VGT_UNIT_ANCHOR(UtxExtCtrls)
