#include "wizard/fConfigFeature2.h"

#include "common/trvControls.h"
#include "common/trvZoneServices.h"
#include "unicode/GnuGettext.h"
#include "wizard/uSettingPage.h"
#include "wizard/uWizardSupport.h"

TframeConfigFeature2::TframeConfigFeature2(TComponent* AOwner) : TUtxFrame(AOwner) {
  // The group boxes are made by the form description: their classes must be registered.
  VGT_USE_UNIT(trvGroupBox);
}

TframeConfigFeature2::~TframeConfigFeature2() {
  for (auto& g : FGroups) g.reset();
}

void TframeConfigFeature2::FrameCreated() {
  SetDialogFont(Font());
  FLoadingCount = 1;
  static const wchar_t* const boxes[3] = {L"trvGroupBoxTrusted", L"trvGroupBoxInternet", L"trvGroupBoxUntrusted"};
  static const wchar_t* const prefixes[3] = {L"rg1", L"rg2", L"rg3"};
  for (int i = 0; i < 3; ++i) {
    auto g = std::make_unique<TChoiceGroup2>();
    g->Zone = URLZONE_TRUSTED + i;
    g->GroupBox = FindPageComponent<TtrvGroupBox>(this, boxes[i]);
    const WideString prefix = prefixes[i];
    g->AllowButton = FindPageComponent<TUtxRadioButton>(this, (prefix + L"Allow").c_str());
    g->DenyButton = FindPageComponent<TUtxRadioButton>(this, (prefix + L"Deny").c_str());
    SetChoiceCaptions(*g);
    FGroups[i] = std::move(g);
  }
  SetSettingPageTexts(this);
  --FLoadingCount;
}

void TframeConfigFeature2::SetChoiceCaptions(TChoiceGroup2& Group) {
  Group.AllowButton->SetCaption(Translate(L"Allow"));
  Group.DenyButton->SetCaption(Translate(L"Deny"));
}

void TframeConfigFeature2::LoadStep(TTunewrightStep2* AStep) {
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

void TframeConfigFeature2::MarkRecommended(TChoiceGroup2& Group, uint8_t Recommended) {
  Group.Recommended = Recommended;
  Group.AllowButton->SetParentFont(false);
  Group.DenyButton->SetParentFont(false);
  MarkRecommendedButton(Recommended == 0 ? Group.AllowButton : Group.DenyButton);
  ReadGroupPolicy(Group);
}

void TframeConfigFeature2::ReadGroupPolicy(TChoiceGroup2& Group) {
  if (!Step) return;
  DWORD policy = 0;
  const bool deny =
      ReadZonePolicy(Step->Owner->ZoneManager(), Group.Zone, Step->UrlAction, policy) && PolicyToFlag(policy);
  (deny ? Group.DenyButton : Group.AllowButton)->SetChecked(true);
}

void TframeConfigFeature2::WriteGroupPolicy(TChoiceGroup2& Group) {
  if (!Step) return;
  DWORD policy = FlagToPolicy(Group.AllowButton->Checked() ? 0 : 1);
  // The result is not examined: the read that follows shows what the zone manager holds.
  Step->Owner->ZoneManager()->SetZoneActionPolicy(Group.Zone, Step->UrlAction, reinterpret_cast<BYTE*>(&policy),
                                                  sizeof policy, URLZONEREG_DEFAULT);
  ReadGroupPolicy(Group);
}

void TframeConfigFeature2::rg1AllowClick(TObject*) {
  if (FLoadingCount != 0) return;
  for (auto& g : FGroups) WriteGroupPolicy(*g);
}

VGT_PUBLISH(TframeConfigFeature2) { P.Handler(L"rg1AllowClick", &TframeConfigFeature2::rg1AllowClick); }

VGT_UNIT_ANCHOR(fConfigFeature2)
