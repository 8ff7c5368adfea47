// Alignment of a windowed control's children: aligned children take their edges of the client
// area, anchored children follow the parent's right and bottom edges.
#include "classlib/Controls.h"

#include <algorithm>

#include "classlib/ControlsDetail.h"

using namespace controls_detail;

// ---- Alignment ----

void TWinControl::EnableAlign() {
  if (FAlignLevel > 0) --FAlignLevel;
  if (FAlignLevel == 0 && (FControlState & csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() { AlignControl(nullptr); }

void TWinControl::AdjustClientRect(RECT&) {}

void TWinControl::AlignControl(TControl* AControl) {
  if (HasState(csDestroying)) return;
  if (AlignDisabled() || HasState(csLoading)) {
    FControlState |= csAlignmentNeeded;
    return;
  }
  DisableAlign();
  try {
    RECT r = ClientRect();
    AlignControls(AControl, r);
  } catch (...) {
    --FAlignLevel;
    FControlState &= ~csAlignmentNeeded;
    throw;
  }
  --FAlignLevel;
  FControlState &= ~csAlignmentNeeded;
}

// Controls anchored to the right or bottom follow those edges when the parent's size changes.
void TWinControl::AnchorChildren(int NewWidth, int NewHeight) {
  if (FAnchorWidth >= 0 && FAnchorHeight >= 0 && (NewWidth != FAnchorWidth || NewHeight != FAnchorHeight)) {
    const int dw = NewWidth - FAnchorWidth, dh = NewHeight - FAnchorHeight;
    for (TControl* c : FControls) {
      if (c->Align() != TAlign::alNone) continue;
      TAnchors a = c->Anchors();
      int l = c->Left(), t = c->Top(), w = c->Width(), h = c->Height();
      if (a.Contains(TAnchorKind::akRight)) {
        if (a.Contains(TAnchorKind::akLeft)) w += dw;
        else l += dw;
      }
      if (a.Contains(TAnchorKind::akBottom)) {
        if (a.Contains(TAnchorKind::akTop)) h += dh;
        else t += dh;
      }
      c->SetBounds(l, t, std::max(w, 0), std::max(h, 0));
    }
  }
  FAnchorWidth = NewWidth;
  FAnchorHeight = NewHeight;
}

void TWinControl::AlignControls(TControl* AControl, RECT& Rect) {
  AnchorChildren(Rect.right - Rect.left, Rect.bottom - Rect.top);
  AdjustClientRect(Rect);
  static const TAlign order[] = {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient};
  for (TAlign align : order) {
    std::vector<TControl*> list;
    for (TControl* c : FControls) {
      if (c->Align() != align || !c->Visible()) continue;
      // Order within one edge by position; the control being moved goes before its equals.
      auto key = [align](TControl* x) {
        switch (align) {
          case TAlign::alTop: return x->Top();
          case TAlign::alBottom: return -(x->Top() + x->Height());
          case TAlign::alLeft: return x->Left();
          case TAlign::alRight: return -(x->Left() + x->Width());
          default: return 0;
        }
      };
      auto pos = list.begin();
      while (pos != list.end() &&
             (key(*pos) < key(c) || (key(*pos) == key(c) && *pos == AControl)))
        ++pos;
      list.insert(pos, c);
    }
    for (TControl* c : list) {
      int w = Rect.right - Rect.left, h = Rect.bottom - Rect.top;
      switch (align) {
        case TAlign::alTop:
          c->SetBounds(Rect.left, Rect.top, w, c->Height());
          Rect.top += c->Height();
          break;
        case TAlign::alBottom:
          c->SetBounds(Rect.left, Rect.bottom - c->Height(), w, c->Height());
          Rect.bottom -= c->Height();
          break;
        case TAlign::alLeft:
          c->SetBounds(Rect.left, Rect.top, c->Width(), h);
          Rect.left += c->Width();
          break;
        case TAlign::alRight:
          c->SetBounds(Rect.right - c->Width(), Rect.top, c->Width(), h);
          Rect.right -= c->Width();
          break;
        case TAlign::alClient: c->SetBounds(Rect.left, Rect.top, std::max(w, 0), std::max(h, 0)); break;
        default: break;
      }
    }
  }
}
