// The apply-all and the revert through the platform's own zone manager: what the pages wrote is
// what a new manager reads back. The zones' values are saved and put back afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "common/trvZoneServices.h"
#include "platform/ZoneTemplates.h"
#include "tests/wizard/WizardSupport.h"
#include "unicode/UtxForms.h"

namespace {

const wchar_t kZones[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\";

class WizardRealZones : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int zone = 2; zone <= 4; ++zone)
      Saved.push_back(std::make_unique<TSavedRegistryValues>(HKEY_CURRENT_USER, kZones + std::to_wstring(zone)));
    UtxFormsStart();
    SetBrowserClass(4);
    SetDotNetLevel(2);
  }
  void TearDown() override {
    W.reset();
    Pump();
    UtxFormsStop();
    Saved.clear();
  }
  DWORD ReadBack(DWORD Zone, DWORD Action) {
    auto manager = CreateZoneManager();
    DWORD policy = 0xDEAD;
    EXPECT_TRUE(ReadZonePolicy(manager.Get(), Zone, Action, policy)) << Zone << " " << std::hex << Action;
    return policy;
  }
  std::vector<std::unique_ptr<TSavedRegistryValues>> Saved;
  TWindowPtr W;
};

TEST_F(WizardRealZones, TheRecommendationsAppliedAreReadBack) {
  W = OpenWizard();
  ClickByMessage(W->NextButton());  // the automatic path is chosen at first
  ASSERT_EQ(W->CurrentIndex(), 23);
  auto* explain = Part<TUtxLabel>(W->CurrentFrame(), L"lblExplain");
  ASSERT_NE(explain->GetCaption().find(L"All your settings have been adjusted"), WideString::npos)
      << NarrowText(explain->GetCaption());
  // Three steps by their recommendations (Allow 0, Ask 1, Deny 3), one two-way.
  EXPECT_EQ(ReadBack(2, 0x1201), 1u);
  EXPECT_EQ(ReadBack(3, 0x1201), 1u);
  EXPECT_EQ(ReadBack(4, 0x1201), 3u);
  EXPECT_EQ(ReadBack(2, 0x1004), 1u);
  EXPECT_EQ(ReadBack(3, 0x1004), 3u);
  EXPECT_EQ(ReadBack(3, 0x1400), 0u);
  EXPECT_EQ(ReadBack(4, 0x1804), 1u);
  EXPECT_EQ(ReadBack(2, 0x2004), 1u);  // .NET step, applying here
  for (DWORD zone = 2; zone <= 4; ++zone) EXPECT_EQ(ReadBack(zone, 0x1803), 0u);
  // The intro now finds nothing to change.
  ClickByMessage(W->BackButton());
  EXPECT_EQ(Part<TUtxLabel>(W->CurrentFrame(), L"lblWrong")->GetCaption().rfind(L"Congratulations", 0), 0u);
}

TEST_F(WizardRealZones, TheRevertReloadsTheTemplates) {
  {
    auto manager = CreateZoneManager();
    for (DWORD zone = 2; zone <= 4; ++zone) WriteZonePolicy(manager.Get(), zone, 0x1200, 0x20000);
  }
  W = OpenWizard();
  ClickByMessage(Part<TUtxRadioButton>(W->CurrentFrame(), L"radRevert"));
  ClickByMessage(W->NextButton());
  ASSERT_EQ(W->CurrentIndex(), 24);
  ASSERT_NE(Part<TUtxLabel>(W->CurrentFrame(), L"lblExplain")->GetCaption().find(L"reloaded"), WideString::npos);
  const DWORD templates[] = {0x10000, 0x11000, 0x12000};
  for (DWORD zone = 2; zone <= 4; ++zone) {
    size_t count = 0;
    const TZoneTemplatePolicy* policies = ZoneTemplatePolicies(templates[zone - 2], count);
    ASSERT_NE(policies, nullptr);
    ASSERT_GT(count, 0u);
    for (size_t i = 0; i < count; ++i)
      EXPECT_EQ(ReadBack(zone, policies[i].Action), policies[i].Policy) << zone << " " << std::hex << policies[i].Action;
  }
}

}  // namespace
