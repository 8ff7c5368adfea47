// The three-way setting page: one URL action with Allow, Ask and Deny for the Trusted, Internet
// and Restricted zones. The buttons always show what the zone manager holds; a click writes the
// checked choice of all three zones at once and reads them back.
#pragma once

#include <memory>

#include "unicode/UtxStdCtrls.h"
#include "wizard/UtxFrame.h"
#include "wizard/trvGroupBox.h"
#include "wizard/uConfigSteps.h"

// One zone on the three-way page.
class TChoiceGroup : public TObject {
  VGT_CLASS(TChoiceGroup, TObject)
 public:
  int32_t Zone = 0;
  TtrvGroupBox* GroupBox = nullptr;
  uint8_t Recommended = chAllow;
  TUtxRadioButton* AllowButton = nullptr;
  TUtxRadioButton* AskButton = nullptr;
  TUtxRadioButton* DenyButton = nullptr;
};

class TframeConfigFeature3 : public TUtxFrame {
  VGT_CLASS(TframeConfigFeature3, TUtxFrame)
 public:
  explicit TframeConfigFeature3(TComponent* AOwner);
  ~TframeConfigFeature3() override;

  void FrameCreated() override;
  // Shows the step's action and the zones' current policies without writing any.
  void LoadStep(TTunewrightStep3* AStep);
  void rg1AllowClick(TObject* Sender);

  TTunewrightStep3* Step = nullptr;
  TChoiceGroup* GroupTrusted() const { return FGroups[0].get(); }
  TChoiceGroup* GroupInternet() const { return FGroups[1].get(); }
  TChoiceGroup* GroupUntrusted() const { return FGroups[2].get(); }

 private:
  void SetChoiceCaptions(TChoiceGroup& Group);
  void MarkRecommended(TChoiceGroup& Group, uint8_t Recommended);
  void ReadGroupPolicy(TChoiceGroup& Group);
  void WriteGroupPolicy(TChoiceGroup& Group);

  int32_t FLoadingCount = 0;
  std::unique_ptr<TChoiceGroup> FGroups[3];
};
