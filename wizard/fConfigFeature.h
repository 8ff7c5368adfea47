// The setting page: one URL action with a group of choices (Allow, Ask, Deny, or Allow and Deny)
// for each of the Trusted, Internet and Restricted zones. The buttons always show what the zone
// manager holds; a click writes the checked choice of all three zones at once and reads them back.
// The three-way and the two-way page differ only in their form descriptions and their choices.
#pragma once

#include <memory>
#include <vector>

#include "unicode/UtxStdCtrls.h"
#include "wizard/UtxFrame.h"
#include "wizard/trvGroupBox.h"
#include "wizard/uConfigSteps.h"

// One zone on a setting page: its buttons in choice order.
class TChoiceGroup : public TObject {
  VGT_CLASS(TChoiceGroup, TObject)
 public:
  int32_t Zone = 0;
  TtrvGroupBox* GroupBox = nullptr;
  uint8_t Recommended = 0;
  std::vector<TUtxRadioButton*> Buttons;
};

class TframeConfigFeature : public TUtxFrame {
  VGT_CLASS(TframeConfigFeature, TUtxFrame)
 public:
  explicit TframeConfigFeature(TComponent* AOwner);
  ~TframeConfigFeature() override;

  void FrameCreated() override;
  // Shows the step's action and the zones' current policies without writing any. A step whose
  // number of choices is not the page's is not shown.
  void LoadStep(TSettingStep* AStep);
  void rg1AllowClick(TObject* Sender);

  // The page's choices in order, untranslated: they name its buttons (rg1Allow ...) and, translated,
  // label them.
  virtual std::vector<const wchar_t*> ChoiceNames() const = 0;

  TSettingStep* Step = nullptr;
  TChoiceGroup* GroupTrusted() const { return FGroups[0].get(); }
  TChoiceGroup* GroupInternet() const { return FGroups[1].get(); }
  TChoiceGroup* GroupUntrusted() const { return FGroups[2].get(); }

 private:
  void MarkRecommended(TChoiceGroup& Group, uint8_t Recommended);
  void ReadGroupPolicy(TChoiceGroup& Group);
  void WriteGroupPolicy(TChoiceGroup& Group);
  // The button of a choice or recommendation byte: a value past the last choice is the last (Deny).
  static TUtxRadioButton* ChoiceButton(TChoiceGroup& Group, uint8_t Choice);

  int32_t FLoadingCount = 0;
  std::unique_ptr<TChoiceGroup> FGroups[3];
};
