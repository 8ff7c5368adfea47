// Reads form descriptions of many sibling controls (300, 1,000, 3,000 buttons on one form) and of
// nested panels (50, 100, 150 deep, a button in each), creates their windows and frees the form.
// Linear reading shows as ratios near 3.3 and 3.0 between the sibling sizes and 2 and 1.5 between
// the nested ones (not part of the test suite).
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "classlib/ExtCtrls.h"
#include "classlib/Filer.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"
#include "tests/support/BenchFigures.h"

namespace {

WideString Siblings(int Count) {
  WideString text = L"object F: TForm\n  Width = 800\n  Height = 600\n";
  for (int i = 0; i < Count; ++i) {
    const WideString n = std::to_wstring(i);
    text += L"  object Button" + n + L": TButton\n    Left = " + std::to_wstring(i % 40 * 20) + L"\n    Top = " +
            std::to_wstring(i / 40 * 8) + L"\n    Width = 18\n    Height = 8\n    Caption = 'B" + n + L"'\n  end\n";
  }
  return text + L"end\n";
}

WideString Nested(int Depth) {
  WideString text = L"object F: TForm\n  Width = 800\n  Height = 600\n";
  for (int i = 0; i < Depth; ++i) {
    const WideString n = std::to_wstring(i);
    text += L"object Panel" + n + L": TPanel\n  Left = 2\n  Top = 2\n  Width = " + std::to_wstring(780 - 2 * i) +
            L"\n  Height = " + std::to_wstring(580 - 2 * i) + L"\n  object Button" + n +
            L": TButton\n    Width = 20\n    Height = 8\n    Caption = 'B" + n + L"'\n  end\n";
  }
  for (int i = 0; i < Depth; ++i) text += L"end\n";
  return text + L"end\n";
}

// Read, windows made, freed: the median of Rounds.
void Measure(const WideString& Text, int Rounds, std::vector<double>& Read, std::vector<double>& Freed) {
  for (int r = 0; r < Rounds; ++r) {
    const double t0 = bench::NowMs();
    TForm* f = TCustomForm::CreateNew<TForm>(nullptr);
    ReadComponentText(f, Text, L"TForm");
    f->HandleNeeded();
    for (int i = 0; i < f->ComponentCount(); ++i)
      if (auto* w = dynamic_cast<TWinControl*>(f->Components(i))) w->HandleNeeded();
    const double t1 = bench::NowMs();
    delete f;
    const double t2 = bench::NowMs();
    Read.push_back(t1 - t0);
    Freed.push_back(t2 - t1);
  }
}

}  // namespace

int main() {
  Application->Initialize();
  std::vector<double> warm, ignored;
  Measure(Siblings(50), 1, warm, ignored);
  char what[128], base[128];
  int previous = 0;
  for (int count : {300, 1000, 3000}) {
    std::vector<double> read, freed;
    Measure(Siblings(count), count > 1000 ? 1 : 3, read, freed);
    const double r = bench::Median(read), f = bench::Median(freed);
    std::printf("%5d siblings: read and made %.1f ms (%.3f ms each), freed %.1f ms\n", count, r, r / count, f);
    std::snprintf(what, sizeof what, "form reader: %d siblings", count);
    std::snprintf(base, sizeof base, "form reader: %d siblings", previous);
    bench::Figure(what, r, "ms", previous ? base : nullptr);
    std::snprintf(what, sizeof what, "form reader: %d siblings freed", count);
    std::snprintf(base, sizeof base, "form reader: %d siblings freed", previous);
    bench::Figure(what, f, "ms", previous ? base : nullptr);
    previous = count;
  }
  previous = 0;
  for (int depth : {50, 100, 150}) {
    std::vector<double> read, freed;
    Measure(Nested(depth), 3, read, freed);
    const double r = bench::Median(read), f = bench::Median(freed);
    std::printf("%5d nested panels with a button each: read and made %.1f ms, freed %.1f ms\n", depth, r, f);
    std::snprintf(what, sizeof what, "form reader: %d nested", depth);
    std::snprintf(base, sizeof base, "form reader: %d nested", previous);
    bench::Figure(what, r, "ms", previous ? base : nullptr);
    previous = depth;
  }
  return 0;
}
