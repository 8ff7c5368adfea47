#include "wizard/fConfigFinish.h"

#include "common/trvTools.h"
#include "unicode/GnuGettext.h"
#include "wizard/uFinalPage.h"
#include "wizard/uWizardSupport.h"

void TframeConfigFinish::SetFinishTexts() {
  SetFinalPageTexts(
      this, {Translate(L"All settings have been adjusted individually now."),
             FormatIndexed(Translate(L"You can use the %1 button from the Internet Explorer toolbar to move websites "
                                     L"between the different security zones."),
                           {ProductName}),
             // Stored as it stands, doubled word and all; the catalogs carry the corrections.
             Translate(L"Your Internet Explorer is now configured for the security level level of your choice"),
             FinalPageThankyou()});
}

VGT_PUBLISH(TframeConfigFinish) {}

VGT_UNIT_ANCHOR(fConfigFinish)
