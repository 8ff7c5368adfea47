// Tunewright's window by messages: the whole walk for every browser class and .NET level (pages,
// Back/Next state, the radio choice of each setting page against the zone manager), the order of
// the apply-all writes, the revert, a refusing zone manager, the clicks of a setting page, the
// intro's comparison, the walk that finds no step, and a step list that cannot be made.
// The zone manager is a fake handed in through the zone services' seam.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "common/trvZoneServices.h"
#include "tools/winshot/Screenshot.h"
#include "tests/support/MessageBoxReader.h"
#include "tests/wizard/FakeZoneManager.h"
#include "tests/wizard/WizardSupport.h"
#include "unicode/UtxForms.h"
#include "wizard/fConfigAutomaticFinish.h"
#include "wizard/fConfigFeature2.h"
#include "wizard/fConfigFeature3.h"
#include "wizard/fConfigIntro.h"

namespace {

const wchar_t kCongratulations[] =
    L"Congratulations. Your security zone settings match our recommendations. You don't have to make any changes.";
const wchar_t kMismatch[] =
    L"Your security zone settings don't match our recommendations. Please review your settings or let Veilgate make "
    L"all the changes for you.";
const wchar_t kApplyError[] =
    L"There was an error adjusting your security zone settings. Please contact your system administrator to allow "
    L"making changes to your security zone settings.";

// The URL action of each setting step and its recommendations (Trusted, Internet, Restricted).
struct TExpectedStep {
  DWORD Action;
  uint8_t Rec[3];
};
const TExpectedStep kSteps[22] = {
    {0, {0, 0, 0}},           {0x1200, {0, 1, 2}}, {0x1405, {0, 1, 2}}, {0x1201, {1, 1, 2}}, {0x1001, {0, 1, 2}},
    {0x1004, {1, 2, 2}},      {0x2001, {0, 1, 2}}, {0x2004, {1, 1, 2}}, {0x1604, {0, 1, 2}}, {0x1400, {0, 0, 2}},
    {0x1407, {0, 1, 2}},      {0x1402, {0, 1, 2}}, {0x1406, {0, 1, 2}}, {0x1609, {0, 1, 2}}, {0x1A02, {0, 0, 2}},
    {0x1A03, {0, 0, 2}},      {0x1800, {0, 1, 2}}, {0x1804, {0, 1, 1}}, {0x1607, {0, 1, 2}}, {0x1601, {0, 0, 1}},
    {0x1802, {0, 1, 1}},      {0x1803, {0, 0, 0}},
};

DWORD ThreeWayPolicy(uint8_t Choice) { return Choice == 0 ? 0 : Choice == 1 ? 1 : 3; }

// Policies of every kind a zone may hold: Allow, Query, Disallow and one no choice names.
DWORD SeededPolicy(DWORD Zone, int Step) {
  static const DWORD kinds[] = {0, 1, 3, 0x20000};
  return kinds[(static_cast<DWORD>(Step) + Zone) % 4];
}

class WizardWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    UtxFormsStart();
    for (int i = 1; i <= 21; ++i)
      for (DWORD zone = 2; zone <= 4; ++zone) Zones.Policies[{zone, kSteps[i].Action}] = SeededPolicy(zone, i);
  }
  void TearDown() override {
    W.reset();
    Pump();
    UtxFormsStop();
  }
  void Open(int IeClass, int NetLevel) {
    SetBrowserClass(IeClass);
    SetDotNetLevel(NetLevel);
    W = OpenWizard();
    ASSERT_FALSE(W->StartFailed());
  }
  void Next() { ClickByMessage(W->NextButton()); }
  void Back() { ClickByMessage(W->BackButton()); }
  void Choose(const wchar_t* Radio) {
    ASSERT_EQ(W->CurrentIndex(), 0);
    ClickByMessage(Part<TUtxRadioButton>(W->CurrentFrame(), Radio));
  }
  bool Checked(const wchar_t* Name) { return RadioChecked(Part<TUtxRadioButton>(W->CurrentFrame(), Name)); }
  WideString Label(const wchar_t* Name) { return Part<TUtxLabel>(W->CurrentFrame(), Name)->GetCaption(); }

  // The button of each zone on the setting page shown matches what the manager holds.
  void ExpectChoicesMatchManager(int Index) {
    SCOPED_TRACE(Index);
    for (DWORD zone = 2; zone <= 4; ++zone) {
      const DWORD policy = Zones.Policies.at({zone, kSteps[Index].Action});
      const std::wstring g = L"rg" + std::to_wstring(zone - 1);
      if (Index == 21) {
        EXPECT_EQ(Checked((g + L"Allow").c_str()), policy == 0) << zone;
        EXPECT_EQ(Checked((g + L"Deny").c_str()), policy != 0) << zone;
      } else {
        EXPECT_EQ(Checked((g + L"Allow").c_str()), policy == 0) << zone;
        EXPECT_EQ(Checked((g + L"Ask").c_str()), policy == 1) << zone;
        EXPECT_EQ(Checked((g + L"Deny").c_str()), policy != 0 && policy != 1) << zone;
      }
    }
  }

  TFakeZoneManager Zones;
  TZoneManagerFactoryOverride Seam{{}, [this](IInternetZoneManager** M) {
                                     *M = &Zones;
                                     return S_OK;
                                   }};
  TWindowPtr W;
};

