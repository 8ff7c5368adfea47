// The base of bar-like windows (the tool bar): three-dimensional edges drawn in the window's
// frame, on the sides chosen.
#pragma once

#include "classlib/Controls.h"

enum class TEdgeBorder { ebLeft, ebTop, ebRight, ebBottom };
VGT_ENUM(TEdgeBorder, L"ebLeft", L"ebTop", L"ebRight", L"ebBottom");
using TEdgeBorders = TSet<TEdgeBorder>;
enum class TEdgeStyle { esNone, esRaised, esLowered };
VGT_ENUM(TEdgeStyle, L"esNone", L"esRaised", L"esLowered");

class TToolWindow : public TWinControl {
  VGT_CLASS(TToolWindow, TWinControl)
 public:
  // A bar along the top of its parent, in the colour of buttons.
  explicit TToolWindow(TComponent* AOwner);

  TEdgeBorders EdgeBorders() const { return FEdgeBorders; }
  void SetEdgeBorders(TEdgeBorders Value);
  TEdgeStyle EdgeInner() const { return FEdgeInner; }
  void SetEdgeInner(TEdgeStyle Value);
  TEdgeStyle EdgeOuter() const { return FEdgeOuter; }
  void SetEdgeOuter(TEdgeStyle Value);
  // The frame's width on each side (left, top, right, bottom) that the edges take.
  RECT EdgeWidths() const;
  void Dispatch(TMessage& Message) override;

 private:
  void EdgesChanged();
  TEdgeBorders FEdgeBorders{TEdgeBorder::ebTop};
  TEdgeStyle FEdgeInner = TEdgeStyle::esRaised;
  TEdgeStyle FEdgeOuter = TEdgeStyle::esLowered;
};
