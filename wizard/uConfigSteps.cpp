#include "wizard/uConfigSteps.h"

#include <shlwapi.h>

#include <cstdio>

#include "base/Module.h"
#include "base/RegKey.h"
#include "common/trvAPI.h"
#include "common/trvZoneServices.h"
#include "unicode/GnuGettext.h"
#include "unicode/UtxWindows.h"

// ---- the list ----

TConfigStepList::TConfigStepList() {
  FZoneManager = CreateZoneManager();
  FIeClass = GetBrowserVersionClass();
  FNetClass = GetDotNetPolicyLevel();
}

TConfigStepList::~TConfigStepList() = default;

int32_t TConfigStepList::AddStep(TTunewrightStep* Step) {
  Step->Owner = this;
  return FSteps.Add(Step);
}

int32_t TConfigStepList::GetStepCount() const { return FSteps.Count(); }

TTunewrightStep* TConfigStepList::GetStep(int32_t Index) const {
  return static_cast<TTunewrightStep*>(FSteps.Items(Index));
}

bool TConfigStepList::IsStepApplicable(const TTunewrightStep* Step) const {
  return StepAppliesTo(*Step, FIeClass, FNetClass);
}

void TConfigStepList::FireTextsChanged() {
  if (OnTextsChanged) OnTextsChanged(this);
}

uint8_t TSettingStep::Recommended(DWORD Zone) const {
  return Zone == URLZONE_TRUSTED ? RecTrusted : Zone == URLZONE_INTERNET ? RecInternet : RecRestricted;
}

uint32_t TSettingStep::ChoicePolicy(uint8_t Choice) const {
  return ChoiceCount() == 3 ? ChoiceToPolicy(Choice) : FlagToPolicy(Choice);
}

uint8_t TSettingStep::PolicyChoice(uint32_t Policy) const {
  return ChoiceCount() == 3 ? PolicyToChoice(Policy) : static_cast<uint8_t>(PolicyToFlag(Policy));
}

bool StepAppliesTo(const TTunewrightStep& Step, uint8_t IeClass, uint8_t NetClass) {
  return Step.MinIe <= IeClass && IeClass <= Step.MaxIe && NetClass >= Step.MinNet;
}

// ---- choices and policies ----

uint32_t ChoiceToPolicy(uint8_t Choice) {
  switch (Choice) {
    case chAllow:
      return URLPOLICY_ALLOW;
    case chAsk:
      return URLPOLICY_QUERY;
    default:
      return URLPOLICY_DISALLOW;
  }
}

uint8_t PolicyToChoice(uint32_t Policy) {
  switch (Policy) {
    case URLPOLICY_ALLOW:
      return chAllow;
    case URLPOLICY_QUERY:
      return chAsk;
    default:
      return chDeny;
  }
}

uint32_t FlagToPolicy(uint8_t Flag) { return Flag == 0 ? URLPOLICY_ALLOW : URLPOLICY_DISALLOW; }

bool PolicyToFlag(uint32_t Policy) { return Policy != URLPOLICY_ALLOW; }

// ---- texts ----

