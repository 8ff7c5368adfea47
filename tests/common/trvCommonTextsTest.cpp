// The library's common texts in English and, from the shipped catalog, in German.
#include <gtest/gtest.h>

#include "common/trvCommonTexts.h"
#include "common/trvTools.h"
#include "unicode/GnuGettext.h"

namespace {

class CommonTexts : public ::testing::Test {
 protected:
  void SetUp() override { SetCatalogFolder(L""); }
  void TearDown() override { UseLanguage(L"en"); }
};

TEST_F(CommonTexts, EnglishTextsAreTheIdentifiersWithTheArgumentsFilled) {
  UseLanguage(L"en");
  EXPECT_EQ(GetButtonCaption(TtrvMessageButton::OK), L"&OK");
  EXPECT_EQ(GetButtonCaption(TtrvMessageButton::SaveLater), L"Save &Later");
  EXPECT_EQ(GetButtonCaption(TtrvMessageButton::CreateNew), L"Cr&eate New");
  EXPECT_EQ(GetButtonCaption(TtrvMessageButton::Details), L"&Details");
  EXPECT_EQ(GetAboutCaption(L"Veilgate"), L"About Veilgate");
  EXPECT_EQ(GetAboutText(), L"About");
  EXPECT_EQ(GetVersionText(L"1.2", L""), L"Version 1.2");
  EXPECT_EQ(GetSupportText(), L"Support:");
  EXPECT_EQ(GetLegalWarningText(), L"");
}

TEST_F(CommonTexts, GermanFromTheShippedCatalog) {
  UseLanguage(L"de_DE");
  EXPECT_EQ(GetButtonCaption(TtrvMessageButton::Yes), L"&Ja");
  EXPECT_EQ(GetButtonCaption(TtrvMessageButton::No), L"&Nein");
  EXPECT_EQ(GetButtonCaption(TtrvMessageButton::Cancel), L"&Abbrechen");
  EXPECT_EQ(GetButtonCaption(TtrvMessageButton::SaveLater), L"&Sp\x00E4ter speichern");
  EXPECT_EQ(GetAboutCaption(L"Veilgate %1"), L"\x00DC" L"ber Veilgate %1");
  EXPECT_EQ(GetVersionText(L"2.0", L" beta"), L"Version 2.0 beta");
  // The catalog's header is what the empty identifier is stored with; it is no legal notice.
  EXPECT_EQ(GetLegalWarningText(), L"");
}

TEST_F(CommonTexts, AButtonOutsideTheSetIsRefused) {
  EXPECT_THROW(GetButtonCaption(static_cast<TtrvMessageButton>(9)), ETRVException);
}

}  // namespace
