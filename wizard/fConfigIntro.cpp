#include "wizard/fConfigIntro.h"

#include "common/trvControls.h"
#include "common/trvTools.h"
#include "common/trvZoneServices.h"
#include "unicode/GnuGettext.h"
#include "wizard/uWizardSupport.h"

void TframeConfigIntro::BindStep(TTunewrightStep* AStep) {
  SetDialogFont(Font());
  Step = AStep;
  UpdateIntroTexts();
  TConfigStepList* list = Step->Owner;
  if (Step->Navigation == navJump && Step->JumpTo == list->ManualIndex) {
    FindDesigned<TUtxRadioButton>(this, L"radManual")->SetChecked(true);
  } else if (Step->Navigation == navJump && Step->JumpTo == list->RevertIndex) {
    FindDesigned<TUtxRadioButton>(this, L"radRevert")->SetChecked(true);
  } else {
    FindDesigned<TUtxRadioButton>(this, L"radAutomatic")->SetChecked(true);
    radAutomaticClick(this);
  }
}

bool TframeConfigIntro::IsPolicyMismatch(const TSettingStep& Setting, DWORD Zone) const {
  DWORD policy = URLPOLICY_ALLOW;
  // A policy that cannot be read counts as Allow, as on the setting pages.
  if (!ReadZonePolicy(Setting.Owner->ZoneManager(), Zone, Setting.UrlAction, policy)) policy = URLPOLICY_ALLOW;
  return Setting.PolicyChoice(policy) != Setting.Recommended(Zone);
}

int TframeConfigIntro::CountMismatches() const {
  if (!Step) return 0;
  const TConfigStepList* list = Step->Owner;
  int count = 0;
  for (int32_t i = 0; i < list->GetStepCount(); ++i) {
    const TTunewrightStep* s = list->GetStep(i);
    if (!list->IsStepApplicable(s)) continue;
    if (const auto* setting = dynamic_cast<const TSettingStep*>(s))
      for (DWORD zone : {URLZONE_TRUSTED, URLZONE_INTERNET, URLZONE_UNTRUSTED})
        count += IsPolicyMismatch(*setting, zone);
  }
  return count;
}

void TframeConfigIntro::UpdateIntroTexts() {
  const int mismatches = CountMismatches();
  FindDesigned<TUtxLabel>(this, L"lblWrong")
      ->SetCaption(mismatches == 0
                       ? Translate(L"Congratulations. Your security zone settings match our recommendations. You "
                                   L"don't have to make any changes.")
                       : FormatIndexed(Translate(L"Your security zone settings don't match our recommendations. "
                                                 L"Please review your settings or let %1 make all the changes for "
                                                 L"you."),
                                       {ProductName}));
  auto* welcome = FindDesigned<TUtxLabel>(this, L"lblWelcome");
  welcome->SetCaption(ProductName);
  AddFontStyle(welcome, TFontStyle::fsBold);
  FindDesigned<TUtxRadioButton>(this, L"radManual")->SetCaption(Translate(L"&Let me change each setting individually"));
  FindDesigned<TUtxRadioButton>(this, L"radAutomatic")
      ->SetCaption(Translate(L"&Automatically make all recommended changes"));
  FindDesigned<TUtxRadioButton>(this, L"radRevert")
      ->SetCaption(Translate(L"&Revert to Internet Explorer default settings"));
  FindDesigned<TUtxLabel>(this, L"lblExplain")
      ->SetCaption(FormatIndexed(
          Translate(L"%1 Tunewright helps you adjusting your security zone settings to good default values."),
          {ProductName}));
  FindDesigned<TUtxLabel>(this, L"lblExplainLanguage")->SetCaption(Translate(L"Choose Veilgate language:"));
  FindDesigned<TtrvLanguageComboBox>(this, L"cboLanguage")->SelectStoredLanguage();
  if (Step) Step->Owner->FireTextsChanged();
}

void TframeConfigIntro::Choose(int32_t JumpTo) {
  if (!Step) return;
  Step->Navigation = navJump;
  Step->JumpTo = JumpTo;
}

void TframeConfigIntro::radManualClick(TObject*) {
  if (Step) Choose(Step->Owner->ManualIndex);
}

void TframeConfigIntro::radAutomaticClick(TObject*) {
  if (Step) Choose(Step->Owner->AutomaticIndex);
}

void TframeConfigIntro::radRevertClick(TObject*) {
  if (Step) Choose(Step->Owner->RevertIndex);
}

void TframeConfigIntro::cboLanguageSelect(TObject*) {
  // A failed write raises: the language then stays as it was.
  FindDesigned<TtrvLanguageComboBox>(this, L"cboLanguage")->ApplySelectedLanguage();
  PostMessageW(Handle(), WM_LANGUAGECHANGED, 0, 0);
}

void TframeConfigIntro::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_LANGUAGECHANGED) {
    UpdateIntroTexts();
    return;
  }
  TUtxFrame::Dispatch(Message);
}

VGT_PUBLISH(TframeConfigIntro) {
  P.Handler(L"radManualClick", &TframeConfigIntro::radManualClick)
      .Handler(L"radAutomaticClick", &TframeConfigIntro::radAutomaticClick)
      .Handler(L"radRevertClick", &TframeConfigIntro::radRevertClick)
      .Handler(L"cboLanguageSelect", &TframeConfigIntro::cboLanguageSelect);
}

VGT_UNIT_ANCHOR(fConfigIntro)
