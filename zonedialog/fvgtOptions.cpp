#include "zonedialog/fvgtOptions.h"

#include "common/trvCommonTexts.h"
#include "common/trvRegistry.h"
#include "common/trvTools.h"
#include "unicode/GnuGettext.h"

void TfrmVgtOptions::FormCreate(TObject*) {
  cmdOK = FindDesigned<TUtxButton>(this, L"cmdOK");
  cmdCancel = FindDesigned<TUtxButton>(this, L"cmdCancel");
  SheetLanguage = FindDesigned<TUtxTabSheet>(this, L"SheetLanguage");
  lblLanguage = FindDesigned<TUtxLabel>(this, L"lblLanguage");
  lblLanguageExplain = FindDesigned<TUtxLabel>(this, L"lblLanguageExplain");
  cboLanguage = FindDesigned<TtrvLanguageComboBox>(this, L"cboLanguage");

  SetWideControlText(this, FormatIndexed(Translate(L"%1 - Options"), {ProductName}));
  SetWideControlText(cmdOK, Translate(L"OK"));
  SetWideControlText(cmdCancel, Translate(L"Cancel"));
  SetWideControlText(SheetLanguage, Translate(L"Language"));
  SetWideControlText(lblLanguage, Translate(L"Select language:"));
  SetWideControlText(lblLanguageExplain,
                     FormatIndexed(Translate(L"%1 is available in other languages, too. You can choose any of the "
                                             L"languages shown below."),
                                   {ProductName}));
  cboLanguage->FillLanguages();
  cboLanguage->SelectLanguageCode(ReadRegistryString(ProductRegistryKey, ProductLanguageValue, L""));
}

void TfrmVgtOptions::cmdOKClick(TObject*) {
  // The button has set OK already: a failed write is shown and the window still closes with OK.
  try {
    WriteRegistryString(ProductRegistryKey, ProductLanguageValue, cboLanguage->GetSelectedLanguageCode());
  } catch (const Exception&) {
    Application->HandleException(this);
  }
  SetModalResult(mrOk);
}

VGT_PUBLISH(TfrmVgtOptions) {
  P.Handler(L"FormCreate", &TfrmVgtOptions::FormCreate).Handler(L"cmdOKClick", &TfrmVgtOptions::cmdOKClick);
}

VGT_UNIT_ANCHOR(fvgtOptions)
