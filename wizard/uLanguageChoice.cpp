#include "wizard/uLanguageChoice.h"

#include <algorithm>
#include <utility>

#include "unicode/GnuGettext.h"

namespace {

bool SameCode(const WideString& A, const WideString& B) {
  return A.size() == B.size() &&
         CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, A.c_str(), static_cast<int>(A.size()), B.c_str(),
                        static_cast<int>(B.size())) == CSTR_EQUAL;
}

const wchar_t* const NativeNameId = L"***native language name***";

}  // namespace

TConfigLanguageComboBox::TConfigLanguageComboBox(TComponent* AOwner) : TUtxCustomComboBox(AOwner) {
  SetStyle(TComboBoxStyle::csDropDownList);
}

void TConfigLanguageComboBox::FillLanguages() {
  const WideString selected = GetSelectedLanguageCode();
  std::vector<std::pair<WideString, WideString>> languages;  // name, code
  bool defaultSeen = false;
  {
    // A translator of its own, so that naming a language does not switch the program's.
    TGnuGettextInstance namer;
    for (const WideString& code : DefaultInstance().GetListOfLanguages(LibraryTextDomain)) {
      namer.UseLanguage(code);
      WideString name = namer.TranslateIn(LibraryTextDomain, NativeNameId);
      if (name.empty() || SameCode(name, NativeNameId)) name = code;
      languages.emplace_back(name, code);
      if (SameCode(code, DefaultLanguageCode)) defaultSeen = true;
    }
  }
  if (!defaultSeen) languages.emplace_back(DefaultLanguageName, DefaultLanguageCode);
  std::stable_sort(languages.begin(), languages.end(), [](const auto& A, const auto& B) {
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, A.first.c_str(), -1, B.first.c_str(), -1) ==
           CSTR_LESS_THAN;
  });

  Items()->BeginUpdate();
  try {
    Items()->Clear();
    FCodes.clear();
    Items()->Add(TranslateIn(LibraryTextDomain, L"Automatic"));
    FCodes.push_back(L"");
    for (const auto& [name, code] : languages) {
      Items()->Add(name);
      FCodes.push_back(code);
    }
  } catch (...) {
    Items()->EndUpdate();
    throw;
  }
  Items()->EndUpdate();
  int index = 0;
  for (size_t i = 0; i < FCodes.size(); ++i)
    if (SameCode(FCodes[i], selected)) {
      index = static_cast<int>(i);
      break;
    }
  SetItemIndex(index);
}

WideString TConfigLanguageComboBox::GetSelectedLanguageCode() {
  const int index = ItemIndex();
  if (index < 0 || index >= static_cast<int>(FCodes.size())) return {};
  return FCodes[static_cast<size_t>(index)];
}

void TConfigLanguageComboBox::SelectLanguageCode(const WideString& Code) {
  if (FCodes.empty()) FillLanguages();
  for (size_t i = 0; i < FCodes.size(); ++i)
    if (SameCode(FCodes[i], Code)) {
      SetItemIndex(static_cast<int>(i));
      return;
    }
}

VGT_PUBLISH(TConfigLanguageComboBox) {
  P.Prop(L"DefaultLanguageCode", [](TConfigLanguageComboBox* c) { return c->DefaultLanguageCode; },
         [](TConfigLanguageComboBox* c, const WideString& v) { c->DefaultLanguageCode = v; })
      .Prop(L"DefaultLanguageName", [](TConfigLanguageComboBox* c) { return c->DefaultLanguageName; },
            [](TConfigLanguageComboBox* c, const WideString& v) { c->DefaultLanguageName = v; })
      .Event(L"OnSelect", &TCustomComboBox::OnSelect);
}

VGT_UNIT_ANCHOR(uLanguageChoice)
