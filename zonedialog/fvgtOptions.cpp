#include "zonedialog/fvgtOptions.h"

#include "common/trvRegistry.h"
#include "common/trvTools.h"
#include "unicode/GnuGettext.h"

namespace {

const WideString kProductName = L"Veilgate";

template <class T>
T* FindDesigned(TComponent* Form, const wchar_t* Name) {
  auto* c = dynamic_cast<T*>(Form->FindComponent(Name));
  if (!c) throw EMustNotHappen(L"The form description lacks " + WideString(Name));
  return c;
}

bool CatalogExists(const WideString& Folder, const WideString& Code) {
  const WideString file = Folder + L"\\" + Code + L"\\LC_MESSAGES\\default.mo";
  return GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

TvgtLanguageComboBox::TvgtLanguageComboBox(TComponent* AOwner) : TUtxCustomComboBox(AOwner) {
  SetStyle(TComboBoxStyle::csDropDownList);
}

void TvgtLanguageComboBox::FillLanguages() {
  Items()->Clear();
  FCodes.clear();
  Items()->Add(Translate(L"Automatic"));
  FCodes.push_back(L"");
  Items()->Add(L"English (United States)");
  FCodes.push_back(L"en_US");
  WideString folder = GetCatalogFolder();
  while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const WideString code = found.cFileName;
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || code == L"." || code == L"..") continue;
    if (code == L"en_US" || !CatalogExists(folder, code)) continue;
    Items()->Add(code);
    FCodes.push_back(code);
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

void TvgtLanguageComboBox::SelectLanguageCode(const WideString& Code) {
  int index = 0;
  for (size_t i = 1; i < FCodes.size(); ++i)
    if (!Code.empty() && lstrcmpiW(FCodes[i].c_str(), Code.c_str()) == 0) index = static_cast<int>(i);
  SetItemIndex(FCodes.empty() ? -1 : index);
}

WideString TvgtLanguageComboBox::GetSelectedLanguageCode() {
  const int index = ItemIndex();
  return index >= 0 && index < static_cast<int>(FCodes.size()) ? FCodes[static_cast<size_t>(index)] : WideString();
}

void TfrmVgtOptions::CreateParams(TCreateParams& Params) {
  TtrvForm::CreateParams(Params);
  if (auto* owner = dynamic_cast<TWinControl*>(Owner())) Params.WndParent = owner->Handle();
}

void TfrmVgtOptions::FormCreate(TObject*) {
  cmdOK = FindDesigned<TUtxButton>(this, L"cmdOK");
  cmdCancel = FindDesigned<TUtxButton>(this, L"cmdCancel");
  SheetLanguage = FindDesigned<TUtxTabSheet>(this, L"SheetLanguage");
  lblLanguage = FindDesigned<TUtxLabel>(this, L"lblLanguage");
  lblLanguageExplain = FindDesigned<TUtxLabel>(this, L"lblLanguageExplain");
  cboLanguage = FindDesigned<TvgtLanguageComboBox>(this, L"cboLanguage");

  SetWideControlText(this, FormatIndexed(Translate(L"%1 - Options"), {kProductName}));
  SetWideControlText(cmdOK, Translate(L"OK"));
  SetWideControlText(cmdCancel, Translate(L"Cancel"));
  SetWideControlText(SheetLanguage, Translate(L"Language"));
  SetWideControlText(lblLanguage, Translate(L"Select language:"));
  SetWideControlText(lblLanguageExplain,
                     FormatIndexed(Translate(L"%1 is available in other languages, too. You can choose any of the "
                                             L"languages shown below."),
                                   {kProductName}));
  cboLanguage->FillLanguages();
  cboLanguage->SelectLanguageCode(ReadRegistryString(ProductRegistryKey, ProductLanguageValue, L""));
}

void TfrmVgtOptions::cmdOKClick(TObject*) {
  WriteRegistryString(ProductRegistryKey, ProductLanguageValue, cboLanguage->GetSelectedLanguageCode());
  SetModalResult(mrOk);
}

VGT_PUBLISH(TvgtLanguageComboBox) {}
VGT_PUBLISH(TfrmVgtOptions) {
  P.Handler(L"FormCreate", &TfrmVgtOptions::FormCreate).Handler(L"cmdOKClick", &TfrmVgtOptions::cmdOKClick);
}
