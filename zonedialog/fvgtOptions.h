// The Options window: the language of the product's texts, stored as "lang" on OK.
#pragma once

#include "common/trvControls.h"
#include "common/trvLocaleCombo.h"
#include "unicode/UtxComCtrls.h"
#include "unicode/UtxStdCtrls.h"

class TfrmVgtOptions : public TtrvForm {
  VGT_CLASS(TfrmVgtOptions, TtrvForm)
 public:
  explicit TfrmVgtOptions(TComponent* AOwner) : TtrvForm(AOwner) {}
  void FormCreate(TObject* Sender);
  void cmdOKClick(TObject* Sender);

  TUtxButton* cmdOK = nullptr;
  TUtxButton* cmdCancel = nullptr;
  TUtxTabSheet* SheetLanguage = nullptr;
  TUtxLabel* lblLanguage = nullptr;
  TUtxLabel* lblLanguageExplain = nullptr;
  TtrvLanguageComboBox* cboLanguage = nullptr;

 protected:
  void CreateParams(TCreateParams& Params) override;
};
