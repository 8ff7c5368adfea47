// The Unicode image, panel and control bar: the image's picture is the layer's TUtxPicture and it
// has a wide hint; the panel paints its wide caption itself in a Unicode window; the control bar
// has a Unicode window and a wide hint.
#pragma once

#include "classlib/ExtCtrls.h"
#include "unicode/UtxControlBase.h"
#include "unicode/UtxGraphics.h"

class TUtxImage : public TUtxControlBase<TImage> {
  VGT_CLASS(TUtxImage, TImage)
 public:
  // The class library's picture is replaced by a TUtxPicture that keeps its change handler.
  explicit TUtxImage(TComponent* AOwner);

  // Raises the invalid-cast error should the picture not be a TUtxPicture.
  TUtxPicture* GetPicture() const;
  WideString GetHint() { return GetWideHint(this); }
  void SetHint(const WideString& Value) { SetWideHint(this, Value); }
};

class TUtxCustomPanel : public TUtxControlBase<TCustomPanel> {
  VGT_CLASS(TUtxCustomPanel, TCustomPanel)
 public:
  using TUtxControlBase::TUtxControlBase;

  // Bevels, border and face as the class library paints them, then the wide caption in one
  // line centred vertically; off the Unicode platform the class library's own painting.
  void DrawPanel();

 protected:
  void Paint() override { DrawPanel(); }
};

class TUtxPanel : public TUtxCustomPanel {
  VGT_CLASS(TUtxPanel, TUtxCustomPanel)
 public:
  using TUtxCustomPanel::TUtxCustomPanel;
  TWideCaption GetCaption() { return GetWideControlText(this); }
  void SetCaption(const TWideCaption& Value) { SetWideControlText(this, Value); }
};

class TUtxCustomControlBar : public TUtxControlBase<TCustomControlBar> {
  VGT_CLASS(TUtxCustomControlBar, TCustomControlBar)
 public:
  using TUtxControlBase::TUtxControlBase;
};

class TUtxControlBar : public TUtxCustomControlBar {
  VGT_CLASS(TUtxControlBar, TUtxCustomControlBar)
 public:
  using TUtxCustomControlBar::TUtxCustomControlBar;
};