// ---- the walk ----

// The copies that run as older platforms exercise their windows, not the step model: they walk
// the newest and the oldest browser only.
bool WalkEveryCombination() { return std::getenv("VGT_WINVER") == nullptr; }

TEST_F(WizardWindow, WholeWalkForEveryBrowserClassAndDotNetLevel) {
  for (int ie = 1; ie <= 4; ++ie) {
    for (int net = 0; net <= 2; ++net) {
      if (!WalkEveryCombination() && !(ie == 4 && net == 2) && !(ie == 1 && net == 0)) continue;
      SCOPED_TRACE("browser class " + std::to_string(ie) + ", .NET level " + std::to_string(net));
      Zones.Writes.clear();
      Zones.Copies.clear();
      Open(ie, net);
      const bool shots = ie == 4 && net == 2;
      ASSERT_EQ(W->CurrentIndex(), 0);
      EXPECT_FALSE(ButtonEnabled(W->BackButton()));
      EXPECT_TRUE(ButtonEnabled(W->NextButton()));
      EXPECT_TRUE(Checked(L"radAutomatic"));  // the first showing takes the automatic path
      if (shots) SaveScreenshotOnRequest(W->Handle(), L"Tunewright_00_intro");

      // Manual path: every setting step that applies, then the finish page.
      std::vector<int> expected;
      for (int i = 1; i <= 21; ++i)
        if (!StepSkipped(i, ie, net)) expected.push_back(i);
      expected.push_back(22);
      Choose(L"radManual");
      std::vector<int> shown;
      while (ButtonEnabled(W->NextButton()) && shown.size() < 30) {
        Next();
        const int index = W->CurrentIndex();
        shown.push_back(index);
        EXPECT_TRUE(ButtonEnabled(W->BackButton())) << index;
        if (index >= 1 && index <= 21) {
          EXPECT_TRUE(ButtonEnabled(W->NextButton())) << index;
          ExpectChoicesMatchManager(index);
        }
        if (shots) SaveScreenshotOnRequest(W->Handle(), L"Tunewright_" + std::to_wstring(100 + index).substr(1));
      }
      EXPECT_EQ(shown, expected);
      EXPECT_EQ(W->CurrentIndex(), 22);
      EXPECT_FALSE(ButtonEnabled(W->NextButton()));
      EXPECT_TRUE(Zones.Writes.empty()) << "showing a setting page writes nothing";

      // Back retraces the pages shown, skipping what did not apply, to the intro.
      std::vector<int> back;
      while (W->CurrentIndex() != 0 && back.size() < 30) {
        Back();
        back.push_back(W->CurrentIndex());
      }
      std::vector<int> retraced(expected.rbegin() + 1, expected.rend());
      retraced.push_back(0);
      EXPECT_EQ(back, retraced);
      EXPECT_TRUE(Checked(L"radManual"));
      EXPECT_FALSE(ButtonEnabled(W->BackButton()));

      // Automatic path: the recommendations of every step that applies, in step order, zones 2, 3, 4.
      Choose(L"radAutomatic");
      Next();
      ASSERT_EQ(W->CurrentIndex(), 23);
      if (shots) SaveScreenshotOnRequest(W->Handle(), L"Tunewright_23_automatic");
      EXPECT_FALSE(ButtonEnabled(W->NextButton()));
      EXPECT_TRUE(ButtonEnabled(W->BackButton()));
      std::vector<TFakeZoneManager::TWrite> writes;
      for (int i = 1; i <= 21; ++i) {
        if (StepSkipped(i, ie, net)) continue;
        for (DWORD zone = 2; zone <= 4; ++zone) {
          const uint8_t rec = kSteps[i].Rec[zone - 2];
          writes.push_back({zone, kSteps[i].Action, i == 21 ? (rec ? 3u : 0u) : ThreeWayPolicy(rec)});
        }
      }
      EXPECT_EQ(Zones.Writes, writes);
      if ((ie == 4 || ie == 1) && net == 0) {
        EXPECT_EQ(Zones.Writes.size(), 51u);
      }
      if (ie == 3 && net >= 1) {
        EXPECT_EQ(Zones.Writes.size(), 60u);
      }
      EXPECT_NE(Label(L"lblExplain").find(L"All your settings have been adjusted"), WideString::npos);
      Back();
      ASSERT_EQ(W->CurrentIndex(), 0);
      EXPECT_TRUE(Checked(L"radAutomatic"));
      EXPECT_EQ(Label(L"lblWrong"), kCongratulations) << "the applied recommendations now match";

      // Revert path: the three zones get their recommended templates.
      Choose(L"radRevert");
      Next();
      ASSERT_EQ(W->CurrentIndex(), 24);
      if (shots) SaveScreenshotOnRequest(W->Handle(), L"Tunewright_24_revert");
      EXPECT_FALSE(ButtonEnabled(W->NextButton()));
      const std::vector<std::pair<DWORD, DWORD>> copies{{0x10000, 2}, {0x11000, 3}, {0x12000, 4}};
      EXPECT_EQ(Zones.Copies, copies);
      EXPECT_NE(Label(L"lblExplain").find(L"reloaded with defaults"), WideString::npos);
      Back();
      ASSERT_EQ(W->CurrentIndex(), 0);
      EXPECT_TRUE(Checked(L"radRevert"));
      W.reset();
      Pump();
    }
  }
}

