// The end of the automatic path: every recommended policy of every step that applies is written
// when the page is shown, in step order and within a step zones 2, 3, 4. A failure stops the
// writes at once (those made stay) and is told in the page's texts.
#pragma once

#include "wizard/UtxFrame.h"
#include "wizard/uConfigSteps.h"

class TframeConfigAutomaticFinish : public TUtxFrame {
  VGT_CLASS(TframeConfigAutomaticFinish, TUtxFrame)
 public:
  using TUtxFrame::TUtxFrame;
  // Step: the page's own step, through whose list the other steps are reached. True when every
  // write succeeded.
  bool ApplyRecommended(TTunewrightStep* Step);

 private:
  // Writes the step's recommended policy for the zone; a refused write raises EOleSysError.
  static void ApplyPolicyChoice(IInternetZoneManager* Manager, const TSettingStep& Setting, DWORD Zone);
};
