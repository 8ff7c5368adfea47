// Figures for Tunewright, printed, never judged by a test: the time from creating the window to
// its first page shown, against a bare empty class-library form made and shown in the same run
// (the ratio is the figure to watch), one page change (Next or Back, until the new page is
// painted), and the time of the apply-all over every step, against a zone manager in memory (so
// that the machine's settings stay as they are).
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
#include "tests/support/BenchFigures.h"
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

// One page change: the click, and the new page painted. False when the page stayed.
bool TurnPage(TfrmtunewrightWindow* W, bool Forward, std::vector<double>& Times) {
  const int32_t before = W->CurrentIndex();
  const auto start = TClock::now();
  if (Forward) W->cmdNextClick(nullptr);
  else W->cmdBackClick(nullptr);
  RedrawWindow(W->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  Application->ProcessMessages();
  if (W->CurrentIndex() == before) return false;
  Times.push_back(Milliseconds(TClock::now() - start));
  return true;
}

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

  bench::Figure("wizard: bare form made and painted", b);
  bench::Figure("wizard: start to first page painted", w, "ms", "wizard: bare form made and painted");

  // Walks forward to the final page and back to the first, again and again.
  std::vector<double> turns;
  {
    TfrmtunewrightWindow* walker = MakeWizard();
    walker->Show();
    Application->ProcessMessages();
    for (int i = 0; i < std::min(rounds, 4); ++i) {
      for (int guard = 0; guard < 50; ++guard) {
        TTunewrightStep* step = walker->CurrentStep();
        if (!step || step->Navigation == navFinal || !TurnPage(walker, true, turns)) break;
      }
      for (int guard = 0; guard < 50 && TurnPage(walker, false, turns); ++guard) {
      }
    }
    walker->Free();
    Application->ProcessMessages();
  }
  std::printf("page change (Next or Back): median %.2f ms over %zu changes\n", Median(turns), turns.size());
  if (!turns.empty()) bench::Figure("wizard: one page change (Next or Back), painted", Median(turns));

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