TEST_F(WizardWindow, BackReturnsToThePageItWasReachedFrom) {
  Open(4, 0);
  Choose(L"radManual");
  while (W->CurrentIndex() != 13) Next();
  Next();
  EXPECT_EQ(W->CurrentIndex(), 16);  // 14 and 15 need an older browser
  Back();
  EXPECT_EQ(W->CurrentIndex(), 13);
  while (W->CurrentIndex() != 5) Back();
  Next();
  EXPECT_EQ(W->CurrentIndex(), 8);  // 6 and 7 need .NET
  // The automatic path is one Next from the intro, and one Back.
  while (W->CurrentIndex() != 0) Back();
  Choose(L"radAutomatic");
  Next();
  EXPECT_EQ(W->CurrentIndex(), 23);
  Back();
  EXPECT_EQ(W->CurrentIndex(), 0);
}

TEST_F(WizardWindow, NextAndCloseEndTheWindowOnAFinalPage) {
  Open(4, 2);
  Choose(L"radManual");
  while (W->CurrentIndex() != 21) Next();
  Next();
  ASSERT_EQ(W->CurrentIndex(), 22);
  EXPECT_FALSE(ButtonEnabled(W->NextButton()));
  // Focus went to Close, Next being disabled.
  EXPECT_EQ(GetFocus(), W->CancelButton()->Handle());
  Back();
  EXPECT_EQ(W->CurrentIndex(), 21);
  EXPECT_EQ(GetFocus(), W->NextButton()->Handle());
  ClickByMessage(W->CancelButton());
  EXPECT_FALSE(IsWindowVisible(W->Handle()));
}

