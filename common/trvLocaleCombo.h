// The language combo box: the languages the library's texts are translated into, each named in
// its own language, after an "Automatic" item that follows the system's language.
#pragma once

#include <memory>

#include "classlib/Lists.h"
#include "unicode/UtxStdCtrls.h"

// One item of the combo box: the gettext code of a catalog ("de_DE"; empty for "Automatic") and
// the text shown.
class TLanguageHolder : public TObject {
  VGT_CLASS(TLanguageHolder, TObject)
 public:
  TLanguageHolder(const WideString& ACode, const WideString& AName) : Code(ACode), Name(AName) {}
  WideString Code;
  WideString Name;
};

// The message whose translation in a catalog of the library's domain names its language.
inline constexpr const wchar_t* NativeLanguageNameMsgId = L"***native language name***";

class TtrvLanguageComboBox : public TUtxCustomComboBox {
  VGT_CLASS(TtrvLanguageComboBox, TUtxCustomComboBox)
 public:
  explicit TtrvLanguageComboBox(TComponent* AOwner);
  ~TtrvLanguageComboBox() override;

  // Rebuilds the items from the catalogs of the domain "tervana": "Automatic" first, then the
  // languages sorted by name (the default language among them when no catalog has it). The
  // selected language stays selected; without it "Automatic" is.
  void FillLanguages();
  // The code of the selected item; empty with none selected and for "Automatic".
  WideString GetSelectedLanguageCode();
  // Selects the first item with Code (without regard to case), filling the list first when it is
  // empty; an unknown code leaves the selection alone.
  void SelectLanguageCode(const WideString& Code);

  // What the options window and the wizard's intro page do with the product key's "lang":
  // fills the list and selects the stored language ("Automatic" for none, or for one without a
  // catalog).
  void SelectStoredLanguage();
  // Stores the selected code as "lang" and switches the program's translation to it (empty: the
  // system's language). A failed write raises the registry error and switches nothing.
  void ApplySelectedLanguage();

  WideString DefaultLanguageCode() const { return FDefaultLanguageCode; }
  void SetDefaultLanguageCode(const WideString& Value) { FDefaultLanguageCode = Value; }
  WideString DefaultLanguageName() const { return FDefaultLanguageName; }
  void SetDefaultLanguageName(const WideString& Value) { FDefaultLanguageName = Value; }

 private:
  TLanguageHolder* AddHolder(const WideString& Code, const WideString& Name);
  // Every holder made, those of earlier fillings too, until the combo box goes.
  std::unique_ptr<TObjectList> FHolders;
  WideString FDefaultLanguageCode = L"en_US";
  WideString FDefaultLanguageName = L"English (United States)";
};
