// The end of the manual path: the setting pages have written every change already.
#pragma once

#include "wizard/UtxFrame.h"

class TframeConfigFinish : public TUtxFrame {
  VGT_CLASS(TframeConfigFinish, TUtxFrame)
 public:
  using TUtxFrame::TUtxFrame;
  void FrameCreated() override { SetFinishTexts(); }
  void SetFinishTexts();
};