TEST_F(WizardWindow, TheFirstPageGivesTheFocusToNextAsEveryPageDoes) {
  // The first page is shown while the window is being made, before it has a window to post to.
  Open(4, 2);
  EXPECT_EQ(GetFocus(), W->NextButton()->Handle());
}

TEST_F(WizardWindow, EscapePressesClose) {
  Open(4, 2);
  Choose(L"radManual");
  Next();
  ASSERT_EQ(W->CurrentIndex(), 1);
  SetForegroundWindow(W->Handle());
  Pump();
  HWND focus = GetFocus();
  ASSERT_NE(focus, nullptr);
  PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageW(focus, WM_KEYUP, VK_ESCAPE, 0xC0010001);
  Pump();
  EXPECT_FALSE(IsWindowVisible(W->Handle()));
}

// ---- no step applies ----

TEST_F(WizardWindow, WithNoBrowserNextStopsAfterOnePassAndStaysDisabled) {
  for (const wchar_t* choice : {L"radAutomatic", L"radManual", L"radRevert"}) {
    SCOPED_TRACE(choice);
    Open(0, 2);
    ASSERT_EQ(W->CurrentIndex(), 0);  // the intro shows whether or not it applies
    EXPECT_EQ(Label(L"lblWrong"), kCongratulations);  // nothing applies, nothing differs
    Choose(choice);
    ASSERT_TRUE(ButtonEnabled(W->NextButton()));
    Next();  // would walk the list forever
    EXPECT_EQ(W->CurrentIndex(), 0);
    EXPECT_FALSE(ButtonEnabled(W->NextButton()));
    EXPECT_TRUE(Zones.Writes.empty());
    EXPECT_TRUE(Zones.Copies.empty());
    EXPECT_TRUE(IsWindowVisible(W->Handle()));
    W.reset();
  }
}

// ---- a step list that cannot be made ----

TEST_F(WizardWindow, AStepListThatCannotBeMadeIsReportedAndEndsTheWindow) {
  SetBrowserClass(4);
  TZoneManagerFactoryOverride failing({}, [](IInternetZoneManager** M) {
    *M = nullptr;
    return E_ACCESSDENIED;
  });
  TMessageBoxReader reader(IDOK);
  TWindowPtr w(TCustomForm::Create<TfrmtunewrightWindow>(nullptr));
  Pump();
  ASSERT_EQ(reader.Boxes().size(), 1u);
  EXPECT_EQ(reader.Last().Caption, L"Tunewright");
  EXPECT_EQ(reader.Last().Text.rfind(L"Tunewright cannot start: ", 0), 0u) << reader.Last().Text;
  EXPECT_TRUE(w->StartFailed());
  EXPECT_EQ(w->StepList(), nullptr);
  EXPECT_EQ(w->CurrentFrame(), nullptr);
  EXPECT_FALSE(w->HandleAllocated() && IsWindowVisible(w->Handle()));
}

// ---- the pages' zone work ----

TEST_F(WizardWindow, ARefusingManagerShowsTheErrorAndLeavesTheWindowUsable) {
  Zones.RefuseWritesFrom = 0;
  const auto before = Zones.Policies;
  Open(4, 2);
  Next();  // automatic
  ASSERT_EQ(W->CurrentIndex(), 23);
  EXPECT_EQ(Zones.Writes.size(), 1u) << "the first refusal ends the apply";
  EXPECT_EQ(Zones.Policies, before);
  EXPECT_EQ(Label(L"lblExplain"), kApplyError);
  EXPECT_EQ(Label(L"lblExplain2"), L"");
  EXPECT_EQ(Label(L"lblFeelGood"), L"");
  EXPECT_EQ(Label(L"lblThankyou"), L"");
  Back();
  EXPECT_EQ(W->CurrentIndex(), 0);
  // The revert fails the same way when the zones' attributes cannot be read.
  Zones.AttributesResult = E_FAIL;
  Choose(L"radRevert");
  Next();
  ASSERT_EQ(W->CurrentIndex(), 24);
  EXPECT_EQ(Label(L"lblExplain"), kApplyError);
  EXPECT_TRUE(Zones.Copies.empty());
}

