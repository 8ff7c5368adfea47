// The language combo box: the languages of the catalogs beside the module and of a folder of
// made-up catalogs, named in their own language and sorted on every filling (the second filling
// too); "lang" stored on selection and read back, and an open form re-translated by the switch.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "classlib/Filer.h"
#include "common/trvCommonTexts.h"
#include "common/trvControls.h"
#include "common/trvLocaleCombo.h"
#include "common/trvRegistry.h"
#include "tools/winshot/Screenshot.h"
#include "tests/support/WindowSupport.h"
#include "tests/support/TestFiles.h"
#include "tests/support/MoCatalogMaker.h"
#include "unicode/GnuGettext.h"
#include "unicode/UtxWindows.h"

namespace {

const WideString kGreekName = L"\x0395\x03BB\x03BB\x03B7\x03BD\x03B9\x03BA\x03AC";

WideString Shown(const WideString& Text) { return UnicodePlatform() ? Text : WidenText(NarrowText(Text)); }

// A folder of catalogs of the library's domain, gone with the object.
class TCatalogFolder {
 public:
  TCatalogFolder() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    FPath = WideString(temp) + L"vgt-locale-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(++Count);
    CreateDirectoryW(FPath.c_str(), nullptr);
  }
  ~TCatalogFolder() {
    for (const WideString& f : FFiles) DeleteFileW(f.c_str());
    for (auto it = FFolders.rbegin(); it != FFolders.rend(); ++it) RemoveDirectoryW(it->c_str());
    RemoveDirectoryW(FPath.c_str());
  }
  TCatalogFolder(const TCatalogFolder&) = delete;
  TCatalogFolder& operator=(const TCatalogFolder&) = delete;

  // A catalog of Code; an empty NativeName gives it no entry for its language's name.
  void Add(const WideString& Code, const WideString& NativeName) {
    TMoCatalogMaker maker;
    if (!NativeName.empty()) maker.Add("***native language name***", GettextWideToUtf8(NativeName));
    maker.Add("Automatic", "Auto-" + NarrowText(Code));
    const WideString language = FPath + L"\\" + Code, messages = language + L"\\LC_MESSAGES";
    CreateDirectoryW(language.c_str(), nullptr);
    CreateDirectoryW(messages.c_str(), nullptr);
    FFolders.push_back(language);
    FFolders.push_back(messages);
    FFiles.push_back(messages + L"\\tervana.mo");
    WriteFileBytes(FFiles.back(), maker.Build());
  }
  const WideString& Path() const { return FPath; }

 private:
  static inline int Count = 0;
  WideString FPath;
  std::vector<WideString> FFolders, FFiles;
};

class TLanguageForm : public TtrvNoResourceForm {
  VGT_CLASS(TLanguageForm, TtrvNoResourceForm)
 public:
  using TtrvNoResourceForm::TtrvNoResourceForm;
  TtrvLanguageComboBox* Combo = nullptr;
  TUtxLabel* Label = nullptr;
  // What a window of the programs does after the language changed.
  void Retranslate() {
    Label->SetCaption(GetButtonCaption(TtrvMessageButton::Cancel));
    Combo->FillLanguages();
  }
};
VGT_PUBLISH(TLanguageForm) {}

class LanguageCombo : public ::testing::Test {
 protected:
  void SetUp() override {
    SetCatalogFolder(L"");
    UseLanguage(L"en");
    Form = TCustomForm::CreateNew<TLanguageForm>(Application);
    Form->SetBounds(50, 50, 360, 200);
    Form->Combo = new TtrvLanguageComboBox(Form);
    Form->Combo->SetParent(Form);
    Form->Combo->SetBounds(16, 60, 281, 24);
    Form->Label = new TUtxLabel(Form);
    Form->Label->SetParent(Form);
    Form->Label->SetBounds(16, 20, 200, 16);
    Form->Label->SetCaption(GetButtonCaption(TtrvMessageButton::Cancel));
    Combo = Form->Combo;
  }
  void TearDown() override {
    delete Form;
    SetCatalogFolder(L"");
    UseLanguage(L"en");
  }

