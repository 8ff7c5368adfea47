// The Options window: the language of the product's texts, stored as "lang" on OK.
#pragma once

#include "common/trvControls.h"
#include "common/trvLocaleCombo.h"
#include "unicode/UtxComCtrls.h"
#include "unicode/UtxStdCtrls.h"

class TfrmVgtOptions : public TtrvOwnedForm {
  VGT_CLASS(TfrmVgtOptions, TtrvOwnedForm)
 public:
  // Wherever the form is made, its unit (with the handlers its description names) is linked.
  explicit TfrmVgtOptions(TComponent* AOwner) : TtrvOwnedForm(AOwner) { VGT_USE_UNIT(fvgtOptions); }
  void FormCreate(TObject* Sender);
  void cmdOKClick(TObject* Sender);

  TUtxButton* cmdOK = nullptr;
  TUtxButton* cmdCancel = nullptr;
  TUtxTabSheet* SheetLanguage = nullptr;
  TUtxLabel* lblLanguage = nullptr;
  TUtxLabel* lblLanguageExplain = nullptr;
  TtrvLanguageComboBox* cboLanguage = nullptr;
};
