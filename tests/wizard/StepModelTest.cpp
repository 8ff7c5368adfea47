// The step model: the fixed table, applicability, the policy mappings, the action texts, the
// list's bounds and the .NET level read from the machine's policy keys.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <vector>

#include "common/trvZoneServices.h"
#include "tests/support/ComEnvironment.h"
#include "unicode/GnuGettext.h"
#include "wizard/uConfigSteps.h"

namespace {

class TStepModel : public ::testing::Test {
 protected:
  void SetUp() override { AddConfigSteps(List, TConfigStepFrames{}); }
  TConfigStepList List;
};

std::vector<int> Applicable(const TConfigStepList& list, uint8_t ie, uint8_t net) {
  std::vector<int> v;
  for (int i = 0; i < list.GetStepCount(); ++i)
    if (StepAppliesTo(*list.GetStep(i), ie, net)) v.push_back(i);
  return v;
}

TEST_F(TStepModel, TableShapeAndIndexes) {
  ASSERT_EQ(List.GetStepCount(), 25);
  EXPECT_EQ(List.ManualIndex, 1);
  EXPECT_EQ(List.AutomaticIndex, 23);
  EXPECT_EQ(List.RevertIndex, 24);
  int threeWay = 0, twoWay = 0, plain = 0;
  for (int i = 0; i < 25; ++i) {
    TTunewrightStep* s = List.GetStep(i);
    EXPECT_EQ(s->Owner, &List);
    if (dynamic_cast<TTunewrightStep3*>(s)) {
      ++threeWay;
      EXPECT_TRUE(i >= 1 && i <= 20) << i;
      EXPECT_EQ(s->Navigation, navNext);
    } else if (dynamic_cast<TTunewrightStep2*>(s)) {
      ++twoWay;
      EXPECT_EQ(i, 21);
    } else {
      ++plain;
      EXPECT_EQ(s->Navigation, i == 0 ? navNext : navFinal) << i;
    }
  }
  EXPECT_EQ(threeWay, 20);
  EXPECT_EQ(twoWay, 1);
  EXPECT_EQ(plain, 4);
  // Every URL action appears once and has a text of its own.
  std::vector<uint32_t> actions;
  for (int i = 1; i <= 21; ++i) {
    auto* s = static_cast<TSimpleTunewrightStep*>(List.GetStep(i));
    actions.push_back(s->UrlAction);
    WideString caption, help;
    GetUrlActionTexts(s->UrlAction, caption, help);
    EXPECT_EQ(caption.find(L"Unbekannte"), WideString::npos) << std::hex << s->UrlAction;
  }
  std::sort(actions.begin(), actions.end());
  EXPECT_EQ(std::unique(actions.begin(), actions.end()), actions.end());
}

TEST_F(TStepModel, RecommendationsOfTheNamedSteps) {
  const struct {
    int Index;
    uint32_t Action;
    uint8_t Trusted, Internet, Restricted;
  } named[] = {
      {2, 0x1405, chAllow, chAsk, chDeny},  // by number, whatever a header calls it
      {3, 0x1201, chAsk, chAsk, chDeny},
      {5, 0x1004, chAsk, chDeny, chDeny},
      {17, 0x1804, chAllow, chAsk, chAsk},
      {19, 0x1601, chAllow, chAllow, chAsk},
  };
  for (const auto& n : named) {
    auto* s = dynamic_cast<TTunewrightStep3*>(List.GetStep(n.Index));
    ASSERT_NE(s, nullptr) << n.Index;
    EXPECT_EQ(s->UrlAction, n.Action) << n.Index;
    EXPECT_EQ(s->RecTrusted, n.Trusted) << n.Index;
    EXPECT_EQ(s->RecInternet, n.Internet) << n.Index;
    EXPECT_EQ(s->RecRestricted, n.Restricted) << n.Index;
  }
  auto* s21 = dynamic_cast<TTunewrightStep2*>(List.GetStep(21));
  ASSERT_NE(s21, nullptr);
  EXPECT_EQ(s21->UrlAction, 0x1803u);
  EXPECT_EQ(s21->RecTrusted + s21->RecInternet + s21->RecRestricted, 0);
}

// The number of setting steps the automatic finish writes, by browser class and .NET level.
TEST_F(TStepModel, ApplicabilityForEveryClassAndLevel) {
  auto settings = [&](uint8_t ie, uint8_t net) {
    auto v = Applicable(List, ie, net);
    return std::count_if(v.begin(), v.end(), [](int i) { return i >= 1 && i <= 21; });
  };
  EXPECT_EQ(settings(4, 0), 17);  // 6, 7, 14, 15 skipped
  EXPECT_EQ(settings(1, 0), 17);  // 6, 7, 13, 18 skipped
  EXPECT_EQ(settings(3, 1), 20);  // all but 13
  EXPECT_EQ(settings(3, 2), 20);
  EXPECT_EQ(settings(4, 2), 19);
  EXPECT_EQ(settings(2, 0), 18);
  for (uint8_t net = 0; net <= 2; ++net) {
    EXPECT_TRUE(Applicable(List, 0, net).empty()) << "class 0: nothing applies";
    for (uint8_t ie = 1; ie <= 4; ++ie) {
      auto v = Applicable(List, ie, net);
      auto has = [&](int i) { return std::find(v.begin(), v.end(), i) != v.end(); };
      EXPECT_EQ(has(6), net >= 1);
      EXPECT_EQ(has(7), net >= 1);
      EXPECT_EQ(has(13), ie == 4);
      EXPECT_EQ(has(14), ie <= 3);
      EXPECT_EQ(has(15), ie <= 3);
      EXPECT_EQ(has(18), ie >= 2);
      for (int always : {0, 1, 2, 3, 4, 5, 8, 9, 10, 11, 12, 16, 17, 19, 20, 21, 22, 23, 24})
        EXPECT_TRUE(has(always)) << always;
    }
  }
  // MaxIe 5 is no upper bound; the comparison is unsigned.
  TTunewrightStep step;
  EXPECT_TRUE(StepAppliesTo(step, 5, 0));
  EXPECT_FALSE(StepAppliesTo(step, 6, 0));
  step.MinNet = 1;
  EXPECT_FALSE(StepAppliesTo(step, 1, 0));
  EXPECT_TRUE(StepAppliesTo(step, 1, 255));
}

TEST(StepPolicies, ChoicesAndFlagsMapToPolicies) {
  EXPECT_EQ(ChoiceToPolicy(0), 0u);
  EXPECT_EQ(ChoiceToPolicy(1), 1u);
  EXPECT_EQ(ChoiceToPolicy(2), 3u);  // never 2
  EXPECT_EQ(ChoiceToPolicy(200), 3u);
  EXPECT_EQ(PolicyToChoice(0), 0);
  EXPECT_EQ(PolicyToChoice(1), 1);
  EXPECT_EQ(PolicyToChoice(2), 2);
  EXPECT_EQ(PolicyToChoice(3), 2);
  EXPECT_EQ(PolicyToChoice(0x10000), 2);
  EXPECT_EQ(FlagToPolicy(0), 0u);
  EXPECT_EQ(FlagToPolicy(1), 3u);
  EXPECT_EQ(FlagToPolicy(255), 3u);
  EXPECT_FALSE(PolicyToFlag(0));
  EXPECT_TRUE(PolicyToFlag(1));  // query counts as Deny
  EXPECT_TRUE(PolicyToFlag(3));
}

TEST(StepTexts, UnknownActionsAreNamedInGermanUntranslated) {
  WideString caption, help;
  GetUrlActionTexts(0x1000, caption, help);
  EXPECT_EQ(caption, L"Unbekannte URLACTION (00001000)");
  EXPECT_EQ(help, L"Diese URLACTION ist noch nicht bekannt.");
  GetUrlActionTexts(0xFFFFFFFFu, caption, help);
  EXPECT_EQ(caption, L"Unbekannte URLACTION (FFFFFFFF)");
  GetUrlActionTexts(0x1a02, caption, help);
  EXPECT_EQ(caption.find(L"Unbekannte"), WideString::npos);
}

TEST(StepTexts, KnownActionsKeepTheirStoredWording) {
  UseLanguage(L"en");
  WideString caption, help;
  GetUrlActionTexts(0x1406, caption, help);
  EXPECT_EQ(caption, L"Allow cross domain access");
  EXPECT_NE(help.find(L"skripts"), WideString::npos);
  GetUrlActionTexts(0x2004, caption, help);
  EXPECT_EQ(help.rfind(L"This settings determines", 0), 0u);
}

TEST(StepTexts, CaptionsAndHelpComeThroughTheCatalog) {
  UseLanguage(L"de");
  WideString caption, help;
  GetUrlActionTexts(0x1406, caption, help);
  EXPECT_EQ(caption, L"Dom\u00E4nen\u00FCbergreifenden Zugriff zulassen");
  EXPECT_EQ(help.rfind(L"Es ist keine gute Idee", 0), 0u);
  GetUrlActionTexts(0x1A02, caption, help);
  EXPECT_EQ(help.rfind(L"Auf Ihrem Computer gespeicherte Cookies", 0), 0u);
  // Every action of the table has its German caption and help.
  for (uint32_t action : {0x1001u, 0x1004u, 0x1200u, 0x1201u, 0x1400u, 0x1402u, 0x1405u, 0x1406u,
                          0x1407u, 0x1601u, 0x1604u, 0x1607u, 0x1609u, 0x1800u, 0x1802u, 0x1803u,
                          0x1804u, 0x1A02u, 0x1A03u, 0x2001u, 0x2004u}) {
    WideString english, englishHelp;
    UseLanguage(L"en");
    GetUrlActionTexts(action, english, englishHelp);
    UseLanguage(L"de");
    GetUrlActionTexts(action, caption, help);
    EXPECT_NE(caption, english) << std::hex << action;
    EXPECT_NE(help, englishHelp) << std::hex << action;
  }
  // The texts of an unknown action are never translated.
  GetUrlActionTexts(0x1000, caption, help);
  EXPECT_EQ(caption, L"Unbekannte URLACTION (00001000)");
  EXPECT_EQ(help, L"Diese URLACTION ist noch nicht bekannt.");
  UseLanguage(L"en");
}

TEST_F(TStepModel, GetStepOutOfRangeRaisesListError) {
  EXPECT_THROW(List.GetStep(-1), EListError);
  EXPECT_THROW(List.GetStep(25), EListError);
  try {
    List.GetStep(25);
  } catch (const EListError& e) {
    EXPECT_NE(e.WideMessage().find(L"Listenindex"), WideString::npos) << e.Message();
    EXPECT_NE(e.WideMessage().find(L"25"), WideString::npos);
  }
  EXPECT_NO_THROW(List.GetStep(24));
}

TEST_F(TStepModel, TextsChangedReachesTheHandlerOnlyWhenSet) {
  EXPECT_NO_THROW(List.FireTextsChanged());
  TObject* sender = nullptr;
  int calls = 0;
  List.OnTextsChanged = [&](TObject* s) {
    sender = s;
    ++calls;
  };
  List.FireTextsChanged();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(sender, &List);
}

int LiveSteps = 0;
class TCountedStep : public TTunewrightStep {
 public:
  TCountedStep() { ++LiveSteps; }
  ~TCountedStep() override { --LiveSteps; }
};

TEST(StepList, OwnsItsStepsAndItsZoneManager) {
  {
    TConfigStepList list;
    EXPECT_EQ(list.AddStep(new TCountedStep), 0);
    EXPECT_EQ(list.AddStep(new TCountedStep), 1);
    EXPECT_EQ(LiveSteps, 2);
    ASSERT_NE(list.ZoneManager(), nullptr);
    DWORD policy = 99;
    EXPECT_EQ(list.ZoneManager()->GetZoneActionPolicy(4, 0x1400, reinterpret_cast<BYTE*>(&policy),
                                                      sizeof policy, URLZONEREG_DEFAULT),
              S_OK);
  }
  EXPECT_EQ(LiveSteps, 0);
}

TEST(StepList, ZoneManagerThatCannotBeMadeFailsTheList) {
  TZoneManagerFactoryOverride failing(nullptr, [](IInternetZoneManager** m) {
    *m = nullptr;
    return E_ACCESSDENIED;
  });
  try {
    TConfigStepList list;
    FAIL() << "no exception";
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.ErrorCode, E_ACCESSDENIED);
  }
}

