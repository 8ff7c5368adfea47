// The two-way setting page: one URL action with Allow and Deny for the Trusted, Internet
// and Restricted zones. The buttons always show what the zone manager holds; a click writes the
// checked choice of all three zones at once and reads them back.
#pragma once

#include <memory>

#include "unicode/UtxStdCtrls.h"
#include "wizard/UtxFrame.h"
#include "wizard/trvGroupBox.h"
#include "wizard/uConfigSteps.h"

// One zone on the two-way page.
class TChoiceGroup2 : public TObject {
  VGT_CLASS(TChoiceGroup2, TObject)
 public:
  int32_t Zone = 0;
  TtrvGroupBox* GroupBox = nullptr;
  uint8_t Recommended = 0;  // 0 Allow, other Deny
  TUtxRadioButton* AllowButton = nullptr;
  TUtxRadioButton* DenyButton = nullptr;
};

class TframeConfigFeature2 : public TUtxFrame {
  VGT_CLASS(TframeConfigFeature2, TUtxFrame)
 public:
  explicit TframeConfigFeature2(TComponent* AOwner);
  ~TframeConfigFeature2() override;

  void FrameCreated() override;
  // Shows the step's action and the zones' current policies without writing any.
  void LoadStep(TTunewrightStep2* AStep);
  void rg1AllowClick(TObject* Sender);

  TTunewrightStep2* Step = nullptr;
  TChoiceGroup2* GroupTrusted() const { return FGroups[0].get(); }
  TChoiceGroup2* GroupInternet() const { return FGroups[1].get(); }
  TChoiceGroup2* GroupUntrusted() const { return FGroups[2].get(); }

 private:
  void SetChoiceCaptions(TChoiceGroup2& Group);
  void MarkRecommended(TChoiceGroup2& Group, uint8_t Recommended);
  void ReadGroupPolicy(TChoiceGroup2& Group);
  void WriteGroupPolicy(TChoiceGroup2& Group);

  int32_t FLoadingCount = 0;
  std::unique_ptr<TChoiceGroup2> FGroups[3];
};
