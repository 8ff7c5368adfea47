// The hint window.
#include "classlib/FormsHintWindow.h"

#include <algorithm>

// ======================= THintWindow =======================

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  FVisible = false;
  FParentFont = false;
  FParentColor = false;
  FColor = clInfoBk;
  FBrush->SetColor(FColor);
  if (Screen->HintFont()) Font()->Assign(Screen->HintFont());
}

void THintWindow::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style = WS_POPUP | WS_BORDER;
  Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  Params.WndParent = nullptr;
  Params.WindowClass.style |= CS_SAVEBITS;
}

void THintWindow::Paint() {
  RECT r = ClientRect();
  InflateRect(&r, -2, -2);
  TCanvas* c = Canvas();
  c->Font()->SetColor(Screen->HintFont()->Color());
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  AnsiString text = Caption();
  c->RequiredState(csHandleValid | csFontValid | csBrushValid);
  DrawTextA(c->Handle(), text.c_str(), -1, &r, DT_LEFT | DT_NOPREFIX | DT_WORDBREAK | DrawTextBiDiModeFlagsReadingOnly());
}

void THintWindow::ActivateHint(RECT Rect, const AnsiString& AHint) {
  SetCaption(AHint);
  // Keep the window on the monitor of its position.
  if (TMonitor* m = Screen->MonitorFromRect(Rect)) {
    RECT w = m->BoundsRect();
    int width = Rect.right - Rect.left, height = Rect.bottom - Rect.top;
    if (Rect.right > w.right) OffsetRect(&Rect, w.right - Rect.right, 0);
    if (Rect.left < w.left) OffsetRect(&Rect, w.left - Rect.left, 0);
    if (Rect.bottom > w.bottom) OffsetRect(&Rect, 0, w.bottom - Rect.bottom);
    if (Rect.top < w.top) OffsetRect(&Rect, 0, w.top - Rect.top);
    Rect.right = Rect.left + width;
    Rect.bottom = Rect.top + height;
  }
  SetBounds(Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top);
  SetWindowPos(Handle(), HWND_TOPMOST, Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top,
               SWP_SHOWWINDOW | SWP_NOACTIVATE);
  FVisible = true;
  Invalidate();
}

void THintWindow::ActivateHintData(RECT Rect, const AnsiString& AHint, void*) { ActivateHint(Rect, AHint); }

RECT THintWindow::CalcHintRect(int MaxWidth, const AnsiString& AHint, void*) {
  RECT r{0, 0, MaxWidth, 0};
  TCanvas* c = Canvas();
  c->Font()->Assign(Font());
  c->RequiredState(csHandleValid | csFontValid);
  DrawTextA(c->Handle(), AHint.c_str(), -1, &r,
            DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DrawTextBiDiModeFlagsReadingOnly());
  static_cast<TControlCanvas*>(c)->FreeHandle();
  r.right += 6;
  r.bottom += 2;
  return r;
}

void THintWindow::ReleaseHandle() {
  FVisible = false;
  DestroyHandle();
}

void THintWindow::CMTextChanged(TMessage&) {
  AnsiString text = Caption();
  SIZE s{0, 0};
  TCanvas* c = Canvas();
  c->Font()->Assign(Font());
  s = c->TextExtent(text);
  static_cast<TControlCanvas*>(c)->FreeHandle();
  FWidth = s.cx + 6;
  FHeight = s.cy + 6;
}

void THintWindow::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED: CMTextChanged(Message); break;
    case WM_NCHITTEST: Message.Result = HTTRANSPARENT; break;
    default: TCustomControl::Dispatch(Message); break;
  }
}

VGT_PUBLISH(THintWindow) {}