  std::vector<WideString> Names() {
    std::vector<WideString> names;
    for (int i = 0; i < Combo->Items()->Count(); ++i) names.push_back(Combo->Items()->Strings(i));
    return names;
  }
  std::vector<WideString> Codes() {
    std::vector<WideString> codes;
    for (int i = 0; i < Combo->Items()->Count(); ++i)
      codes.push_back(dynamic_cast<TLanguageHolder*>(Combo->Items()->Objects(i))->Code);
    return codes;
  }
  int IndexOfCode(const WideString& Code) {
    const std::vector<WideString> codes = Codes();
    const auto it = std::find(codes.begin(), codes.end(), Code);
    return it == codes.end() ? -1 : static_cast<int>(it - codes.begin());
  }
  // The languages (all but "Automatic") stand in the platform's order of their names.
  void ExpectLanguagesSorted() {
    std::vector<WideString> languages = Names();
    ASSERT_FALSE(languages.empty());
    languages.erase(languages.begin());
    for (size_t i = 1; i < languages.size(); ++i)
      EXPECT_NE(CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, languages[i - 1].c_str(), -1,
                               languages[i].c_str(), -1),
                CSTR_GREATER_THAN)
          << i;
  }
  // As the user picks an item: the selection changes, then the window tells its parent.
  void UserSelects(int Index) {
    Combo->SetItemIndex(Index);
    Combo->Perform(CN_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE), 0);
  }

  TStartedApplication App;
  TLanguageForm* Form = nullptr;
  TtrvLanguageComboBox* Combo = nullptr;
};

TEST_F(LanguageCombo, IsEmptyUntilFilledThenListsTheCatalogsBesideTheModule) {
  EXPECT_EQ(Combo->Items()->Count(), 0);
  EXPECT_EQ(Combo->Style(), TComboBoxStyle::csDropDownList);
  EXPECT_EQ(Combo->GetSelectedLanguageCode(), L"");
  Combo->FillLanguages();
  const std::vector<WideString> names = Names(), codes = Codes();
  ASSERT_GE(names.size(), 3u);
  EXPECT_EQ(names[0], L"Automatic");
  EXPECT_EQ(codes[0], L"");
  EXPECT_EQ(Combo->ItemIndex(), 0);
  // The build puts the German catalog beside the program; no catalog names en_US.
  const int de = IndexOfCode(L"de");
  ASSERT_GT(de, 0);
  EXPECT_EQ(names[static_cast<size_t>(de)], L"Deutsch");
  const int english = IndexOfCode(L"en_US");
  ASSERT_GT(english, 0);
  EXPECT_EQ(names[static_cast<size_t>(english)], L"English (United States)");
  ExpectLanguagesSorted();
}

TEST_F(LanguageCombo, WithNoCatalogsAutomaticAndTheDefaultLanguage) {
  TCatalogFolder folder;
  SetCatalogFolder(folder.Path());
  Combo->SetDefaultLanguageCode(L"pt_BR");
  Combo->SetDefaultLanguageName(L"Portugu\x00EAs");
  Combo->FillLanguages();
  EXPECT_EQ(Names(), (std::vector<WideString>{L"Automatic", Shown(L"Portugu\x00EAs")}));
  EXPECT_EQ(Codes(), (std::vector<WideString>{L"", L"pt_BR"}));
  EXPECT_EQ(Combo->ItemIndex(), 0);
}

TEST_F(LanguageCombo, NativeNamesFromEachCatalogAndTheCodeWhereACatalogHasNone) {
  TCatalogFolder folder;
  folder.Add(L"el", kGreekName);
  folder.Add(L"en_US", L"English (catalog)");
  folder.Add(L"xx", L"");
  folder.Add(L"yy", L"***Native Language Name***");
  SetCatalogFolder(folder.Path());
  Combo->FillLanguages();
  const std::vector<WideString> names = Names();
  ASSERT_EQ(names.size(), 5u);  // the en_US catalog stands for the default
  EXPECT_EQ(names[static_cast<size_t>(IndexOfCode(L"el"))], Shown(kGreekName));
  EXPECT_EQ(names[static_cast<size_t>(IndexOfCode(L"en_US"))], L"English (catalog)");
  EXPECT_EQ(names[static_cast<size_t>(IndexOfCode(L"xx"))], L"xx");
  EXPECT_EQ(names[static_cast<size_t>(IndexOfCode(L"yy"))], L"yy");
  // The lookups left the program's own language alone.
  EXPECT_EQ(GetCurrentLanguage(), L"en");
}

