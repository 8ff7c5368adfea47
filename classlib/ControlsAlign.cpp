// Alignment of a windowed control's children: aligned children take their edges of the client
// area, anchored children follow the parent's right and bottom edges.
#include "classlib/ControlsAlign.h"

#include "classlib/Controls.h"

#include <algorithm>

#include "base/Scope.h"
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
  auto aligned = ScopeExit([this] {
    --FAlignLevel;
    FControlState &= ~csAlignmentNeeded;
  });
  RECT r = ClientRect();
  AlignControls(AControl, r);
}

// ---- The rectangles ----

RECT AnchorRect(const RECT& Bounds, TAnchors Anchors, int DW, int DH) {
  int l = Bounds.left, t = Bounds.top, w = Bounds.right - Bounds.left, h = Bounds.bottom - Bounds.top;
  if (Anchors.Contains(TAnchorKind::akRight)) {
    if (Anchors.Contains(TAnchorKind::akLeft)) w += DW;
    else l += DW;
  }
  if (Anchors.Contains(TAnchorKind::akBottom)) {
    if (Anchors.Contains(TAnchorKind::akTop)) h += DH;
    else t += DH;
  }
  return RECT{l, t, l + std::max(w, 0), t + std::max(h, 0)};
}

void AlignRects(std::vector<TAlignSlot>& Slots, RECT& Client, const TAlignPlace& Place) {
  static const TAlign order[] = {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient};
  auto key = [](TAlign align, const RECT& r) {
    switch (align) {
      case TAlign::alTop: return static_cast<int>(r.top);
      case TAlign::alBottom: return -static_cast<int>(r.bottom);
      case TAlign::alLeft: return static_cast<int>(r.left);
      case TAlign::alRight: return -static_cast<int>(r.right);
      default: return 0;
    }
  };
  for (TAlign align : order) {
    // Order within one edge by position; the slot being moved goes before its equals.
    std::vector<size_t> list;
    for (size_t i = 0; i < Slots.size(); ++i) {
      if (Slots[i].Align != align) continue;
      const int k = key(align, Slots[i].Bounds);
      auto pos = list.begin();
      while (pos != list.end()) {
        const int other = key(align, Slots[*pos].Bounds);
        if (other < k || (other == k && Slots[*pos].Moving)) ++pos;
        else break;
      }
      list.insert(pos, i);
    }
    for (size_t i : list) {
      RECT& b = Slots[i].Bounds;
      const int cw = b.right - b.left, ch = b.bottom - b.top;
      const int w = Client.right - Client.left, h = Client.bottom - Client.top;
      RECT want = b;
      switch (align) {
        case TAlign::alTop: want = RECT{Client.left, Client.top, Client.left + w, Client.top + ch}; break;
        case TAlign::alBottom: want = RECT{Client.left, Client.bottom - ch, Client.left + w, Client.bottom}; break;
        case TAlign::alLeft: want = RECT{Client.left, Client.top, Client.left + cw, Client.top + h}; break;
        case TAlign::alRight: want = RECT{Client.right - cw, Client.top, Client.right, Client.top + h}; break;
        case TAlign::alClient:
          want = RECT{Client.left, Client.top, Client.left + std::max(w, 0), Client.top + std::max(h, 0)};
          break;
        default: break;
      }
      // What the item took (its limits may differ from what it was offered) decides the rest.
      b = Place ? Place(i, want) : want;
      switch (align) {
        case TAlign::alTop: Client.top += b.bottom - b.top; break;
        case TAlign::alBottom: Client.bottom -= b.bottom - b.top; break;
        case TAlign::alLeft: Client.left += b.right - b.left; break;
        case TAlign::alRight: Client.right -= b.right - b.left; break;
        default: break;
      }
    }
  }
}

// ---- The children ----

// Controls anchored to the right or bottom follow those edges when the parent's size changes.
// Moving a child runs its handlers, which may free children: the walk skips what went.
void TWinControl::AnchorChildren(int NewWidth, int NewHeight) {
  if (FAnchorWidth >= 0 && FAnchorHeight >= 0 && (NewWidth != FAnchorWidth || NewHeight != FAnchorHeight)) {
    const int dw = NewWidth - FAnchorWidth, dh = NewHeight - FAnchorHeight;
    const bool alive = FControls.ForEach([&](TControl* c) {
      if (c->Align() != TAlign::alNone) return;
      c->SetBoundsRect(AnchorRect(c->BoundsRect(), c->Anchors(), dw, dh));
    });
    if (!alive) return;
  }
  FAnchorWidth = NewWidth;
  FAnchorHeight = NewHeight;
}

// The layout is worked out on rectangles; each child then takes its place through SetBounds,
// whose handlers may free other children: those are held weakly and skipped once gone.
void TWinControl::AlignControls(TControl* AControl, RECT& Rect) {
  AnchorChildren(Rect.right - Rect.left, Rect.bottom - Rect.top);
  AdjustClientRect(Rect);
  // A parent of thousands of placed children (rows in a scroll box) lays out each one it gains:
  // with none aligned, there is nothing to walk.
  if (FAlignedChildren == 0) return;
  std::vector<TAlignSlot> slots;
  std::vector<TWeakRef<TControl>> controls;
  for (TControl* c : FControls) {
    if (c->Align() == TAlign::alNone || !c->Visible()) continue;
    slots.push_back(TAlignSlot{c->Align(), c->BoundsRect(), c == AControl});
    controls.emplace_back(c);
  }
  if (slots.empty()) return;
  // A child freed meanwhile takes no room.
  AlignRects(slots, Rect, [&](size_t Index, const RECT& Want) {
    const RECT none{Want.left, Want.top, Want.left, Want.top};
    TControl* c = controls[Index];
    if (!c) return none;
    c->SetBoundsRect(Want);
    c = controls[Index];
    return c ? c->BoundsRect() : none;
  });
}
