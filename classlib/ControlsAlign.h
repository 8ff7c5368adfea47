// Alignment and anchors of controls, worked out on plain rectangles (no windows needed). Part of
// the Controls unit; Controls.h includes it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <vector>

#include "classlib/TypInfo.h"

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
VGT_ENUM(TAlign, L"alNone", L"alTop", L"alBottom", L"alLeft", L"alRight", L"alClient", L"alCustom");

enum class TAnchorKind { akLeft, akTop, akRight, akBottom };
VGT_ENUM(TAnchorKind, L"akLeft", L"akTop", L"akRight", L"akBottom");
using TAnchors = TSet<TAnchorKind>;

// Alignment as plain rectangles, so that it can be worked out (and tested) without windows.
// A slot is one aligned child: its alignment, its bounds (read and updated) and whether it is the
// child being moved (which goes before children at the same position on its edge).
struct TAlignSlot {
  TAlign Align = TAlign::alNone;
  RECT Bounds{0, 0, 0, 0};
  bool Moving = false;
};
// Places the item at Index: offered the rectangle it should take, answers the one it took.
using TAlignPlace = std::function<RECT(size_t Index, const RECT& Want)>;
// Lays the slots out along the edges of Client (top, bottom, left, right, then client) and leaves
// in Client what is left; Place (may be empty) lets each item take a different size.
void AlignRects(std::vector<TAlignSlot>& Slots, RECT& Client, const TAlignPlace& Place);
// Bounds moved and sized by a change of the parent's size (DW, DH) as the anchors say.
RECT AnchorRect(const RECT& Bounds, TAnchors Anchors, int DW, int DH);
