// Frames: a container with a form description of its own, placed on forms (and on other frames)
// like a control. A placed frame is made with its description read; the description of the form
// that places it is read over it, so that the form's values for the frame and, with "inherited",
// for the frame's components win.
#pragma once

#include <memory>

#include "classlib/Forms.h"

class TCustomFrame : public TScrollingWinControl {
  VGT_CLASS(TCustomFrame, TScrollingWinControl)
 public:
  explicit TCustomFrame(TComponent* AOwner);

  // A frame of class F with its descriptions read (F's and its ancestors' below TFrame).
  template <class F>
  static F* Create(TComponent* AOwner) {
    std::unique_ptr<F> f(new F(AOwner));
    f->ReadFrameDescriptions();
    return f.release();
  }
  // Reads the descriptions of this frame's class chain, the ancestors' first; raises EResNotFound
  // naming the class when a class below TFrame has none at all.
  void ReadFrameDescriptions();

 protected:
  void CreateParams(TCreateParams& Params) override;
};

class TFrame : public TCustomFrame {
  VGT_CLASS(TFrame, TCustomFrame)
 public:
  explicit TFrame(TComponent* AOwner) : TCustomFrame(AOwner) {}
};

// Registers frame class C so that form descriptions make it with its own description read:
//   VGT_PUBLISH(TMyFrame) { ... }
//   VGT_REGISTER_FRAME(TMyFrame);
// (after the VGT_PUBLISH block, whose plain factory it replaces).
#define VGT_REGISTER_FRAME(C)                                                                      \
  [[maybe_unused]] static const bool VGT_PUBLISH_CAT(vgtFrame_, C) = [] {                          \
    RegisterComponentClass(C::StaticClass(),                                                       \
                           [](TComponent* Owner) -> TComponent* { return TCustomFrame::Create<C>(Owner); }); \
    return true;                                                                                   \
  }()