// ---- the .NET level from the machine's policy keys ----

const wchar_t V10[] = L"Software\\Microsoft\\.NETFramework\\policy\\v1.0";
const wchar_t V11[] = L"Software\\Microsoft\\.NETFramework\\policy\\v1.1";

void CreateKey(const wchar_t* path) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

void DeleteKey(const wchar_t* path) { RegDeleteKeyW(HKEY_LOCAL_MACHINE, path); }

TEST(DotNetLevel, PolicyKeysDecideTheLevel) {
  DeleteKey(V11);
  DeleteKey(V10);
  EXPECT_EQ(GetDotNetPolicyLevel(), 0);

  CreateKey(V10);
  EXPECT_EQ(GetDotNetPolicyLevel(), 1);
  {
    TConfigStepList list;
    AddConfigSteps(list, TConfigStepFrames{});
    EXPECT_EQ(list.NetClass(), 1);
    EXPECT_TRUE(list.IsStepApplicable(list.GetStep(6)));
    EXPECT_TRUE(list.IsStepApplicable(list.GetStep(7)));
  }
  CreateKey(V11);
  EXPECT_EQ(GetDotNetPolicyLevel(), 2);
  DeleteKey(V10);
  EXPECT_EQ(GetDotNetPolicyLevel(), 2) << "v1.1 alone";
  DeleteKey(V11);
  EXPECT_EQ(GetDotNetPolicyLevel(), 0);
  {
    TConfigStepList list;
    AddConfigSteps(list, TConfigStepFrames{});
    EXPECT_EQ(list.NetClass(), 0);
    EXPECT_FALSE(list.IsStepApplicable(list.GetStep(6)));
    EXPECT_FALSE(list.IsStepApplicable(list.GetStep(7)));
  }
}

}  // namespace
