#include "classlib/ExtCtrls.h"

#include <algorithm>
#include <map>

#include "base/DeviceContext.h"
#include "base/Scope.h"
#include "classlib/Themes.h"

TTimer::~TTimer() {
  if (FWindow) {
    KillTimer(FWindow, 1);
    DeallocateHWnd(FWindow);
  }
}

void TTimer::SetEnabled(bool Value) {
  if (ChangeField(FEnabled, Value)) UpdateTimer();
}

void TTimer::SetInterval(unsigned Value) {
  if (ChangeField(FInterval, Value)) UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent Value) {
  OnTimer = std::move(Value);
  UpdateTimer();
}

void TTimer::Loaded() {
  TComponent::Loaded();
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  if (FWindow) KillTimer(FWindow, 1);
  if (HasState(csLoading) || !FEnabled || FInterval == 0 || !OnTimer) return;
  if (!FWindow) FWindow = AllocateHWnd(TWndMethod::Of<TTimer, &TTimer::WndProc>(this));
  if (!SetTimer(FWindow, 1, FInterval, nullptr)) throw EOutOfResources("Zu wenig Zeitgeber verfügbar");
}

void TTimer::WndProc(TMessage& Message) {
  if (Message.Msg != WM_TIMER) {
    Message.Result = DefWindowProcA(FWindow, Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  // A timer freed by its own handler is deleted once the handler is done.
  TBusyScope busy(this);
  try {
    Timer();
  } catch (...) {
    HandleCurrentException(this);
  }
}

void TTimer::Timer() {
  if (OnTimer) OnTimer(this);
}

VGT_PUBLISH(TTimer) {
  P.Prop(L"Enabled", &TTimer::Enabled, &TTimer::SetEnabled)
      .Prop(L"Interval", &TTimer::Interval, &TTimer::SetInterval)
      .Prop(L"OnTimer", [](TTimer* t) { return t->OnTimer; }, &TTimer::SetOnTimer);
}

// ======================= TImage =======================

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(new TPicture) {
  FControlStyle |= csOpaque;
  FWidth = 105;
  FHeight = 105;
  FPicture->OnChange = [this](TObject* Sender) { PictureChanged(Sender); };
}

TImage::~TImage() = default;

RECT TImage::DestRect() {
  const int pw = FPicture->Width(), ph = FPicture->Height();
  const int cw = ClientWidth(), ch = ClientHeight();
  int w = pw, h = ph;
  if (FStretch || (FProportional && (pw > cw || ph > ch))) {
    if (FProportional && pw > 0 && ph > 0) {
      // The larger scale that still fits.
      if (static_cast<long long>(cw) * ph <= static_cast<long long>(ch) * pw) {
        w = cw;
        h = static_cast<int>(static_cast<long long>(cw) * ph / pw);
      } else {
        h = ch;
        w = static_cast<int>(static_cast<long long>(ch) * pw / ph);
      }
    } else {
      w = cw;
      h = ch;
    }
  }
  RECT r{0, 0, w, h};
  if (FCenter) OffsetRect(&r, (cw - w) / 2, (ch - h) / 2);
  return r;
}

void TImage::Paint() {
  TCanvas* c = Canvas();
  TGraphic* g = FPicture->Graphic();
  if (!g || g->Empty()) return;
  RECT r = DestRect();
  auto* bitmap = dynamic_cast<TBitmap*>(g);
  if (FTransparent && bitmap) {
    // The colour of the bottom-left pixel is left out.
    const COLORREF key = ColorToRGB(bitmap->Pixel(0, bitmap->Height() - 1));
    TMemoryDC src(c->Handle());
    TSelectedObject selected(src, bitmap->Handle());
    TransparentBlt(c->Handle(), r.left, r.top, r.right - r.left, r.bottom - r.top, src, 0, 0, bitmap->Width(),
                   bitmap->Height(), key);
    return;
  }
  c->StretchDraw(r, g);
}

void TImage::PictureChanged(TObject*) {
  if (FAutoSize && FPicture->Width() > 0 && FPicture->Height() > 0)
    SetBounds(FLeft, FTop, FPicture->Width(), FPicture->Height());
  Invalidate();
}

void TImage::SetAutoSize(bool Value) {
  if (ChangeField(FAutoSize, Value)) PictureChanged(this);
}

void TImage::SetCenter(bool Value) {
  if (ChangeField(FCenter, Value)) Invalidate();
}

void TImage::SetStretch(bool Value) {
  if (ChangeField(FStretch, Value)) Invalidate();
}

void TImage::SetProportional(bool Value) {
  if (ChangeField(FProportional, Value)) Invalidate();
}

void TImage::SetTransparent(bool Value) {
  if (!ChangeField(FTransparent, Value)) return;
  FControlStyle = Value ? (FControlStyle & ~csOpaque) : (FControlStyle | csOpaque);
  Invalidate();
}

// ======================= Bevels =======================

void GetBevelColors(TBevelCut Cut, TColor& TopColor, TColor& BottomColor) {
  if (Cut == TBevelCut::bvLowered) {
    TopColor = clBtnShadow;
    BottomColor = clBtnHighlight;
  } else {
    TopColor = clBtnHighlight;
    BottomColor = clBtnShadow;
  }
}

void Frame3D(TCanvas* Canvas, RECT& Rect, TColor TopColor, TColor BottomColor, int Width) {
  Canvas->Pen()->SetWidth(1);
  --Rect.bottom;
  --Rect.right;
  for (int i = 0; i < Width; ++i) {
    Canvas->Pen()->SetColor(TopColor);
    Canvas->MoveTo(Rect.left, Rect.bottom);
    Canvas->LineTo(Rect.left, Rect.top);
    Canvas->LineTo(Rect.right, Rect.top);
    Canvas->Pen()->SetColor(BottomColor);
    Canvas->LineTo(Rect.right, Rect.bottom);
    Canvas->LineTo(Rect.left - 1, Rect.bottom);
    InflateRect(&Rect, -1, -1);
  }
  ++Rect.bottom;
  ++Rect.right;
}

// ======================= TCustomPanel =======================

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csOpaque | csDoubleClicks |
                  csParentBackground;
  FWidth = 185;
  FHeight = 41;
  FColor = clBtnFace;
  FParentColor = false;
  FBrush->SetColor(FColor);
}

void TCustomPanel::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  if (FBorderStyle == TBorderStyle::bsSingle) {
    if (Ctl3D()) Params.ExStyle |= WS_EX_CLIENTEDGE;
    else Params.Style |= WS_BORDER;
  }
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

bool TCustomPanel::ShowsParentBackground() const {
  return ParentBackground() && ThemeServices()->ThemesEnabled();
}

void TCustomPanel::AdjustClientRect(RECT& Rect) {
  TCustomControl::AdjustClientRect(Rect);
  int bevel = 0;
  if (FBevelOuter != TBevelCut::bvNone) bevel += FBevelWidth;
  if (FBevelInner != TBevelCut::bvNone) bevel += FBevelWidth;
  InflateRect(&Rect, -(FBorderWidth + bevel), -(FBorderWidth + bevel));
}

RECT TCustomPanel::PaintFrame() {
  TCanvas* c = Canvas();
  RECT r = ClientRect();
  TColor top, bottom;
  if (FBevelOuter != TBevelCut::bvNone) {
    GetBevelColors(FBevelOuter, top, bottom);
    Frame3D(c, r, top, bottom, FBevelWidth);
  }
  const bool parentBackground = ShowsParentBackground();
  if (parentBackground) InflateRect(&r, -FBorderWidth, -FBorderWidth);
  else Frame3D(c, r, FColor, FColor, FBorderWidth);
  if (FBevelInner != TBevelCut::bvNone) {
    GetBevelColors(FBevelInner, top, bottom);
    Frame3D(c, r, top, bottom, FBevelWidth);
  }
  if (!parentBackground) {
    c->Brush()->SetColor(FColor);
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    c->FillRect(r);
  }
  return r;
}

void TCustomPanel::Paint() {
  TCanvas* c = Canvas();
  RECT r = PaintFrame();
  const AnsiString text = Caption();
  if (text.empty()) return;
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  c->Font()->Assign(Font());
  const int h = c->TextHeight("W");
  r.top = (r.top + r.bottom - h) / 2;
  r.bottom = r.top + h;
  static const UINT align[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  UINT flags = DT_EXPANDTABS | DT_VCENTER | align[static_cast<int>(FAlignment)] | DrawTextBiDiModeFlagsReadingOnly();
  c->RequiredState(csHandleValid | csFontValid | csBrushValid);
  SetBkMode(c->Handle(), TRANSPARENT);
  SetTextColor(c->Handle(), ColorToRGB(Font()->Color()));
  DrawTextA(c->Handle(), text.c_str(), -1, &r, flags);
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
}

void TCustomPanel::SetAlignment(TAlignment Value) {
  if (ChangeField(FAlignment, Value)) Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut Value) {
  if (!ChangeField(FBevelInner, Value)) return;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelOuter(TBevelCut Value) {
  if (!ChangeField(FBevelOuter, Value)) return;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelWidth(TBevelWidth Value) {
  if (!ChangeField(FBevelWidth, std::max(1, Value))) return;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBorderWidth(int Value) {
  if (!ChangeField(FBorderWidth, std::max(0, Value))) return;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBorderStyle(TBorderStyle Value) {
  if (ChangeField(FBorderStyle, Value)) RecreateWnd();
}

void TCustomPanel::SetBevelKind(TBevelKind Value) {
  if (ChangeField(FBevelKind, Value)) EdgeChanged();
}

void TCustomPanel::SetBevelEdges(TBevelEdges Value) {
  if (ChangeField(FBevelEdges, Value)) EdgeChanged();
}

void TCustomPanel::EdgeChanged() {
  if (FHandle)
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Realign();
}

// A raised inner and a sunken outer line, one pixel each, whatever the kind.
RECT TCustomPanel::BevelEdgeWidths() const {
  const int w = FBevelKind == TBevelKind::bkNone ? 0 : 2;
  return RECT{FBevelEdges.Contains(TBevelEdge::beLeft) ? w : 0, FBevelEdges.Contains(TBevelEdge::beTop) ? w : 0,
              FBevelEdges.Contains(TBevelEdge::beRight) ? w : 0,
              FBevelEdges.Contains(TBevelEdge::beBottom) ? w : 0};
}

void TCustomPanel::PaintEdge() {
  TWholeWindowDC dc(FHandle);
  if (!dc) return;
  RECT r;
  GetWindowRect(FHandle, &r);
  OffsetRect(&r, -r.left, -r.top);
  UINT flags = 0;
  if (FBevelEdges.Contains(TBevelEdge::beLeft)) flags |= BF_LEFT;
  if (FBevelEdges.Contains(TBevelEdge::beTop)) flags |= BF_TOP;
  if (FBevelEdges.Contains(TBevelEdge::beRight)) flags |= BF_RIGHT;
  if (FBevelEdges.Contains(TBevelEdge::beBottom)) flags |= BF_BOTTOM;
  if (FBevelKind == TBevelKind::bkSoft) flags |= BF_SOFT;
  else if (FBevelKind == TBevelKind::bkFlat) flags |= BF_FLAT;
  DrawEdge(dc, &r, BDR_RAISEDINNER | BDR_SUNKENOUTER, flags);
}

void TCustomPanel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCCALCSIZE: {
      TCustomControl::Dispatch(Message);
      // The client area gives up the edge's width (the first rectangle in both forms).
      auto* r = reinterpret_cast<RECT*>(Message.LParam);
      const RECT e = BevelEdgeWidths();
      r->left += e.left;
      r->top += e.top;
      r->right -= e.right;
      r->bottom -= e.bottom;
      break;
    }
    case WM_NCPAINT:
      TCustomControl::Dispatch(Message);
      if (FBevelKind != TBevelKind::bkNone && !FBevelEdges.Empty()) PaintEdge();
      break;
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
    case CM_BIDIMODECHANGED:
      TCustomControl::Dispatch(Message);
      Invalidate();
      break;
    case WM_ERASEBKGND:
      // The painting covers the whole window; erasing first would only flicker.
      if (!ShowsParentBackground()) {
        Message.Result = 1;
        break;
      }
      TCustomControl::Dispatch(Message);
      break;
    default: TCustomControl::Dispatch(Message); break;
  }
}

// ======================= TCustomControlBar =======================

TCustomControlBar::TCustomControlBar(TComponent* AOwner) : TCustomControl(AOwner), FPicture(new TPicture) {
  FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csOpaque | csDoubleClicks | csParentBackground;
  FWidth = 100;
  FHeight = 50;
  FColor = clBtnFace;
  FBrush->SetColor(FColor);
  FPicture->OnChange = [this](TObject*) { Invalidate(); };
}

TCustomControlBar::~TCustomControlBar() = default;

void TCustomControlBar::SetRowSize(int Value) {
  if (ChangeField(FRowSize, std::max(1, Value))) Realign();
}

void TCustomControlBar::SetRowSnap(bool Value) {
  if (ChangeField(FRowSnap, Value)) Realign();
}

void TCustomControlBar::SetAutoSize(bool Value) {
  if (ChangeField(FAutoSize, Value)) Realign();
}

void TCustomControlBar::SetBevelInner(TBevelCut Value) {
  if (ChangeField(FBevelInner, Value)) Invalidate();
}

void TCustomControlBar::SetBevelOuter(TBevelCut Value) {
  if (ChangeField(FBevelOuter, Value)) Invalidate();
}

RECT TCustomControlBar::BandRect(TControl* Control) const {
  if (!Control || Control->Parent() != this || !Control->Visible()) return RECT{0, 0, 0, 0};
  RECT r = Control->BoundsRect();
  r.left -= GripWidth;
  r.right += 2;
  if (FRowSnap) {
    const int row = r.top / FRowSize;
    r.top = row * FRowSize;
    r.bottom = r.top + std::max(FRowSize, Control->Height() + 4);
  } else {
    r.top -= 2;
    r.bottom += 2;
  }
  return r;
}

void TCustomControlBar::AlignControls(TControl* AControl, RECT& Rect) {
  if (FArranging) return;
  TFlagGuard arranging(FArranging);
  // Rows by each child's place, then left to right; a band never overlaps the one before it.
  std::map<int, std::vector<TControl*>> rows;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible()) continue;
    const int row = FRowSnap ? std::max(0, (c->Top() + FRowSize / 2 - 2) / FRowSize) : c->Top();
    rows[row].push_back(c);
  }
  int bottom = 0;
  int rowIndex = 0;
  for (auto& [key, list] : rows) {
    std::stable_sort(list.begin(), list.end(), [AControl](TControl* a, TControl* b) {
      if (a->Left() != b->Left()) return a->Left() < b->Left();
      return a == AControl;
    });
    const int rowTop = FRowSnap ? rowIndex * FRowSize : key;
    int x = Rect.left;
    int rowHeight = FRowSize;
    for (TControl* c : list) {
      const int left = std::max(c->Left() - GripWidth, x) + GripWidth;
      const int top = FRowSnap ? rowTop + std::max(0, (FRowSize - c->Height()) / 2) : c->Top();
      c->SetBounds(left, top, c->Width(), c->Height());
      x = left + c->Width() + 2;
      rowHeight = std::max(rowHeight, c->Height() + 4);
    }
    bottom = std::max(bottom, rowTop + rowHeight);
    ++rowIndex;
  }
  if (FAutoSize && bottom > 0) SetBounds(FLeft, FTop, FWidth, bottom + (FHeight - ClientHeight()));
}

void TCustomControlBar::Paint() {
  TCanvas* c = Canvas();
  RECT r = ClientRect();
  TGraphic* g = FPicture->Graphic();
  if (g && !g->Empty() && g->Width() > 0 && g->Height() > 0) {
    for (int y = 0; y < r.bottom; y += g->Height())
      for (int x = 0; x < r.right; x += g->Width()) c->Draw(x, y, g);
  } else if (ParentBackground() && ThemeServices()->ThemesEnabled() && FParent) {
    ThemeServices()->DrawParentBackground(Handle(), c->Handle(), &r);
  } else {
    c->Brush()->SetColor(FColor);
    c->FillRect(r);
  }
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* child = Controls(i);
    RECT band = BandRect(child);
    if (!IsRectEmpty(&band)) PaintBand(child, band);
  }
  if (OnPaint) OnPaint(this);
}

void TCustomControlBar::PaintBand(TControl*, const RECT& Band) {
  TCanvas* c = Canvas();
  RECT r = Band;
  TColor top, bottom;
  if (FBevelOuter != TBevelCut::bvNone) {
    GetBevelColors(FBevelOuter, top, bottom);
    Frame3D(c, r, top, bottom, 1);
  }
  if (FBevelInner != TBevelCut::bvNone) {
    GetBevelColors(FBevelInner, top, bottom);
    Frame3D(c, r, top, bottom, 1);
  }
  // The grip: two raised lines.
  RECT grip{r.left + 1, r.top + 1, r.left + 4, r.bottom - 1};
  for (int i = 0; i < 2; ++i) {
    RECT g = grip;
    OffsetRect(&g, i * 3, 0);
    Frame3D(c, g, clBtnHighlight, clBtnShadow, 1);
  }
}

void TCustomControlBar::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_ERASEBKGND) {
    Message.Result = 1;
    return;
  }
  TCustomControl::Dispatch(Message);
  if (Message.Msg == WM_WINDOWPOSCHANGED || Message.Msg == CM_CONTROLCHANGE) Invalidate();
}