namespace {

struct TUrlActionText {
  uint32_t Action;
  const wchar_t* Caption;
  const wchar_t* Help;
};

// Stored as they stand; the catalogs carry the corrections.
const TUrlActionText UrlActionTexts[] = {
    {0x1001, L"Download Signed ActiveX Controls",
     L"Before you can ever use an ActiveX control for the first time, it has to be downloaded. "
     L"Signed controls ensure that you know who made that ActiveX control."},
    {0x1004, L"Download Unsigned ActiveX Controls",
     L"Unsigned ActiveX controls provide no information on who made the control. Everybody should "
     L"sign his controls to make them work on the web."},
    {0x1200, L"Allow ActiveX controls to run",
     L"Without ActiveX controls you cannot see flash sites or other sites that require the power "
     L"of ActiveX to provide you the best experience."},
    {0x1201, L"Run ActiveX controls not marked safe for scripting",
     L"Many ActiveX controls are marked safe for scripting, a few others are not. Be careful with "
     L"ActiveX controls not marked safe."},
    {0x1400, L"Allow active scripting",
     L"Most websites need active scripting to provide you a nice web design. This includes a few "
     L"effects or complex menus."},
    {0x1402, L"Allow java to be scripted",
     L"Internet Explorer can allow access from scripting to Java applets. This should not be a "
     L"problem."},
    {0x1405, L"Run ActiveX controls marked safe for scripting",
     L"Any ActiveX control can be marked safe for scripting. It's just an indicator if the "
     L"programmer thinks that the ActiveX control can do any harm. Most ActiveX controls on the "
     L"web are marked safe for scripting. Be careful before allowing any ActiveX to run."},
    {0x1406, L"Allow cross domain access",
     L"It's not a good idea to allow skripts to access data across domain borders."},
    {0x1407, L"Allow script to insert data",
     L"Some scripts insert data into form fields. This could potentially insert some computer "
     L"information into hidden fields and thus breach your privacy."},
    {0x1601, L"Submit non-encrypted forms",
     L"Only online ordering and vital financial data must be encrypted when using the web. Other "
     L"data could be unencrypted."},
    {0x1604, L"Allow font download",
     L"Some websites need special fonts to work appropriately. Do not download any font you might "
     L"find on the web. Fonts take resources from Windows and make it run slower if you have too "
     L"many fonts installed."},
    {0x1607, L"Navigate subframes across domains",
     L"Better not allow scripts to navigate other domains frames. This can lead to frame "
     L"spoofing."},
    {0x1609, L"Show mixed content",
     L"It is safe to show encrypted and unencrypted websites at the same time, but it might be "
     L"hard to see which site actually is the encrypted one."},
    {0x1800, L"Install desktop items", L"Do you like websites to install stuff on your desktop?"},
    {0x1802, L"Allow drag and drop or copy paste",
     L"Allow drag and drop or copy and paste of files."},
    {0x1803, L"Allow file download", L"Downloading of files is an essential web feature."},
    {0x1804, L"Allow programs and files inside an IFRAME",
     L"It can be disturbing to have non-HTML inside an IFRAME. But denying this setting breaks "
     L"any frame functionality in Internet Explorer."},
    {0x1A02, L"Allow cookies that are stored on your computer",
     L"Cookies stored on your are not removed once you end your browsing session. They can be "
     L"used to remember you many days later."},
    {0x1A03, L"Allow per-session cookies (not stored)",
     L"Per-session cookies are automatically removed once you end your browsing session."},
    {0x2001, L"Allow signed .NET components to run",
     L"This setting determines if you allow .NET components that are signed with authenticode to "
     L"run."},
    {0x2004, L"Allow unsigned .NET components to run",
     L"This settings determines if you allow unsigned .NET components to run. Running any "
     L"unsigned components cannot be recommended."},
};

}  // namespace

void GetUrlActionTexts(uint32_t UrlAction, WideString& Caption, WideString& Help) {
  for (const TUrlActionText& t : UrlActionTexts) {
    if (t.Action == UrlAction) {
      Caption = Translate(t.Caption);
      Help = Translate(t.Help);
      return;
    }
  }
  wchar_t digits[16];
  std::swprintf(digits, 16, L"%08X", static_cast<unsigned>(UrlAction));
  Caption = WideString(L"Unbekannte URLACTION (") + digits + L")";
  Help = L"Diese URLACTION ist noch nicht bekannt.";
}

// ---- the machine's browser and .NET levels ----

namespace {

HMODULE LoadLibraryOnPlatform(const wchar_t* Name) {
  if (UnicodePlatform()) return LoadLibraryW(Name);
  return LoadLibraryA(NarrowText(Name).c_str());
}

bool KeyOpens(HKEY Root, const wchar_t* Path) {
  TRegKey key;
  return ApiRegOpenKeyEx(Root, Path, 0, KEY_QUERY_VALUE, key.Out()) == ERROR_SUCCESS;
}

}  // namespace

uint8_t GetBrowserVersionClass() {
  const TLibrary library(LoadLibraryOnPlatform(L"shdocvw.dll"));
  const auto getVersion = library.Export<DLLGETVERSIONPROC>("DllGetVersion");
  if (!getVersion) return 0;
  DLLVERSIONINFO info{};
  info.cbSize = sizeof info;  // 20
  if (FAILED(getVersion(&info))) return 0;
  if (info.dwMajorVersion <= 4) return 1;
  if (info.dwMajorVersion == 5) return info.dwMinorVersion == 0 ? 2 : 3;
  return 4;
}

