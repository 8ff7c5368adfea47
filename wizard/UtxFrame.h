// The Unicode frame, base of every wizard page: a Unicode window and a wide hint (a frame shows
// no caption). Pages are made with their form descriptions read and then finished by a second
// phase of their own, since a constructor runs before the description is read.
#pragma once

#include <memory>

#include "classlib/Frames.h"
#include "common/trvControls.h"
#include "unicode/UtxControlBase.h"
#include "wizard/uConfigSteps.h"

class TUtxCustomFrame : public TUtxControlBase<TCustomFrame> {
  VGT_CLASS(TUtxCustomFrame, TCustomFrame)
 public:
  using TUtxControlBase::TUtxControlBase;

  // Second phase: runs once the frame's descriptions are read (CreateUtxFrame).
  virtual void FrameCreated() {}
};

class TUtxFrame : public TUtxCustomFrame {
  VGT_CLASS(TUtxFrame, TUtxCustomFrame)
 public:
  using TUtxCustomFrame::TUtxCustomFrame;
};

// A frame of class F with its descriptions read and its second phase run.
template <class F>
F* CreateUtxFrame(TComponent* Owner) {
  // The frames' published properties, which page descriptions set, are linked with any page.
  VGT_USE_UNIT(UtxFrame);
  std::unique_ptr<F> frame(TCustomFrame::Create<F>(Owner));
  frame->FrameCreated();
  return frame.release();
}

// The page class reference of a frame class F, made by CreateUtxFrame.
template <class F>
TFrameClass UtxFrameClassOf() {
  static const TFrameClassInfo info{F::StaticClass(),
                                    [](TComponent* Owner) -> TComponent* { return CreateUtxFrame<F>(Owner); }};
  return &info;
}
