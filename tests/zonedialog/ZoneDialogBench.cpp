// Figures of the zone dialog (built, not run by the suite):
//  1. across processes, as a client sees it: COM starting VgtDialog.exe (activation), apart from
//     our own work on 1,000 domains: SetParentWindow, the AddDomain calls, ShowDialog until the
//     dialog is up, and the release until the process has ended; the private memory of the
//     program while it shows the 1,000 rows, against the same dialog with no rows;
//  2. in this process: building rows (AddDomain calls and ShowDialog) and freeing them, at 100,
//     1,000 and 5,000 rows, each size against the one before (flat cost a row shows as ratios of
//     10 and 5).
// Usage: ZoneDialogBench [rounds]   (VGT_BENCH_ROWS=100,1000 limits the sizes in this process;
//                                    VGT_BENCH_ROWS_ONLY=1 leaves out the part across processes)
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/ComTestSupport.h"
#include "tests/support/ZoneDialogServerProcess.h"
#include "ZoneDialogTestSupport.h"
#include "tests/support/BenchFigures.h"
#include "unicode/UtxForms.h"

namespace {

WideString Name(int I) { return L"bench" + std::to_wstring(I) + L".vgt-zd-bench.example"; }

constexpr int kAcrossRows = 1000;

struct TAcross {
  double Activation = 0, Work = 0, MemoryMb = 0;
  bool Shown = false;
};

// One activation: Rows domains added and shown, the program's private memory read, released.
bool OneAcross(int Rows, TAcross& R) {
  TActivatedZoneDialog d;
  const double t0 = bench::NowMs();
  if (FAILED(ActivateZoneDialog(d))) return false;
  const double t1 = bench::NowMs();
  d.Object->SetParentWindow(0);
  for (int i = 0; i < Rows; ++i) AddDomain(d.Object.Get(), Name(i), L"http://" + Name(i), 3, static_cast<ULONG>(i));
  d.Object->ShowDialog();
  VARIANT_BOOL done = VARIANT_TRUE;
  d.Object->DialogDone(&done);
  const double t2 = bench::NowMs();
  PROCESS_MEMORY_COUNTERS m{};
  m.cb = sizeof m;
  if (d.Process) GetProcessMemoryInfo(d.Process, &m, sizeof m);
  const double t3 = bench::NowMs();
  d.Object.Reset();
  if (d.Process) WaitForSingleObject(d.Process, 60000);
  const double t4 = bench::NowMs();
  R.Activation = t1 - t0;
  R.Work = (t2 - t1) + (t4 - t3);
  R.MemoryMb = static_cast<double>(m.PagefileUsage) / 1048576.0;
  R.Shown = done == VARIANT_FALSE;
  std::printf("%d rows: activation %.1f ms, added and shown %.1f ms (shown: %s), released %.1f ms, private memory "
              "%.1f MB\n",
              Rows, R.Activation, t2 - t1, R.Shown ? "yes" : "no", t4 - t3, R.MemoryMb);
  return true;
}

void AcrossProcesses(int Rounds) {
  const WideString program = ProgramBesideTest(L"VgtDialog.exe");
  if (RunAndWait(program, L"/regserver") != 0) {
    std::printf("registration failed\n");
    return;
  }
  std::vector<double> activation, work, memory, empty;
  for (int r = 0; r < Rounds; ++r) {
    TAcross none, full;
    if (!OneAcross(0, none) || !OneAcross(kAcrossRows, full)) {
      std::printf("activation failed\n");
      break;
    }
    activation.push_back(full.Activation);
    work.push_back(full.Work);
    memory.push_back(full.MemoryMb);
    empty.push_back(none.MemoryMb);
  }
  RunAndWait(program, L"/unregserver");
  if (work.empty()) return;
  bench::Figure("zone dialog: activation of VgtDialog.exe", bench::Median(activation));
  bench::Figure("zone dialog: 1,000 domains added, shown, released (beyond activation)", bench::Median(work));
  bench::Figure("zone dialog: VgtDialog.exe private memory, dialog with no rows", bench::Median(empty), "MB");
  bench::Figure("zone dialog: VgtDialog.exe private memory with 1,000 rows", bench::Median(memory), "MB",
                "zone dialog: VgtDialog.exe private memory, dialog with no rows");
  bench::Figure("zone dialog: private memory of 1,000 rows (beyond the dialog with none)",
                bench::Median(memory) - bench::Median(empty), "MB");
}

std::vector<int> RowSizes() {
  std::vector<int> sizes;
  const char* env = std::getenv("VGT_BENCH_ROWS");
  std::string list = env && *env ? env : "100,1000,5000";
  for (size_t at = 0; at < list.size();) {
    const size_t comma = list.find(',', at);
    const int n = std::atoi(list.substr(at, comma - at).c_str());
    if (n > 0) sizes.push_back(n);
    at = comma == std::string::npos ? list.size() : comma + 1;
  }
  return sizes;
}

// The processor time this process has used (user and kernel), in ms: unlike the wall clock, it
// leaves out the waits for the window server and for a loaded machine.
double CpuMs() {
  FILETIME created, ended, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user)) return 0;
  auto ms = [](const FILETIME& F) {
    return static_cast<double>((static_cast<unsigned long long>(F.dwHighDateTime) << 32) | F.dwLowDateTime) / 10000.0;
  };
  return ms(kernel) + ms(user);
}