uint8_t GetDotNetPolicyLevel() {
  if (KeyOpens(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\.NETFramework\\policy\\v1.1")) return 2;
  if (KeyOpens(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\.NETFramework\\policy\\v1.0")) return 1;
  return 0;
}

// ---- building the list ----

int32_t AddPlainStep(TConfigStepList& List, TFrameClass FrameClass) {
  auto* step = new TTunewrightStep;
  step->FrameClass = FrameClass;
  return List.AddStep(step);
}

namespace {

template <class TStep>
int32_t AddSettingStep(TConfigStepList& List, TFrameClass FrameClass, uint32_t UrlAction, uint8_t RecTrusted,
                       uint8_t RecInternet, uint8_t RecRestricted, uint8_t MinIe, uint8_t MaxIe, uint8_t MinNet) {
  auto* step = new TStep;
  step->FrameClass = FrameClass;
  step->UrlAction = UrlAction;
  step->RecTrusted = RecTrusted;
  step->RecInternet = RecInternet;
  step->RecRestricted = RecRestricted;
  step->MinIe = MinIe;
  step->MaxIe = MaxIe;
  step->MinNet = MinNet;
  return List.AddStep(step);
}

}  // namespace

int32_t AddStep3(TConfigStepList& List, TFrameClass FrameClass, uint32_t UrlAction, uint8_t RecTrusted,
                 uint8_t RecInternet, uint8_t RecRestricted, uint8_t MinIe, uint8_t MaxIe, uint8_t MinNet) {
  return AddSettingStep<TTunewrightStep3>(List, FrameClass, UrlAction, RecTrusted, RecInternet, RecRestricted, MinIe,
                                          MaxIe, MinNet);
}

int32_t AddStep2(TConfigStepList& List, TFrameClass FrameClass, uint32_t UrlAction, uint8_t RecTrusted,
                 uint8_t RecInternet, uint8_t RecRestricted, uint8_t MinIe, uint8_t MaxIe, uint8_t MinNet) {
  return AddSettingStep<TTunewrightStep2>(List, FrameClass, UrlAction, RecTrusted, RecInternet, RecRestricted, MinIe,
                                          MaxIe, MinNet);
}

int32_t AddFinalStep(TConfigStepList& List, TFrameClass FrameClass) {
  const int32_t index = AddPlainStep(List, FrameClass);
  List.GetStep(index)->Navigation = navFinal;
  return index;
}

void AddConfigSteps(TConfigStepList& List, const TConfigStepFrames& Frames) {
  constexpr uint8_t Al = chAllow, As = chAsk, De = chDeny;
  const TFrameClass F3 = Frames.Feature3;
  AddPlainStep(List, Frames.Intro);
  // Setting steps: URL action; recommended for Trusted, Internet, Restricted; browser classes
  // from and to; .NET level from.
  List.ManualIndex = AddStep3(List, F3, 0x1200, Al, As, De, 1, 5, 0);  // URLACTION_ACTIVEX_RUN
  AddStep3(List, F3, 0x1405, Al, As, De, 1, 5, 0);  // URLACTION_SCRIPT_OVERRIDE_SAFETY
  AddStep3(List, F3, 0x1201, As, As, De, 1, 5, 0);  // URLACTION_ACTIVEX_OVERRIDE_OBJECT_SAFETY
  AddStep3(List, F3, 0x1001, Al, As, De, 1, 5, 0);  // URLACTION_DOWNLOAD_SIGNED_ACTIVEX
  AddStep3(List, F3, 0x1004, As, De, De, 1, 5, 0);  // URLACTION_DOWNLOAD_UNSIGNED_ACTIVEX
  AddStep3(List, F3, 0x2001, Al, As, De, 1, 5, 1);  // URLACTION_MANAGED_SIGNED
  AddStep3(List, F3, 0x2004, As, As, De, 1, 5, 1);  // URLACTION_MANAGED_UNSIGNED
  AddStep3(List, F3, 0x1604, Al, As, De, 1, 5, 0);  // URLACTION_HTML_FONT_DOWNLOAD
  AddStep3(List, F3, 0x1400, Al, Al, De, 1, 5, 0);  // URLACTION_SCRIPT_RUN
  AddStep3(List, F3, 0x1407, Al, As, De, 1, 5, 0);  // URLACTION_SCRIPT_PASTE
  AddStep3(List, F3, 0x1402, Al, As, De, 1, 5, 0);  // URLACTION_SCRIPT_JAVA_USE
  AddStep3(List, F3, 0x1406, Al, As, De, 1, 5, 0);  // URLACTION_CROSS_DOMAIN_DATA
  AddStep3(List, F3, 0x1609, Al, As, De, 4, 5, 0);  // URLACTION_HTML_MIXED_CONTENT
  AddStep3(List, F3, 0x1A02, Al, Al, De, 1, 3, 0);  // URLACTION_COOKIES
  AddStep3(List, F3, 0x1A03, Al, Al, De, 1, 3, 0);  // URLACTION_COOKIES_SESSION
  AddStep3(List, F3, 0x1800, Al, As, De, 1, 5, 0);  // URLACTION_SHELL_INSTALL_DTITEMS
  AddStep3(List, F3, 0x1804, Al, As, As, 1, 5, 0);  // URLACTION_SHELL_VERB
  AddStep3(List, F3, 0x1607, Al, As, De, 2, 5, 0);  // URLACTION_HTML_SUBFRAME_NAVIGATE
  AddStep3(List, F3, 0x1601, Al, Al, As, 1, 5, 0);  // URLACTION_HTML_SUBMIT_FORMS
  AddStep3(List, F3, 0x1802, Al, As, As, 1, 5, 0);  // URLACTION_SHELL_MOVE_OR_COPY
  AddStep2(List, Frames.Feature2, 0x1803, Al, Al, Al, 1, 5, 0);  // URLACTION_SHELL_FILE_DOWNLOAD
  AddFinalStep(List, Frames.Finish);
  List.AutomaticIndex = AddFinalStep(List, Frames.AutomaticFinish);
  List.RevertIndex = AddFinalStep(List, Frames.Revert);
}
