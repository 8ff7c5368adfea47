// Tunewright's step model: the steps of the wizard with their pages, navigation and the browser
// and .NET levels they apply to, the 21 URL actions with the recommended choice for the Trusted,
// Internet and Restricted zones, and the zone manager every page reads and writes through.
#pragma once

#include <windows.h>
#include <urlmon.h>
#include <wrl/client.h>

#include <cstdint>

#include "classlib/Classes.h"
#include "classlib/Lists.h"

class TConfigStepList;

// A page class that the window can instantiate: its run-time class and its virtual constructor
// with an owner. Every page class provides one static instance.
struct TFrameClassInfo {
  TClass Class;
  TComponent* (*Create)(TComponent* Owner);
};
using TFrameClass = const TFrameClassInfo*;

// The frame class reference of a page class T (constructible from an owner).
template <class T>
TFrameClass FrameClassOf() {
  static const TFrameClassInfo info{T::StaticClass(),
                                    [](TComponent* Owner) -> TComponent* { return new T(Owner); }};
  return &info;
}

// How Next leaves a step.
enum : uint8_t {
  navNext = 0,   // to the following index
  navJump = 1,   // to JumpTo
  navFinal = 2,  // final page: Next is disabled, a Next click closes the window
};

// Three-way choices (0 Allow, 1 Ask, 2 Deny) and two-way flags (0 Allow, other Deny).
enum : uint8_t { chAllow = 0, chAsk = 1, chDeny = 2 };

class TTunewrightStep : public TObject {
  VGT_CLASS(TTunewrightStep, TObject)
 public:
  TTunewrightStep() = default;

  TConfigStepList* Owner = nullptr;
  TFrameClass FrameClass = nullptr;
  uint8_t Navigation = navNext;
  int32_t JumpTo = 0;
  int32_t BackTo = 0;
  uint8_t MinIe = 1;
  uint8_t MaxIe = 5;  // above the highest class: no upper bound
  uint8_t MinNet = 0;
};

class TSimpleTunewrightStep : public TTunewrightStep {
  VGT_CLASS(TSimpleTunewrightStep, TTunewrightStep)
 public:
  uint32_t UrlAction = 0;
};

// A setting: one URL action and the recommended choice for the Trusted, Internet and Restricted
// zones. Its kind says how many choices a zone has and which policy each one stands for.
class TSettingStep : public TSimpleTunewrightStep {
  VGT_CLASS(TSettingStep, TSimpleTunewrightStep)
 public:
  // 3: Allow, Ask, Deny (choices 0, 1, 2); 2: Allow, Deny (flags 0 and 1).
  virtual uint8_t ChoiceCount() const = 0;
  // The recommendation for zone 2, 3 or 4.
  uint8_t Recommended(DWORD Zone) const;
  // The policy a choice (or a recommendation byte) stands for: ChoiceToPolicy, or FlagToPolicy
  // for two choices.
  uint32_t ChoicePolicy(uint8_t Choice) const;
  // The choice a stored policy shows, 0 .. ChoiceCount() - 1: PolicyToChoice, or PolicyToFlag
  // for two choices.
  uint8_t PolicyChoice(uint32_t Policy) const;

  uint8_t RecTrusted = 0;
  uint8_t RecInternet = 0;
  uint8_t RecRestricted = 0;
};

// A setting with Allow, Ask and Deny for each zone.
class TTunewrightStep3 : public TSettingStep {
  VGT_CLASS(TTunewrightStep3, TSettingStep)
 public:
  uint8_t ChoiceCount() const override { return 3; }
};

// A setting with Allow and Deny only; the three bytes are two-way flags.
class TTunewrightStep2 : public TSettingStep {
  VGT_CLASS(TTunewrightStep2, TSettingStep)
 public:
  uint8_t ChoiceCount() const override { return 2; }
};

