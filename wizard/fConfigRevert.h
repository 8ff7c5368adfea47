// The revert path: the Trusted, Internet and Restricted zones get the policies of the browser's
// recommended template back when the page is shown. A failure stops at once (zones reverted stay
// so) and is told in the page's texts.
#pragma once

#include "wizard/UtxFrame.h"
#include "wizard/uConfigSteps.h"

class TframeConfigRevert : public TUtxFrame {
  VGT_CLASS(TframeConfigRevert, TUtxFrame)
 public:
  using TUtxFrame::TUtxFrame;
  // Step: the page's own step, for its list's zone manager. True when every zone was reloaded.
  bool RevertZones(TTunewrightStep* Step);
};
