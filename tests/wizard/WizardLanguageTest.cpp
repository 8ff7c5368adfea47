// The language choice on the intro page: it is stored as "lang", switches the catalogs and
// retranslates the open page, the window and every page shown after it; "Automatic" stores an
// empty code.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "common/trvLocaleCombo.h"
#include "common/trvRegistry.h"
#include "common/trvZoneServices.h"
#include "tests/wizard/FakeZoneManager.h"
#include "tests/wizard/WizardSupport.h"
#include "unicode/GnuGettext.h"
#include "unicode/UtxForms.h"
#include "wizard/fConfigIntro.h"
#include "wizard/trvGroupBox.h"

namespace {

class WizardLanguage : public ::testing::Test {
 protected:
  void SetUp() override {
    UtxFormsStart();
    SetBrowserClass(4);
    SetDotNetLevel(0);
  }
  void TearDown() override {
    W.reset();
    Pump();
    UtxFormsStop();
    WriteRegistryString(ProductRegistryKey, L"lang", L"");
    UseLanguage(L"");
  }
  // Chooses the item of Code as the user does: the selection, then the notification to the parent.
  void SelectLanguage(const WideString& Code) {
    auto* combo = Part<TtrvLanguageComboBox>(W->CurrentFrame(), L"cboLanguage");
    const std::vector<WideString> codes = Codes(combo);
    int index = -1;
    for (size_t i = 0; i < codes.size(); ++i)
      if (codes[i] == Code) index = static_cast<int>(i);
    ASSERT_GE(index, 0) << "no item for the language";
    HWND h = combo->Handle();
    SendMessageW(h, CB_SETCURSEL, index, 0);
    SendMessageW(GetParent(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), CBN_SELCHANGE), reinterpret_cast<LPARAM>(h));
    Pump();
  }
  // The language codes of the items, in item order ("" for "Automatic").
  static std::vector<WideString> Codes(TtrvLanguageComboBox* Combo) {
    std::vector<WideString> codes;
    for (int i = 0; i < Combo->Items()->Count(); ++i) {
      auto* holder = dynamic_cast<TLanguageHolder*>(Combo->Items()->Objects(i));
      codes.push_back(holder ? holder->Code : L"<no holder>");
    }
    return codes;
  }
  WideString Caption(const wchar_t* Name) {
    TComponent* c = W->CurrentFrame()->FindComponent(Name);
    if (auto* l = dynamic_cast<TUtxLabel*>(c)) return l->GetCaption();
    if (auto* r = dynamic_cast<TUtxRadioButton*>(c)) return r->GetCaption();
    if (auto* g = dynamic_cast<TtrvGroupBox*>(c)) return g->Caption();
    return L"<missing>";
  }

  TFakeZoneManager Zones;
  TZoneManagerFactoryOverride Seam{{}, [this](IInternetZoneManager** M) {
                                     *M = &Zones;
                                     return S_OK;
                                   }};
  TWindowPtr W;
};

TEST_F(WizardLanguage, ChoosingALanguageStoresItAndRetranslatesEveryPage) {
  W = OpenWizard();
  auto* combo = Part<TtrvLanguageComboBox>(W->CurrentFrame(), L"cboLanguage");
  ASSERT_GE(Codes(combo).size(), 3u);  // Automatic, Deutsch, English (United States)
  EXPECT_EQ(Codes(combo)[0], L"");
  EXPECT_EQ(combo->GetSelectedLanguageCode(), L"");
  EXPECT_EQ(Caption(L"radManual"), L"&Let me change each setting individually");

  SelectLanguage(L"de");
  EXPECT_EQ(ReadRegistryString(ProductRegistryKey, L"lang", L"?"), L"de");
  EXPECT_EQ(GetCurrentLanguage(), L"de");
  // The open page and the window, after the posted rebuild.
  EXPECT_EQ(Caption(L"radManual"), L"&Jede Einstellung einzeln ändern");
  EXPECT_EQ(Caption(L"lblExplainLanguage"), L"Sprache von Veilgate wählen:");
  EXPECT_EQ(Caption(L"lblWelcome"), L"Veilgate");
  EXPECT_EQ(W->NextButton()->GetCaption(), L"&Weiter >>");
  EXPECT_EQ(W->BackButton()->GetCaption(), L"<< &Zurück");
  EXPECT_EQ(W->CancelButton()->GetCaption(), L"Schließen");
  EXPECT_EQ(Part<TtrvLanguageComboBox>(W->CurrentFrame(), L"cboLanguage")->GetSelectedLanguageCode(), L"de");

  // The pages shown afterwards.
  ClickByMessage(Part<TUtxRadioButton>(W->CurrentFrame(), L"radManual"));
  ClickByMessage(W->NextButton());
  ASSERT_EQ(W->CurrentIndex(), 1);
  EXPECT_EQ(Caption(L"trvGroupBoxTrusted"), L"Vertrauenswürdige Sites");
  EXPECT_EQ(Caption(L"rg2Deny"), L"Verbieten");
  EXPECT_EQ(Caption(L"lblAction"), TranslateIn(DefaultTextDomain, L"Allow ActiveX controls to run"));
  EXPECT_NE(Caption(L"lblAction"), L"Allow ActiveX controls to run");
  while (W->CurrentIndex() != 22) ClickByMessage(W->NextButton());
  EXPECT_EQ(Caption(L"lblExplain"), L"Alle Einstellungen sind nun einzeln angepasst.");
  while (W->CurrentIndex() != 0) ClickByMessage(W->BackButton());

  // A new window starts in the stored language.
  W.reset();
  UseLanguage(L"");
  W = OpenWizard();
  EXPECT_EQ(Caption(L"radManual"), L"&Jede Einstellung einzeln ändern");

  // "Automatic" stores an empty code and follows the system's language again.
  SelectLanguage(L"");
  EXPECT_EQ(ReadRegistryString(ProductRegistryKey, L"lang", L"?"), L"");
  EXPECT_EQ(Caption(L"radManual"), L"&Let me change each setting individually");
  EXPECT_EQ(W->NextButton()->GetCaption(), L"&Next >>");
}

}  // namespace
