#include "wizard/uFinalPage.h"

#include "common/trvTools.h"
#include "unicode/GnuGettext.h"
#include "unicode/UtxStdCtrls.h"
#include "wizard/UtxFrame.h"
#include "wizard/uWizardSupport.h"

void SetFinalPageTexts(TComponent* Page, const TFinalPageTexts& Texts) {
  auto* welcome = FindDesigned<TUtxLabel>(Page, L"lblWelcome");
  welcome->SetCaption(ProductName);
  AddFontStyle(welcome, TFontStyle::fsBold);
  FindDesigned<TUtxLabel>(Page, L"lblExplain")->SetCaption(Texts.Explain);
  FindDesigned<TUtxLabel>(Page, L"lblExplain2")->SetCaption(Texts.Explain2);
  auto* feelGood = FindDesigned<TUtxLabel>(Page, L"lblFeelGood");
  feelGood->SetCaption(Texts.FeelGood);
  if (!Texts.FeelGood.empty()) AddFontStyle(feelGood, TFontStyle::fsBold);
  FindDesigned<TUtxLabel>(Page, L"lblThankyou")->SetCaption(Texts.Thankyou);
}

TFinalPageTexts FinalPageErrorTexts() {
  return {Translate(L"There was an error adjusting your security zone settings. Please contact your system "
                    L"administrator to allow making changes to your security zone settings."),
          L"", L"", L""};
}

WideString FinalPageThankyou() {
  return FormatIndexed(Translate(L"Thank you for using %1. Use Tunewright often to check your configuration."),
                       {ProductName});
}