class TConfigStepList : public TObject {
  VGT_CLASS(TConfigStepList, TObject)
 public:
  // Creates the zone manager (a failure raises EOleSysError) and probes the browser version
  // class and the .NET level once.
  TConfigStepList();
  ~TConfigStepList() override;
  TConfigStepList(const TConfigStepList&) = delete;
  TConfigStepList& operator=(const TConfigStepList&) = delete;

  // Takes ownership of the step; answers its index.
  int32_t AddStep(TTunewrightStep* Step);
  int32_t GetStepCount() const;
  // Raises EListError for an index outside 0 .. count - 1.
  TTunewrightStep* GetStep(int32_t Index) const;
  bool IsStepApplicable(const TTunewrightStep* Step) const;
  void FireTextsChanged();

  IInternetZoneManager* ZoneManager() const { return FZoneManager.Get(); }
  uint8_t IeClass() const { return FIeClass; }
  uint8_t NetClass() const { return FNetClass; }

  TNotifyEvent OnTextsChanged;
  int32_t ManualIndex = 0;
  int32_t AutomaticIndex = 0;
  int32_t RevertIndex = 0;

 private:
  Microsoft::WRL::ComPtr<IInternetZoneManager> FZoneManager;
  TObjectList FSteps{true};
  uint8_t FIeClass = 0;
  uint8_t FNetClass = 0;
};

// MinIe <= IeClass <= MaxIe and NetClass >= MinNet, as unsigned bytes.
bool StepAppliesTo(const TTunewrightStep& Step, uint8_t IeClass, uint8_t NetClass);

uint32_t ChoiceToPolicy(uint8_t Choice);   // 0 -> 0, 1 -> 1, other -> 3
uint8_t PolicyToChoice(uint32_t Policy);   // 0 -> 0, 1 -> 1, other -> 2
uint32_t FlagToPolicy(uint8_t Flag);       // 0 -> 0, other -> 3
bool PolicyToFlag(uint32_t Policy);        // true (Deny) unless the policy is 0

// The caption and help text of a URL action, translated (text domain "default"); an action not
// in the table gets an untranslated German caption and help naming it.
void GetUrlActionTexts(uint32_t UrlAction, WideString& Caption, WideString& Help);

// 0 (no usable shdocvw.dll), 1 (version 4 and older), 2 (5.0), 3 (5.x above 5.0), 4 (6 and later).
uint8_t GetBrowserVersionClass();
// 2 with the .NET 1.1 policy key, 1 with only the 1.0 key, else 0.
uint8_t GetDotNetPolicyLevel();

// ---- the wizard's fixed sequence of steps ----

// Each appends one step to the list and answers its index. A plain step is shown and left by
// the following index; a final step disables Next.
int32_t AddPlainStep(TConfigStepList& List, TFrameClass FrameClass);
int32_t AddFinalStep(TConfigStepList& List, TFrameClass FrameClass);
// Setting steps: the URL action, the recommended choice for the Trusted, Internet and Restricted
// zones (three-way choices for AddStep3, two-way flags for AddStep2) and the browser classes and
// .NET level the step applies to.
int32_t AddStep3(TConfigStepList& List, TFrameClass FrameClass, uint32_t UrlAction, uint8_t RecTrusted,
                 uint8_t RecInternet, uint8_t RecRestricted, uint8_t MinIe, uint8_t MaxIe, uint8_t MinNet);
int32_t AddStep2(TConfigStepList& List, TFrameClass FrameClass, uint32_t UrlAction, uint8_t RecTrusted,
                 uint8_t RecInternet, uint8_t RecRestricted, uint8_t MinIe, uint8_t MaxIe, uint8_t MinNet);

// The page classes of the wizard, one per kind of step.
struct TConfigStepFrames {
  TFrameClass Intro, Feature3, Feature2, Finish, AutomaticFinish, Revert;
};

// The wizard's 25 steps in their fixed order: the intro (0), twenty three-way settings (1-20,
// the first of them ManualIndex), the two-way one (21), then the finish (22), automatic-finish
// (AutomaticIndex, 23) and revert (RevertIndex, 24) pages.
void AddConfigSteps(TConfigStepList& List, const TConfigStepFrames& Frames);
