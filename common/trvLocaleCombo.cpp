#include "common/trvLocaleCombo.h"

#include "common/trvRegistry.h"
#include "unicode/GnuGettext.h"
#include "unicode/UtxSysUtils.h"

namespace {

bool SameTextNoCase(const WideString& A, const WideString& B) {
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, A.c_str(), static_cast<int>(A.size()), B.c_str(),
                        static_cast<int>(B.size())) == CSTR_EQUAL;
}

}  // namespace

TtrvLanguageComboBox::TtrvLanguageComboBox(TComponent* AOwner)
    : TUtxCustomComboBox(AOwner), FHolders(new TObjectList(true)) {
  SetStyle(TComboBoxStyle::csDropDownList);
  SetSorted(true);
}

// The holders go before the window; the items only carry their addresses.
TtrvLanguageComboBox::~TtrvLanguageComboBox() = default;

TLanguageHolder* TtrvLanguageComboBox::AddHolder(const WideString& Code, const WideString& Name) {
  auto* holder = new TLanguageHolder(Code, Name);
  FHolders->Add(holder);
  return holder;
}

WideString TtrvLanguageComboBox::GetSelectedLanguageCode() {
  const int index = ItemIndex();
  if (index < 0) return {};
  auto* holder = dynamic_cast<TLanguageHolder*>(Items()->Objects(index));
  return holder ? holder->Code : WideString();
}

void TtrvLanguageComboBox::FillLanguages() {
  const WideString selected = GetSelectedLanguageCode();
  Items()->Clear();
  // The languages go to their places by name on every filling. (The list is unsorted after a
  // filling, so that "Automatic" keeps the top; a later filling that left it so would list the
  // languages in the catalogs' order.)
  SetSorted(true);
  const std::vector<WideString> codes = DefaultInstance().GetListOfLanguages(LibraryTextDomain);
  bool defaultFound = false;
  {
    // Names are looked up in each language without touching the program's own.
    TGnuGettextInstance lookup;
    for (const WideString& code : codes) {
      lookup.UseLanguage(code);
      WideString name = lookup.TranslateIn(LibraryTextDomain, NativeLanguageNameMsgId);
      if (name.empty() || SameTextNoCase(name, NativeLanguageNameMsgId)) name = code;
      Items()->AddObject(name, AddHolder(code, name));
      if (SameTextNoCase(code, FDefaultLanguageCode)) defaultFound = true;
    }
  }
  if (!defaultFound)
    Items()->AddObject(FDefaultLanguageName, AddHolder(FDefaultLanguageCode, FDefaultLanguageName));
  SetSorted(false);
  const WideString automatic = TranslateIn(LibraryTextDomain, L"Automatic");
  Items()->InsertObject(0, automatic, AddHolder(L"", automatic));
  int index = 0;
  for (int i = 0; i < Items()->Count(); ++i) {
    auto* holder = dynamic_cast<TLanguageHolder*>(Items()->Objects(i));
    if (holder && SameTextNoCase(holder->Code, selected)) {
      index = i;
      break;
    }
  }
  SetItemIndex(index);
}

void TtrvLanguageComboBox::SelectLanguageCode(const WideString& Code) {
  if (Items()->Count() == 0) FillLanguages();
  for (int i = 0; i < Items()->Count(); ++i) {
    auto* holder = dynamic_cast<TLanguageHolder*>(Items()->Objects(i));
    if (holder && SameTextNoCase(holder->Code, Code)) {
      SetItemIndex(i);
      return;
    }
  }
}

void TtrvLanguageComboBox::SelectStoredLanguage() {
  FillLanguages();
  SelectLanguageCode(ReadRegistryString(ProductRegistryKey, ProductLanguageValue, L""));
}

void TtrvLanguageComboBox::ApplySelectedLanguage() {
  const WideString code = GetSelectedLanguageCode();
  WriteRegistryString(ProductRegistryKey, ProductLanguageValue, code);
  UseLanguage(code);
}

VGT_PUBLISH(TtrvLanguageComboBox) {
  P.Prop(L"DefaultLanguageCode", &TtrvLanguageComboBox::DefaultLanguageCode,
         &TtrvLanguageComboBox::SetDefaultLanguageCode)
      .Prop(L"DefaultLanguageName", &TtrvLanguageComboBox::DefaultLanguageName,
            &TtrvLanguageComboBox::SetDefaultLanguageName)
      .Event(L"OnSelect", &TCustomComboBox::OnSelect);
}