TEST_F(LanguageCombo, EveryFillingSortsTheLanguagesByName) {
  TCatalogFolder folder;
  // In the catalogs' (the codes') order the names run backwards.
  folder.Add(L"aa", L"Omega");
  folder.Add(L"bb", L"Beta");
  folder.Add(L"cc", L"Alpha");
  folder.Add(L"dd", L"");
  SetCatalogFolder(folder.Path());
  const std::vector<WideString> sorted{L"Automatic", L"Alpha", L"Beta", L"dd", L"English (United States)", L"Omega"};
  Combo->FillLanguages();
  EXPECT_EQ(Names(), sorted);
  Combo->FillLanguages();
  EXPECT_EQ(Names(), sorted);
  ExpectLanguagesSorted();
  // A window made again keeps "Automatic" on top.
  Combo->RecreateWnd();
  Combo->HandleNeeded();
  EXPECT_EQ(Names(), sorted);
}

TEST_F(LanguageCombo, RefillingKeepsTheChoiceWhereverTheListPutsIt) {
  TCatalogFolder folder;
  folder.Add(L"de_DE", L"Deutsch");
  folder.Add(L"fr", L"Fran\x00E7" L"ais");
  SetCatalogFolder(folder.Path());
  Combo->FillLanguages();
  Combo->SelectLanguageCode(L"DE_de");
  EXPECT_EQ(Combo->GetSelectedLanguageCode(), L"de_DE");
  folder.Add(L"ab", L"Aaa first");
  SetCatalogFolder(folder.Path());
  Combo->FillLanguages();
  EXPECT_EQ(Combo->GetSelectedLanguageCode(), L"de_DE");
  EXPECT_EQ(Combo->Items()->Strings(Combo->ItemIndex()), L"Deutsch");
  // The selected language's catalog gone: "Automatic".
  TCatalogFolder other;
  other.Add(L"fr", L"Fran\x00E7" L"ais");
  SetCatalogFolder(other.Path());
  Combo->FillLanguages();
  EXPECT_EQ(Combo->ItemIndex(), 0);
}

TEST_F(LanguageCombo, SelectingByCodeFillsFirstAndAnUnknownCodeChangesNothing) {
  Combo->SelectLanguageCode(L"de");
  EXPECT_GT(Combo->Items()->Count(), 0);
  EXPECT_EQ(Combo->GetSelectedLanguageCode(), L"de");
  Combo->SelectLanguageCode(L"xx_YY");
  EXPECT_EQ(Combo->GetSelectedLanguageCode(), L"de");
  Combo->SelectLanguageCode(L"");
  EXPECT_EQ(Combo->ItemIndex(), 0);
  EXPECT_EQ(Combo->GetSelectedLanguageCode(), L"");
}

// ---- the product key's "lang" ----

// Keeps the stored language of the product key across a test.
class TStoredLanguage {
 public:
  TStoredLanguage() {
    DWORD type = REG_NONE;
    ReadRegistryText(ProductRegistryKey, ProductLanguageValue, L"", FValue, type);
    FExisted = type == REG_SZ;
  }
  ~TStoredLanguage() {
    if (FExisted) {
      WriteRegistryString(ProductRegistryKey, ProductLanguageValue, FValue);
      return;
    }
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Tervana\\Veilgate", 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
      RegDeleteValueW(key, ProductLanguageValue.c_str());
      RegCloseKey(key);
    }
  }
  TStoredLanguage(const TStoredLanguage&) = delete;
  TStoredLanguage& operator=(const TStoredLanguage&) = delete;

 private:
  WideString FValue;
  bool FExisted = false;
};

TEST_F(LanguageCombo, TheStoredLanguageIsSelectedAndAnUnknownOneGivesAutomatic) {
  TStoredLanguage keep;
  // As a window that opens: a code without a catalog leaves the filling's "Automatic".
  WriteRegistryString(ProductRegistryKey, ProductLanguageValue, L"xx");
  Combo->SelectStoredLanguage();
  EXPECT_EQ(Combo->ItemIndex(), 0);
  WriteRegistryString(ProductRegistryKey, ProductLanguageValue, L"DE");
  Combo->SelectStoredLanguage();
  EXPECT_EQ(Combo->GetSelectedLanguageCode(), L"de");
  // A choice made stays when the stored code has no item.
  WriteRegistryString(ProductRegistryKey, ProductLanguageValue, L"xx");
  Combo->SelectStoredLanguage();
  EXPECT_EQ(Combo->GetSelectedLanguageCode(), L"de");
}

