#include "wizard/fConfigFeature3.h"

#include "common/trvControls.h"
#include "common/trvZoneServices.h"
#include "unicode/GnuGettext.h"
#include "wizard/uSettingPage.h"
#include "wizard/uWizardSupport.h"

TframeConfigFeature3::TframeConfigFeature3(TComponent* AOwner) : TUtxFrame(AOwner) {
  // The group boxes are made by the form description: their classes must be registered.
  VGT_USE_UNIT(trvGroupBox);
}

TframeConfigFeature3::~TframeConfigFeature3() {
  for (auto& g : FGroups) g.reset();
}

void TframeConfigFeature3::FrameCreated() {
  SetDialogFont(Font());
  FLoadingCount = 1;
  static const wchar_t* const boxes[3] = {L"trvGroupBoxTrusted", L"trvGroupBoxInternet", L"trvGroupBoxUntrusted"};
  static const wchar_t* const prefixes[3] = {L"rg1", L"rg2", L"rg3"};
  for (int i = 0; i < 3; ++i) {
    auto g = std::make_unique<TChoiceGroup>();
    g->Zone = URLZONE_TRUSTED + i;
    g->GroupBox = FindPageComponent<TtrvGroupBox>(this, boxes[i]);
    const WideString prefix = prefixes[i];
    g->AllowButton = FindPageComponent<TUtxRadioButton>(this, (prefix + L"Allow").c_str());
    g->AskButton = FindPageComponent<TUtxRadioButton>(this, (prefix + L"Ask").c_str());
    g->DenyButton = FindPageComponent<TUtxRadioButton>(this, (prefix + L"Deny").c_str());
    SetChoiceCaptions(*g);
    FGroups[i] = std::move(g);
  }
  SetSettingPageTexts(this);
  --FLoadingCount;
}

void TframeConfigFeature3::SetChoiceCaptions(TChoiceGroup& Group) {
  Group.AllowButton->SetCaption(Translate(L"Allow"));
  Group.AskButton->SetCaption(Translate(L"Ask"));
  Group.DenyButton->SetCaption(Translate(L"Deny"));
}

void TframeConfigFeature3::LoadStep(TTunewrightStep3* AStep) {
  ++FLoadingCount;
  try {
    Step = AStep;
    SetSettingPageAction(this, AStep->UrlAction);
    MarkRecommended(*GroupTrusted(), AStep->RecTrusted);
    MarkRecommended(*GroupInternet(), AStep->RecInternet);
    MarkRecommended(*GroupUntrusted(), AStep->RecRestricted);
  } catch (...) {
    --FLoadingCount;
    throw;
  }
  --FLoadingCount;
}

void TframeConfigFeature3::MarkRecommended(TChoiceGroup& Group, uint8_t Recommended) {
  Group.Recommended = Recommended;
  TUtxRadioButton* buttons[3] = {Group.AllowButton, Group.AskButton, Group.DenyButton};
  for (auto* b : buttons) b->SetParentFont(false);
  TUtxRadioButton* marked = Recommended == chAllow ? Group.AllowButton
                            : Recommended == chAsk ? Group.AskButton
                                                   : Group.DenyButton;
  MarkRecommendedButton(marked);
  ReadGroupPolicy(Group);
}

void TframeConfigFeature3::ReadGroupPolicy(TChoiceGroup& Group) {
  if (!Step) return;
  DWORD policy = 0;
  const uint8_t choice = ReadZonePolicy(Step->Owner->ZoneManager(), Group.Zone, Step->UrlAction, policy)
                             ? PolicyToChoice(policy)
                             : static_cast<uint8_t>(chAllow);
  TUtxRadioButton* button = choice == chAllow ? Group.AllowButton : choice == chAsk ? Group.AskButton : Group.DenyButton;
  button->SetChecked(true);
}

void TframeConfigFeature3::WriteGroupPolicy(TChoiceGroup& Group) {
  if (!Step) return;
  const uint8_t choice = Group.AllowButton->Checked() ? chAllow : Group.AskButton->Checked() ? chAsk : chDeny;
  DWORD policy = ChoiceToPolicy(choice);
  // The result is not examined: the read that follows shows what the zone manager holds.
  Step->Owner->ZoneManager()->SetZoneActionPolicy(Group.Zone, Step->UrlAction, reinterpret_cast<BYTE*>(&policy),
                                                  sizeof policy, URLZONEREG_DEFAULT);
  ReadGroupPolicy(Group);
}

void TframeConfigFeature3::rg1AllowClick(TObject*) {
  if (FLoadingCount != 0) return;
  for (auto& g : FGroups) WriteGroupPolicy(*g);
}

VGT_PUBLISH(TframeConfigFeature3) { P.Handler(L"rg1AllowClick", &TframeConfigFeature3::rg1AllowClick); }

VGT_UNIT_ANCHOR(fConfigFeature3)
