// Figures for Tunewright, printed, never judged by a test: the time from creating the window to
// its first page shown, against a bare empty class-library form made and shown in the same run
// (the ratio is the figure to watch), and the time of the apply-all over every step, against a
// zone manager in memory (so that the machine's settings stay as they are).
//   WizardBench [rounds]   (run beside the build's locale folder and the stand-in shdocvw.dll, or
//                           with the platform's own; the class decides how many steps apply)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "classlib/Forms.h"
#include "common/trvZoneServices.h"
#include "tests/wizard/FakeZoneManager.h"
#include "unicode/UtxForms.h"
#include "wizard/fConfigAutomaticFinish.h"
#include "wizard/fTunewrightWindow.h"

namespace {

using TClock = std::chrono::steady_clock;

double Milliseconds(TClock::duration D) { return std::chrono::duration<double, std::milli>(D).count(); }

double Median(std::vector<double> V) {
  std::sort(V.begin(), V.end());
  return V[V.size() / 2];
}

// Creates the form, shows it and paints it all.
template <class F>
double TimeToShown(F* (*Make)()) {
  const auto start = TClock::now();
  F* form = Make();
  form->Show();
  RedrawWindow(form->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  Application->ProcessMessages();
  const double ms = Milliseconds(TClock::now() - start);
  form->Free();
  Application->ProcessMessages();
  return ms;
}

TForm* MakeBareForm() { return TCustomForm::CreateNew<TForm>(nullptr); }
TfrmtunewrightWindow* MakeWizard() { return TCustomForm::Create<TfrmtunewrightWindow>(nullptr); }

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  Application->Initialize();
  UtxFormsStart();
  TFakeZoneManager zones;
  TZoneManagerFactoryOverride seam({}, [&zones](IInternetZoneManager** M) {
    *M = &zones;
    return S_OK;
  });

  // One of each first, so that neither pays for loading libraries and catalogs.
  TimeToShown(MakeBareForm);
  TimeToShown(MakeWizard);
  std::vector<double> bare, wizard;
  for (int i = 0; i < rounds; ++i) {
    bare.push_back(TimeToShown(MakeBareForm));
    wizard.push_back(TimeToShown(MakeWizard));
  }
  const double b = Median(bare), w = Median(wizard);
  std::printf("start to first page: wizard %.2f ms, bare form %.2f ms, ratio %.1f (median of %d)\n", w, b,
              b > 0 ? w / b : 0.0, rounds);

  TfrmtunewrightWindow* window = MakeWizard();
  std::vector<double> apply;
  size_t writes = 0;
  for (int i = 0; i < rounds; ++i) {
    zones.Writes.clear();
    auto* page = CreateUtxFrame<TframeConfigAutomaticFinish>(window);
    const auto start = TClock::now();
    page->ApplyRecommended(window->StepList()->GetStep(window->StepList()->AutomaticIndex));
    apply.push_back(Milliseconds(TClock::now() - start));
    writes = zones.Writes.size();
    delete page;
  }
  std::printf("apply all: %.3f ms for %zu writes (browser class %u, .NET level %u; median of %d)\n", Median(apply),
              writes, window->StepList()->IeClass(), window->StepList()->NetClass(), rounds);
  window->Free();
  Application->ProcessMessages();
  UtxFormsStop();
  return 0;
}
