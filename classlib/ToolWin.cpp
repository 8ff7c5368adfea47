#include "classlib/ToolWin.h"

#include "base/DeviceContext.h"

TToolWindow::TToolWindow(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 150;
  FAlign = TAlign::alTop;
  FColor = clBtnFace;
  FParentColor = false;
  FBrush->SetColor(FColor);
}

void TToolWindow::SetEdgeBorders(TEdgeBorders Value) {
  if (ChangeField(FEdgeBorders, Value)) EdgesChanged();
}

void TToolWindow::SetEdgeInner(TEdgeStyle Value) {
  if (ChangeField(FEdgeInner, Value)) EdgesChanged();
}

void TToolWindow::SetEdgeOuter(TEdgeStyle Value) {
  if (ChangeField(FEdgeOuter, Value)) EdgesChanged();
}

void TToolWindow::EdgesChanged() {
  if (FHandle)
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Realign();
}

RECT TToolWindow::EdgeWidths() const {
  const int w = (FEdgeInner != TEdgeStyle::esNone ? 1 : 0) + (FEdgeOuter != TEdgeStyle::esNone ? 1 : 0);
  return RECT{FEdgeBorders.Contains(TEdgeBorder::ebLeft) ? w : 0, FEdgeBorders.Contains(TEdgeBorder::ebTop) ? w : 0,
              FEdgeBorders.Contains(TEdgeBorder::ebRight) ? w : 0,
              FEdgeBorders.Contains(TEdgeBorder::ebBottom) ? w : 0};
}

void TToolWindow::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCCALCSIZE: {
      DefaultHandler(Message);
      // The client area gives up the edges' width (the first rectangle in both forms).
      auto* r = reinterpret_cast<RECT*>(Message.LParam);
      const RECT e = EdgeWidths();
      r->left += e.left;
      r->top += e.top;
      r->right -= e.right;
      r->bottom -= e.bottom;
      break;
    }
    case WM_NCPAINT: {
      DefaultHandler(Message);
      if (FEdgeBorders.Empty()) break;
      TWholeWindowDC dc(FHandle);
      RECT r;
      GetWindowRect(FHandle, &r);
      OffsetRect(&r, -r.left, -r.top);
      static const UINT inner[] = {0, BDR_RAISEDINNER, BDR_SUNKENINNER};
      static const UINT outer[] = {0, BDR_RAISEDOUTER, BDR_SUNKENOUTER};
      UINT sides = 0;
      if (FEdgeBorders.Contains(TEdgeBorder::ebLeft)) sides |= BF_LEFT;
      if (FEdgeBorders.Contains(TEdgeBorder::ebTop)) sides |= BF_TOP;
      if (FEdgeBorders.Contains(TEdgeBorder::ebRight)) sides |= BF_RIGHT;
      if (FEdgeBorders.Contains(TEdgeBorder::ebBottom)) sides |= BF_BOTTOM;
      DrawEdge(dc, &r, inner[static_cast<int>(FEdgeInner)] | outer[static_cast<int>(FEdgeOuter)], sides);
      Message.Result = 0;
      break;
    }
    default: TWinControl::Dispatch(Message); break;
  }
}

VGT_PUBLISH(TToolWindow) {
  P.Prop(L"EdgeBorders", &TToolWindow::EdgeBorders, &TToolWindow::SetEdgeBorders)
      .Prop(L"EdgeInner", &TToolWindow::EdgeInner, &TToolWindow::SetEdgeInner)
      .Prop(L"EdgeOuter", &TToolWindow::EdgeOuter, &TToolWindow::SetEdgeOuter);
}

VGT_UNIT_ANCHOR(ToolWin)