std::string Thousands(int N) {
  const std::string digits = std::to_string(N);
  std::string s;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) s += ',';
    s += digits[i];
  }
  return s;
}

void InThisProcess() {
  Application->Initialize();
  UtxFormsStart();
  {  // Catalogs, classes and fonts loaded once, outside the figures.
    ComPtr<IZoneDialog> warm = NewZoneDialog();
    warm->SetParentWindow(0);
    AddDomain(warm.Get(), Name(0), L"http://" + Name(0), 3, 0);
    warm->ShowDialog();
    warm.Reset();
    Application->ProcessMessages();
  }
  int previous = 0;
  for (int rows : RowSizes()) {
    ComPtr<IZoneDialog> object = NewZoneDialog();
    object->SetParentWindow(0);
    const double c0 = CpuMs(), t0 = bench::NowMs();
    for (int i = 0; i < rows; ++i) AddDomain(object.Get(), Name(i), L"http://" + Name(i), 3, static_cast<ULONG>(i));
    const double tAdded = bench::NowMs(), cAdded = CpuMs();
    object->ShowDialog();
    const double tShown = bench::NowMs(), cShown = CpuMs();
    std::printf("%d rows: added %.1f ms (processor %.1f ms), shown %.1f ms (processor %.1f ms)\n", rows, tAdded - t0,
                cAdded - c0, tShown - tAdded, cShown - cAdded);
    const double t1 = bench::NowMs();
    object.Reset();
    Application->ProcessMessages();
    const double t2 = bench::NowMs(), c2 = CpuMs();
    std::printf("%d rows: built and shown %.1f ms (%.3f ms a row), freed %.1f ms (%.3f ms a row)\n", rows, t1 - t0,
                (t1 - t0) / rows, t2 - t1, (t2 - t1) / rows);
    const std::string n = Thousands(rows), p = Thousands(previous);
    bench::Figure(("rows: " + n + " built and shown").c_str(), t1 - t0, "ms",
                  previous ? ("rows: " + p + " built and shown").c_str() : nullptr);
    bench::Figure(("rows: " + n + " freed").c_str(), t2 - t1, "ms", previous ? ("rows: " + p + " freed").c_str() : nullptr);
    bench::Figure(("rows: " + n + ", cost a row (built, shown, freed)").c_str(), (t2 - t0) / rows, "ms",
                  previous ? ("rows: " + p + ", cost a row (built, shown, freed)").c_str() : nullptr);
    bench::Figure(("rows: " + n + ", processor time a row of this process").c_str(), (c2 - c0) / rows, "ms",
                  previous ? ("rows: " + p + ", processor time a row of this process").c_str() : nullptr);
    previous = rows;
  }
  UtxFormsStop();
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
  CoInitialize(nullptr);
  {
    TKeptSettings kept;
    if (!std::getenv("VGT_BENCH_ROWS_ONLY")) AcrossProcesses(rounds);
    InThisProcess();
  }
  CoUninitialize();
  return 0;
}
