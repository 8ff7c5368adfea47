#include "wizard/UtxGroupBox.h"

#include "classlib/Themes.h"
#include "unicode/UtxGraphics.h"
#include "unicode/UtxWindows.h"

void TUtxCustomGroupBox::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_DIALOGCHAR) {
    WideDialogChar(Message);
    return;
  }
  TUtxControlBase::Dispatch(Message);
}

void TUtxCustomGroupBox::WideDialogChar(TMessage& Message) {
  if (IsWideAccelChar(LOWORD(Message.WParam), GetWideControlText(this)) && CanFocus()) {
    SelectFirst();
    Message.Result = 1;
    return;
  }
  // Not the box's own accelerator: its children may have it.
  TCustomControl::Dispatch(Message);
}

void TUtxCustomGroupBox::Paint() {
  if (!UnicodePlatform()) {
    TCustomGroupBox::Paint();
    return;
  }
  Canvas()->Font()->Assign(Font());
  Canvas()->RequiredState(csHandleValid | csFontValid | csBrushValid);
  const WideString text = GetWideControlText(this);
  if (ThemeServices()->ThemesEnabled()) PaintThemed(text);
  else PaintClassic(text);
}

void TUtxCustomGroupBox::PaintThemed(const WideString& Text) {
  HDC dc = Canvas()->Handle();
  RECT cap{0, 0, 0, 0};
  if (!Text.empty()) {
    SIZE size{};
    GetTextExtentPoint32W(dc, Text.c_str(), static_cast<int>(Text.size()), &size);
    cap = RECT{0, 0, size.cx, size.cy};
    if (UseRightToLeftReading()) OffsetRect(&cap, FWidth - 8 - size.cx, 0);
    else OffsetRect(&cap, 8, 0);
  }
  RECT frame = ClientRect();
  frame.top = (cap.bottom - cap.top) / 2;
  ExcludeClipRect(dc, cap.left, cap.top, cap.right, cap.bottom);
  const auto details = ThemeServices()->GetElementDetails(FEnabled ? TThemedButton::tbGroupBoxNormal
                                                                    : TThemedButton::tbGroupBoxDisabled);
  ThemeServices()->DrawElement(dc, details, frame);
  SelectClipRgn(dc, nullptr);
  // The 8-bit caption decides, as in the class library's painting; the wide one is drawn.
  if (!TControl::Caption().empty()) ThemeServices()->DrawText(dc, details, Text, cap, 0);
}

void TUtxCustomGroupBox::PaintClassic(const WideString& Text) {
  TCanvas* c = Canvas();
  const int h = WideCanvasTextHeight(c, L"0");
  RECT r{0, h / 2 - 1, FWidth, FHeight};
  if (Ctl3D()) {
    r.left += 1;
    r.top += 1;
    c->Brush()->SetColor(clBtnHighlight);
    c->FrameRect(r);
    OffsetRect(&r, -1, -1);
    c->Brush()->SetColor(clBtnShadow);
  } else {
    c->Brush()->SetColor(clWindowFrame);
  }
  c->FrameRect(r);
  if (Text.empty()) return;
  r = UseRightToLeftReading() ? RECT{r.right - WideCanvasTextWidth(c, Text) - 8, 0, 0, h} : RECT{8, 0, 0, h};
  const UINT flags = DT_SINGLELINE | DrawTextBiDiModeFlagsReadingOnly();
  c->RequiredState(csHandleValid | csFontValid);
  HDC dc = c->Handle();
  DrawTextW(dc, Text.c_str(), static_cast<int>(Text.size()), &r, flags | DT_CALCRECT);
  c->Brush()->SetColor(FColor);
  c->RequiredState(csHandleValid | csBrushValid);
  SetBkColor(dc, ColorToRGB(FColor));
  SetBkMode(dc, OPAQUE);
  SetTextColor(dc, ColorToRGB(Font()->Color()));
  DrawTextW(dc, Text.c_str(), static_cast<int>(Text.size()), &r, flags);
}

VGT_PUBLISH(TUtxCustomGroupBox) { PublishWideHint(P); }

VGT_PUBLISH(TUtxGroupBox) { PublishWideText(P); }

VGT_UNIT_ANCHOR(UtxGroupBox)
