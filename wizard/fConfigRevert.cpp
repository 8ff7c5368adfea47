#include "wizard/fConfigRevert.h"

#include "common/trvControls.h"
#include "common/trvTools.h"
#include "common/trvZoneServices.h"
#include "unicode/GnuGettext.h"
#include "wizard/uFinalPage.h"
#include "wizard/uWizardSupport.h"

bool TframeConfigRevert::RevertZones(TTunewrightStep* Step) {
  bool failed = false;
  try {
    // The attribute record is zeroed before the read: a manager that answers success and writes
    // nothing must not hand a stale template number to the copy.
    for (DWORD zone : {URLZONE_TRUSTED, URLZONE_INTERNET, URLZONE_UNTRUSTED})
      ReloadZoneTemplate(Step->Owner->ZoneManager(), zone);
  } catch (const std::exception&) {
    failed = true;
  }
  SetDialogFont(Font());
  if (failed) {
    SetFinalPageTexts(this, FinalPageErrorTexts());
    return false;
  }
  SetFinalPageTexts(
      this, {Translate(L"All security zone settings have been reloaded with defaults from Internet Explorer."),
             FormatIndexed(Translate(L"Reloading Internet Explorer defaults only makes sense if you intend to "
                                     L"uninstall %1. Remember, you can always start Tunewright to get better "
                                     L"settings."),
                           {ProductName}),
             Translate(L"Your Internet Explorer is now configured to a standard level of security."),
             FinalPageThankyou()});
  return true;
}

VGT_PUBLISH(TframeConfigRevert) {}

VGT_UNIT_ANCHOR(fConfigRevert)
