#include "wizard/uSettingPage.h"

#include "unicode/GnuGettext.h"
#include "unicode/UtxStdCtrls.h"
#include "wizard/UtxFrame.h"
#include "wizard/trvGroupBox.h"
#include "wizard/uConfigSteps.h"
#include "wizard/uWizardSupport.h"

void SetSettingPageTexts(TComponent* Page) {
  FindPageComponent<TtrvGroupBox>(Page, L"trvGroupBoxTrusted")->SetCaption(Translate(L"Trusted Internet Sites"));
  FindPageComponent<TtrvGroupBox>(Page, L"trvGroupBoxInternet")->SetCaption(Translate(L"Normal Internet Sites"));
  FindPageComponent<TtrvGroupBox>(Page, L"trvGroupBoxUntrusted")->SetCaption(Translate(L"Untrusted Internet Sites"));
  auto* explain = FindPageComponent<TUtxLabel>(Page, L"lblFormExplain");
  explain->SetCaption(
      Translate(L"Please select your preferred way of action for each security zone. The recommended setting is "
                L"highlighted and we suggest you use it."));
  explain->Invalidate();
  AddFontStyle(FindPageComponent<TUtxLabel>(Page, L"lblAction"), TFontStyle::fsBold);
}

void SetSettingPageAction(TComponent* Page, uint32_t UrlAction) {
  WideString caption, help;
  GetUrlActionTexts(UrlAction, caption, help);
  FindPageComponent<TUtxLabel>(Page, L"lblAction")->SetCaption(caption);
  FindPageComponent<TUtxLabel>(Page, L"lblExplain")->SetCaption(help);
}

void MarkRecommendedButton(TControl* Button) {
  AddFontStyle(Button, TFontStyle::fsBold);
  AddFontStyle(Button, TFontStyle::fsUnderline);
}