TEST_F(WizardWindow, ARevertWhoseAttributeReadTellsNoTemplateCopiesNothing) {
  // A manager may answer success and leave the record as it was: whatever the memory held must not
  // become the template copied into the zone.
  Zones.AttributesWriteNothing = true;
  Open(4, 2);
  Choose(L"radRevert");
  Next();
  ASSERT_EQ(W->CurrentIndex(), 24);
  EXPECT_TRUE(Zones.Copies.empty());
  EXPECT_EQ(Label(L"lblExplain"), kApplyError);
  EXPECT_TRUE(ButtonEnabled(W->BackButton()));
}

TEST_F(WizardWindow, AClickOnASettingPageWritesAllThreeZonesAndShowsWhatIsStored) {
  Open(4, 2);
  Choose(L"radManual");
  Next();
  ASSERT_EQ(W->CurrentIndex(), 1);  // $1200: seeded other (Deny), Allow, Ask
  ExpectChoicesMatchManager(1);
  ClickByMessage(Part<TUtxRadioButton>(W->CurrentFrame(), L"rg2Ask"));
  const std::vector<TFakeZoneManager::TWrite> writes{{2, 0x1200, 3}, {3, 0x1200, 1}, {4, 0x1200, 1}};
  EXPECT_EQ(Zones.Writes, writes);
  EXPECT_TRUE(Checked(L"rg2Ask"));

  // A write the manager refuses: the buttons go back to the stored policy.
  Zones.RefuseWritesFrom = static_cast<int>(Zones.Writes.size());
  ClickByMessage(Part<TUtxRadioButton>(W->CurrentFrame(), L"rg1Allow"));
  EXPECT_TRUE(Checked(L"rg1Deny"));
  EXPECT_FALSE(Checked(L"rg1Allow"));
  ExpectChoicesMatchManager(1);

  // The two-way page writes Deny as Disallow (3), whatever the zone held (a query shows Deny).
  Zones.RefuseWritesFrom = -1;
  Zones.Policies[{2, 0x1803}] = 1;
  while (W->CurrentIndex() != 21) Next();
  Zones.Writes.clear();
  ClickByMessage(Part<TUtxRadioButton>(W->CurrentFrame(), L"rg2Deny"));
  const std::vector<TFakeZoneManager::TWrite> twoWay{{2, 0x1803, 3}, {3, 0x1803, 3}, {4, 0x1803, 3}};
  EXPECT_EQ(Zones.Writes, twoWay);
  ExpectChoicesMatchManager(21);
}

TEST_F(WizardWindow, TheRecommendedButtonsAreMarked) {
  Zones.Policies[{2, 0x1803}] = 1;  // query: the two-way page shows Deny
  Open(4, 2);
  Choose(L"radManual");
  while (W->CurrentIndex() != 3) Next();
  auto marked = [&](const wchar_t* Name) {
    TFontStyles s = Part<TUtxRadioButton>(W->CurrentFrame(), Name)->Font()->Style();
    return s.Contains(TFontStyle::fsBold) && s.Contains(TFontStyle::fsUnderline);
  };
  EXPECT_TRUE(marked(L"rg1Ask"));
  EXPECT_TRUE(marked(L"rg2Ask"));
  EXPECT_TRUE(marked(L"rg3Deny"));
  EXPECT_FALSE(marked(L"rg1Allow"));
  EXPECT_FALSE(marked(L"rg3Ask"));
  EXPECT_EQ(Label(L"lblAction"), L"Run ActiveX controls not marked safe for scripting");
  while (W->CurrentIndex() != 21) Next();
  ASSERT_NE(dynamic_cast<TframeConfigFeature2*>(W->CurrentFrame()), nullptr);
  for (const wchar_t* n : {L"rg1Allow", L"rg2Allow", L"rg3Allow"}) EXPECT_TRUE(marked(n)) << n;
  EXPECT_TRUE(Checked(L"rg1Deny"));
  EXPECT_TRUE(Zones.Writes.empty());
}