TEST_F(LanguageCombo, ChoosingALanguageStoresItAndRetranslatesTheOpenForm) {
  TStoredLanguage keep;
  WriteRegistryString(ProductRegistryKey, ProductLanguageValue, L"");
  Form->Show();
  Combo->SelectStoredLanguage();
  EXPECT_EQ(Combo->ItemIndex(), 0);
  int selects = 0;
  Combo->OnSelect = [&](TObject*) {
    ++selects;
    Combo->ApplySelectedLanguage();
    Form->Retranslate();
  };
  UserSelects(IndexOfCode(L"de"));
  EXPECT_EQ(selects, 1);
  EXPECT_EQ(ReadRegistryString(ProductRegistryKey, ProductLanguageValue, L"?"), L"de");
  EXPECT_EQ(GetCurrentLanguage(), L"de");
  EXPECT_EQ(Form->Label->GetCaption(), L"&Abbrechen");
  EXPECT_EQ(Combo->Items()->Strings(0), L"Automatisch");
  EXPECT_EQ(Combo->GetSelectedLanguageCode(), L"de");
  EXPECT_EQ(Combo->Text(), L"Deutsch");

  // "Automatic" stores the empty code and follows the system again.
  UserSelects(0);
  EXPECT_EQ(ReadRegistryString(ProductRegistryKey, ProductLanguageValue, L"?"), L"");
  EXPECT_EQ(Form->Label->GetCaption(), TranslateIn(LibraryTextDomain, L"&Cancel"));
  EXPECT_EQ(Combo->Items()->Strings(0), TranslateIn(LibraryTextDomain, L"Automatic"));
  EXPECT_EQ(Combo->ItemIndex(), 0);
}

// A form description gives the combo box its hint in full, also where the code page cannot hold it.
TEST_F(LanguageCombo, ADescriptionGivesItsHintInWideForm) {
  std::unique_ptr<TLanguageForm> form(TCustomForm::CreateNew<TLanguageForm>(Application));
  WideString codes;
  for (wchar_t c : kGreekName) codes += L"#" + std::to_wstring(static_cast<int>(c));
  ReadComponentText(form.get(),
                    L"object F: TLanguageForm\n object Chooser: TtrvLanguageComboBox\n Hint = " + codes +
                        L"\n end\nend",
                    L"TLanguageForm");
  auto* chooser = dynamic_cast<TtrvLanguageComboBox*>(form->FindComponent(L"Chooser"));
  ASSERT_NE(chooser, nullptr);
  // The 8-bit family shows what its code page holds of it.
  if (UnicodePlatform()) EXPECT_EQ(GetWideHint(chooser), kGreekName);
  else EXPECT_EQ(GetWideHint(chooser), WidenText(chooser->TControl::Hint()));
}

TEST_F(LanguageCombo, ScreenshotOnRequest) {
  if (ScreenshotDir().empty()) GTEST_SKIP() << "set VGT_SCREENSHOT_DIR to make one";
  TCatalogFolder folder;
  folder.Add(L"de", L"Deutsch");
  folder.Add(L"el", kGreekName);
  folder.Add(L"ja", L"\x65E5\x672C\x8A9E");
  SetCatalogFolder(folder.Path());
  Combo->FillLanguages();
  Combo->SelectLanguageCode(L"el");
  SetWideControlText(Form, L"Language");
  Form->Show();
  Combo->SetDroppedDown(true);
  const DWORD until = GetTickCount() + 500;
  while (GetTickCount() < until) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    Application->ProcessMessages();
  }
  EXPECT_TRUE(SaveScreenshotOnRequest(Form->Handle(), UnicodePlatform() ? L"trvLocaleCombo" : L"trvLocaleCombo_win98"));
  Combo->SetDroppedDown(false);
}

}  // namespace
