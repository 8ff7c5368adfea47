// The Options window: the language of the product's texts, stored as "lang" on OK.
#pragma once

#include <vector>

#include "common/trvControls.h"
#include "unicode/UtxComCtrls.h"
#include "unicode/UtxStdCtrls.h"

// The languages the program has catalogs for, "Automatic" (the system's language) first, then
// the built-in English, then every catalog folder beside the program.
class TvgtLanguageComboBox : public TUtxCustomComboBox {
  VGT_CLASS(TvgtLanguageComboBox, TUtxCustomComboBox)
 public:
  explicit TvgtLanguageComboBox(TComponent* AOwner);
  void FillLanguages();
  // Selects Code's entry; an unknown or empty code selects "Automatic".
  void SelectLanguageCode(const WideString& Code);
  // The selected entry's code; empty for "Automatic" or no selection.
  WideString GetSelectedLanguageCode();
  const std::vector<WideString>& Codes() const { return FCodes; }

 private:
  std::vector<WideString> FCodes;
};

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
  TvgtLanguageComboBox* cboLanguage = nullptr;

 protected:
  void CreateParams(TCreateParams& Params) override;
};