TEST_F(WizardWindow, TheIntroComparesOnlyTheStepsThatApply) {
  // Every applicable step at its recommendation; the .NET steps (not applying) far off.
  for (int i = 1; i <= 21; ++i)
    for (DWORD zone = 2; zone <= 4; ++zone)
      Zones.Policies[{zone, kSteps[i].Action}] = i == 21 ? 0 : ThreeWayPolicy(kSteps[i].Rec[zone - 2]);
  Zones.Policies[{4, 0x1200}] = 0x30000;  // Restricted "other" counts as Deny: still a match
  Zones.Policies[{2, 0x2001}] = 3;
  Zones.Policies[{3, 0x2004}] = 0;
  Open(4, 0);
  EXPECT_EQ(Label(L"lblWrong"), kCongratulations);
  EXPECT_EQ(Label(L"lblWelcome"), L"Veilgate");
  W.reset();
  // One zone of one step off.
  Zones.Policies[{3, 0x1803}] = 1;  // query, where the two-way step recommends Allow
  Open(4, 0);
  EXPECT_EQ(Label(L"lblWrong"), kMismatch);
  W.reset();
  // A policy that cannot be read counts as Allow.
  Zones.Policies[{3, 0x1803}] = 0;
  Zones.Policies.erase({4, 0x1400});  // Deny recommended
  Open(4, 0);
  EXPECT_EQ(Label(L"lblWrong"), kMismatch);
}

TEST_F(WizardWindow, TheWindowsTextsAndTheFinishPage) {
  Open(4, 2);
  wchar_t title[128] = {};
  GetWindowTextW(W->Handle(), title, 128);
  EXPECT_STREQ(title, L"Veilgate - Tunewright");
  EXPECT_EQ(W->NextButton()->GetCaption(), L"&Next >>");
  EXPECT_EQ(W->BackButton()->GetCaption(), L"<< &Back");
  EXPECT_EQ(W->CancelButton()->GetCaption(), L"Close");
  EXPECT_EQ(WidenText(Application->Title()), L"Veilgate - Tunewright");
  Choose(L"radManual");
  while (W->CurrentIndex() != 22) Next();
  EXPECT_EQ(Label(L"lblFeelGood"), L"Your Internet Explorer is now configured for the security level level of your choice");
  EXPECT_EQ(Label(L"lblThankyou"), L"Thank you for using Veilgate. Use Tunewright often to check your configuration.");
  EXPECT_TRUE(Part<TUtxLabel>(W->CurrentFrame(), L"lblWelcome")->Font()->Style().Contains(TFontStyle::fsBold));
}

}  // namespace

namespace {

// Anchored buttons and the picture keep their designed places: the panels they sit on must be
// read at their designed sizes, or the anchors move them when the panels take their places.
TEST_F(WizardWindow, TheButtonsAndPicturesKeepTheirDesignedPlaces) {
  Open(4, 2);
  auto place = [&](const wchar_t* Name) {
    auto* c = Part<TControl>(W.get(), Name);
    return std::vector<int>{c->Left(), c->Top(), c->Width(), c->Height()};
  };
  EXPECT_EQ(W->ClientWidth(), 610);
  EXPECT_EQ(W->ClientHeight(), 409);
  EXPECT_EQ(place(L"cmdBack"), (std::vector<int>{96, 8, 110, 24}));
  EXPECT_EQ(place(L"cmdNext"), (std::vector<int>{220, 8, 110, 24}));
  EXPECT_EQ(place(L"cmdCancel"), (std::vector<int>{344, 8, 110, 24}));
  EXPECT_EQ(place(L"imgProduct"), (std::vector<int>{4, 196, 136, 155}));
  EXPECT_EQ(place(L"imgStrip")[3], 55);
  // The page fills the page area.
  EXPECT_EQ(W->CurrentFrame()->Width(), 465);
  EXPECT_EQ(W->CurrentFrame()->Height(), 364);
  EXPECT_TRUE(W->CancelButton()->Cancel());
}

}  // namespace
