// The intro page's language choice: a drop-down list of the languages into which the maker's
// texts are translated (the catalogs of the domain "tervana"), each named in its own language,
// behind an item "Automatic" that follows the system's language.
#pragma once

#include <vector>

#include "unicode/UtxStdCtrls.h"

class TConfigLanguageComboBox : public TUtxCustomComboBox {
  VGT_CLASS(TConfigLanguageComboBox, TUtxCustomComboBox)
 public:
  explicit TConfigLanguageComboBox(TComponent* AOwner);

  // Rebuilds the items, keeping the selected language.
  void FillLanguages();
  // The code of the selected item; empty for "Automatic" and when nothing is selected.
  WideString GetSelectedLanguageCode();
  // Selects the item of Code (ignoring case; empty selects "Automatic"), filling the list first
  // when it is empty; an unknown code leaves the selection.
  void SelectLanguageCode(const WideString& Code);
  // The languages offered, in item order ("" for "Automatic").
  const std::vector<WideString>& Codes() const { return FCodes; }

  WideString DefaultLanguageCode = L"en_US";
  WideString DefaultLanguageName = L"English (United States)";

 private:
  std::vector<WideString> FCodes;  // by item index
};
