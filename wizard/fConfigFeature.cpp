#include "wizard/fConfigFeature.h"

#include <algorithm>

#include "base/Scope.h"
#include "common/trvControls.h"
#include "common/trvZoneServices.h"
#include "unicode/GnuGettext.h"
#include "wizard/uWizardSupport.h"

TframeConfigFeature::TframeConfigFeature(TComponent* AOwner) : TUtxFrame(AOwner) {
  // The group boxes are made by the form description: their classes must be registered.
  VGT_USE_UNIT(trvGroupBox);
}

TframeConfigFeature::~TframeConfigFeature() {
  for (auto& g : FGroups) g.reset();
}

void TframeConfigFeature::FrameCreated() {
  SetDialogFont(Font());
  const TCounterGuard loading(FLoadingCount);
  static const wchar_t* const boxes[3] = {L"trvGroupBoxTrusted", L"trvGroupBoxInternet", L"trvGroupBoxUntrusted"};
  static const wchar_t* const prefixes[3] = {L"rg1", L"rg2", L"rg3"};
  static const wchar_t* const captions[3] = {L"Trusted Internet Sites", L"Normal Internet Sites",
                                             L"Untrusted Internet Sites"};
  const std::vector<const wchar_t*> choices = ChoiceNames();
  for (int i = 0; i < 3; ++i) {
    auto g = std::make_unique<TChoiceGroup>();
    g->Zone = URLZONE_TRUSTED + i;
    g->GroupBox = FindDesigned<TtrvGroupBox>(this, boxes[i]);
    for (const wchar_t* choice : choices) {
      auto* button = FindDesigned<TUtxRadioButton>(this, (WideString(prefixes[i]) + choice).c_str());
      button->SetCaption(Translate(choice));
      g->Buttons.push_back(button);
    }
    FGroups[i] = std::move(g);
  }
  for (int i = 0; i < 3; ++i) FGroups[i]->GroupBox->SetCaption(Translate(captions[i]));
  auto* explain = FindDesigned<TUtxLabel>(this, L"lblFormExplain");
  explain->SetCaption(
      Translate(L"Please select your preferred way of action for each security zone. The recommended setting is "
                L"highlighted and we suggest you use it."));
  explain->Invalidate();
  AddFontStyle(FindDesigned<TUtxLabel>(this, L"lblAction"), TFontStyle::fsBold);
}

void TframeConfigFeature::LoadStep(TSettingStep* AStep) {
  if (static_cast<size_t>(AStep->ChoiceCount()) != ChoiceNames().size()) return;
  const TCounterGuard loading(FLoadingCount);
  Step = AStep;
  WideString caption, help;
  GetUrlActionTexts(AStep->UrlAction, caption, help);
  FindDesigned<TUtxLabel>(this, L"lblAction")->SetCaption(caption);
  FindDesigned<TUtxLabel>(this, L"lblExplain")->SetCaption(help);
  for (auto& g : FGroups) MarkRecommended(*g, AStep->Recommended(static_cast<DWORD>(g->Zone)));
}

TUtxRadioButton* TframeConfigFeature::ChoiceButton(TChoiceGroup& Group, uint8_t Choice) {
  return Group.Buttons[std::min<size_t>(Choice, Group.Buttons.size() - 1)];
}

void TframeConfigFeature::MarkRecommended(TChoiceGroup& Group, uint8_t Recommended) {
  Group.Recommended = Recommended;
  // A font change then stays on its button.
  for (auto* b : Group.Buttons) b->SetParentFont(false);
  TUtxRadioButton* marked = ChoiceButton(Group, Recommended);
  AddFontStyle(marked, TFontStyle::fsBold);
  AddFontStyle(marked, TFontStyle::fsUnderline);
  ReadGroupPolicy(Group);
}

void TframeConfigFeature::ReadGroupPolicy(TChoiceGroup& Group) {
  if (!Step) return;
  DWORD policy = 0;
  // A policy that cannot be read shows Allow.
  const uint8_t choice =
      ReadZonePolicy(Step->Owner->ZoneManager(), Group.Zone, Step->UrlAction, policy) ? Step->PolicyChoice(policy) : 0;
  ChoiceButton(Group, choice)->SetChecked(true);
}

void TframeConfigFeature::WriteGroupPolicy(TChoiceGroup& Group) {
  if (!Step) return;
  // The first checked button; none checked counts as the last (Deny).
  uint8_t choice = 0;
  while (choice + 1u < Group.Buttons.size() && !Group.Buttons[choice]->Checked()) ++choice;
  DWORD policy = Step->ChoicePolicy(choice);
  // The result is not examined: the read that follows shows what the zone manager holds.
  Step->Owner->ZoneManager()->SetZoneActionPolicy(Group.Zone, Step->UrlAction, reinterpret_cast<BYTE*>(&policy),
                                                  sizeof policy, URLZONEREG_DEFAULT);
  ReadGroupPolicy(Group);
}

void TframeConfigFeature::rg1AllowClick(TObject*) {
  if (FLoadingCount != 0) return;
  for (auto& g : FGroups) WriteGroupPolicy(*g);
}

VGT_PUBLISH(TframeConfigFeature) { P.Handler(L"rg1AllowClick", &TframeConfigFeature::rg1AllowClick); }

VGT_UNIT_ANCHOR(fConfigFeature)