// ======================= Published properties =======================

VGT_PUBLISH(TImage) {
  P.Prop(L"AutoSize", &TImage::AutoSize, &TImage::SetAutoSize)
      .Prop(L"Center", &TImage::Center, &TImage::SetCenter)
      .Prop(L"Picture", &TImage::Picture, &TImage::SetPicture)
      .Prop(L"Proportional", &TImage::Proportional, &TImage::SetProportional)
      .Prop(L"Stretch", &TImage::Stretch, &TImage::SetStretch)
      .Prop(L"Transparent", &TImage::Transparent, &TImage::SetTransparent);
}

VGT_PUBLISH(TCustomPanel) {}

VGT_PUBLISH(TPanel) {
  P.Prop(L"Alignment", &TCustomPanel::Alignment, &TCustomPanel::SetAlignment)
      .Prop(L"BevelInner", &TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner)
      .Prop(L"BevelOuter", &TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter)
      .Prop(L"BevelWidth", &TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth)
      .Prop(L"BorderWidth", &TCustomPanel::BorderWidth, &TCustomPanel::SetBorderWidth)
      .Prop(L"BorderStyle", &TCustomPanel::BorderStyle, &TCustomPanel::SetBorderStyle)
      .Prop(L"Caption", &TControl::Caption, &TControl::SetCaption)
      .Prop(L"FullRepaint", &TCustomPanel::FullRepaint, &TCustomPanel::SetFullRepaint)
      .Prop(L"Locked", &TCustomPanel::Locked, &TCustomPanel::SetLocked);
}

VGT_PUBLISH(TCustomControlBar) {}

VGT_PUBLISH(TControlBar) { PublishControlBar(P); }

VGT_UNIT_ANCHOR(ExtCtrls)
