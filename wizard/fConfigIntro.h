// The intro page: whether the zones' policies match the recommendations, the choice of the way on
// (each setting, all recommendations at once, or the browser's templates), kept in the intro
// step's navigation, and the choice of the interface language.
#pragma once

#include "common/trvLocaleCombo.h"
#include "unicode/UtxStdCtrls.h"
#include "wizard/UtxFrame.h"
#include "wizard/uConfigSteps.h"

// Private to the page: the language changed; rebuild the texts once the combo box's own selection
// handling has ended.
inline constexpr UINT WM_LANGUAGECHANGED = 0x3E7D;

class TframeConfigIntro : public TUtxFrame {
  VGT_CLASS(TframeConfigIntro, TUtxFrame)
 public:
  using TUtxFrame::TUtxFrame;

  void BindStep(TTunewrightStep* AStep);
  // Recounts the mismatches and sets every text of the page, then has the window retranslate.
  void UpdateIntroTexts();
  // The number of zone policies that differ from the recommendations of the steps that apply.
  int CountMismatches() const;

  void radManualClick(TObject* Sender);
  void radAutomaticClick(TObject* Sender);
  void radRevertClick(TObject* Sender);
  void cboLanguageSelect(TObject* Sender);
  void Dispatch(TMessage& Message) override;

  TTunewrightStep* Step = nullptr;

 private:
  // The zone's policy for the step's action is not the recommended choice (in the step's kind of
  // choice).
  bool IsPolicyMismatch(const TSettingStep& Setting, DWORD Zone) const;
  void Choose(int32_t JumpTo);
};
