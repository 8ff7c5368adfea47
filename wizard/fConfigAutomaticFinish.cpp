#include "wizard/fConfigAutomaticFinish.h"

#include "common/trvTools.h"
#include "common/trvZoneServices.h"
#include "unicode/GnuGettext.h"
#include "wizard/uFinalPage.h"
#include "wizard/uWizardSupport.h"

void TframeConfigAutomaticFinish::ApplyPolicyChoice(IInternetZoneManager* Manager, const TSettingStep& Setting,
                                                    DWORD Zone) {
  WriteZonePolicy(Manager, Zone, Setting.UrlAction, Setting.ChoicePolicy(Setting.Recommended(Zone)));
}

bool TframeConfigAutomaticFinish::ApplyRecommended(TTunewrightStep* Step) {
  bool failed = false;
  try {
    TConfigStepList* list = Step->Owner;
    IInternetZoneManager* manager = list->ZoneManager();
    for (int32_t i = 0; i < list->GetStepCount(); ++i) {
      TTunewrightStep* s = list->GetStep(i);
      if (!list->IsStepApplicable(s)) continue;
      if (auto* setting = dynamic_cast<TSettingStep*>(s))
        for (DWORD zone : {URLZONE_TRUSTED, URLZONE_INTERNET, URLZONE_UNTRUSTED})
          ApplyPolicyChoice(manager, *setting, zone);
    }
  } catch (const std::exception&) {
    failed = true;
  }
  if (failed) {
    SetFinalPageTexts(this, FinalPageErrorTexts());
    return false;
  }
  SetFinalPageTexts(
      this,
      {FormatIndexed(Translate(L"All your settings have been adjusted to our recommendations. Please be aware that "
                               L"from now on you'll have to answer a lot of security questions while browsing. Use "
                               L"%1 from the Internet Explorer toolbar to move websites into the appropriate "
                               L"security zone."),
                     {ProductName}),
       FormatIndexed(Translate(L"You must use the %1 button from the Internet Explorer toolbar to move websites "
                               L"between the different security zones. If websites annoy you with many ActiveX "
                               L"questions, just move them to the untrusted zone and all ActiveX will be disabled."),
                     {ProductName}),
       Translate(L"Your Internet Explorer is now configured for an extremely high level of security."),
       FinalPageThankyou()});
  return true;
}

VGT_PUBLISH(TframeConfigAutomaticFinish) {}

VGT_UNIT_ANCHOR(fConfigAutomaticFinish)
