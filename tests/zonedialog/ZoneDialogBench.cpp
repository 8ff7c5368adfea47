// Figures of the zone dialog (built, not run by the suite), across processes as a client sees them:
// COM starting VgtDialog.exe (activation), then what the user waits for at 10, 100, 1,000 and
// 5,000 domains, phase by phase: the AddDomain calls, ShowDialog, the time from ShowDialog's return
// until the dialog answers a sent message (WM_NULL through SendMessageTimeout) and until it has
// painted, and the release until the process has ended; once it has painted, how long it takes
// to answer while messages keep coming (each message is followed by the program's idle work,
// which a user moving the mouse over the dialog waits for). Each size's figures stand
// against the size before (rows that cost the same each show as ratios of 10 and 5); beside them
// the processor time of the program, and its private memory with 1,000 rows against none.
// Usage: ZoneDialogBench   (VGT_BENCH_ROWS=100,1000 limits the sizes)
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/BenchFigures.h"
#include "tests/support/ComTestSupport.h"
#include "tests/support/ZoneDialogServerProcess.h"
#include "ZoneDialogTestSupport.h"

namespace {

WideString Name(int I) { return L"bench" + std::to_wstring(I) + L".vgt-zd-bench.example"; }

// A dialog that has not answered by then counts as not answering at all.
constexpr UINT kAnswerTimeoutMs = 120000;
// Messages sent one after the other once the dialog has painted.
constexpr int kStreamRounds = 50;

std::string Thousands(int N) {
  const std::string digits = std::to_string(N);
  std::string s;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) s += ',';
    s += digits[i];
  }
  return s;
}

// The processor time a process has used (user and kernel), in ms: unlike the wall clock, it
// leaves out the waits for the window server and for a loaded machine.
double CpuMs(HANDLE Process) {
  FILETIME created, ended, kernel, user;
  if (!Process || !GetProcessTimes(Process, &created, &ended, &kernel, &user)) return 0;
  auto ms = [](const FILETIME& F) {
    return static_cast<double>((static_cast<unsigned long long>(F.dwHighDateTime) << 32) | F.dwLowDateTime) / 10000.0;
  };
  return ms(kernel) + ms(user);
}

struct TWindowSearch {
  DWORD Pid;
  HWND Found;
};

BOOL CALLBACK FindVisibleWindow(HWND Wnd, LPARAM Param) {
  auto* s = reinterpret_cast<TWindowSearch*>(Param);
  DWORD pid = 0;
  GetWindowThreadProcessId(Wnd, &pid);
  if (pid != s->Pid || !IsWindowVisible(Wnd)) return TRUE;
  s->Found = Wnd;
  return FALSE;
}

// The visible top-level window of the process: the dialog (the program's own window stays hidden).
HWND VisibleWindowOf(DWORD ProcessId) {
  TWindowSearch search{ProcessId, nullptr};
  EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

struct TPhases {
  double Activation = 0, Adding = 0, Showing = 0, Answer = 0, Painted = 0, StreamAnswer = 0, Release = 0;
  double MemoryMb = 0;
  double CpuAdding = 0, CpuShowing = 0, CpuAnswer = 0;
  bool Answered = false;
};

// One activation with Rows domains, every phase timed. False when the program could not be used.
bool OneDialog(int Rows, TPhases& R) {
  TActivatedZoneDialog d;
  const double t0 = bench::NowMs();
  if (FAILED(ActivateZoneDialog(d)) || !d.Process) return false;
  R.Activation = bench::NowMs() - t0;
  if (FAILED(d.Object->SetParentWindow(0))) return false;
  const double c0 = CpuMs(d.Process), t1 = bench::NowMs();
  for (int i = 0; i < Rows; ++i)
    if (FAILED(AddDomain(d.Object.Get(), Name(i), L"http://" + Name(i), 3, static_cast<ULONG>(i)))) return false;
  const double c1 = CpuMs(d.Process), t2 = bench::NowMs();
  if (FAILED(d.Object->ShowDialog())) return false;
  const double c2 = CpuMs(d.Process), t3 = bench::NowMs();
  const HWND dialog = VisibleWindowOf(d.ProcessId);
  DWORD_PTR unused = 0;
  R.Answered = dialog && SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerTimeoutMs, &unused) != 0;
  const double c3 = CpuMs(d.Process), t4 = bench::NowMs();
  double t5 = t4;
  if (R.Answered) {
    // Paints whatever is still waiting, in the dialog's own thread: back once nothing is.
    RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    t5 = bench::NowMs();
    // Messages that keep coming (the mouse over the dialog): after each the queue has run dry,
    // and the program does its idle work before it takes the next.
    const double s0 = bench::NowMs();
    for (int i = 0; i < kStreamRounds; ++i)
      if (!SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerTimeoutMs, &unused)) break;
    R.StreamAnswer = (bench::NowMs() - s0) / kStreamRounds;
    PROCESS_MEMORY_COUNTERS m{};
    m.cb = sizeof m;
    if (GetProcessMemoryInfo(d.Process, &m, sizeof m)) R.MemoryMb = static_cast<double>(m.PagefileUsage) / 1048576.0;
  } else if (HANDLE kill = OpenProcess(PROCESS_TERMINATE, FALSE, d.ProcessId)) {
    // A program that does not answer would not answer the release either.
    TerminateProcess(kill, 1);
    CloseHandle(kill);
  }
  const double t6 = bench::NowMs();
  d.Object.Reset();
  WaitForSingleObject(d.Process, 60000);
  const double t7 = bench::NowMs();
  R.Adding = t2 - t1;
  R.Showing = t3 - t2;
  R.Answer = t4 - t3;
  R.Painted = t5 - t3;
  R.Release = t7 - t6;
  R.CpuAdding = c1 - c0;
  R.CpuShowing = c2 - c1;
  R.CpuAnswer = c3 - c2;
  if (R.Answered)
    std::printf("%d rows: activation %.1f ms, adding %.1f ms, showing %.1f ms, first answer %.1f ms after show, "
                "painted %.1f ms after show, an answer while messages keep coming %.2f ms, release %.1f ms; processor "
                "time of the program: adding %.1f ms, showing %.1f ms, until the answer %.1f ms\n",
                Rows, R.Activation, R.Adding, R.Showing, R.Answer, R.Painted, R.StreamAnswer, R.Release, R.CpuAdding,
                R.CpuShowing, R.CpuAnswer);
  else
    std::printf("%d rows: activation %.1f ms, adding %.1f ms, showing %.1f ms, no answer within %u s\n", Rows,
                R.Activation, R.Adding, R.Showing, kAnswerTimeoutMs / 1000);
  std::fflush(stdout);
  return true;
}

std::vector<int> RowSizes() {
  std::vector<int> sizes;
  const char* env = std::getenv("VGT_BENCH_ROWS");
  std::string list = env && *env ? env : "10,100,1000,5000";
  for (size_t at = 0; at < list.size();) {
    const size_t comma = list.find(',', at);
    const int n = std::atoi(list.substr(at, comma - at).c_str());
    if (n > 0) sizes.push_back(n);
    at = comma == std::string::npos ? list.size() : comma + 1;
  }
  return sizes;
}

void Rows() {
  const WideString program = ProgramBesideTest(L"VgtDialog.exe");
  if (RunAndWait(program, L"/regserver") != 0) {
    std::printf("registration failed\n");
    return;
  }
  TPhases none;
  if (!OneDialog(0, none)) {
    std::printf("activation failed\n");
    RunAndWait(program, L"/unregserver");
    return;
  }
  bench::Figure("zone dialog: activation of VgtDialog.exe", none.Activation);
  bench::Figure("zone dialog: VgtDialog.exe private memory, dialog with no rows", none.MemoryMb, "MB");
  int previous = 0;
  for (int rows : RowSizes()) {
    TPhases r;
    if (!OneDialog(rows, r)) {
      std::printf("%d rows: a call failed\n", rows);
      break;
    }
    const std::string n = "rows: " + Thousands(rows), p = "rows: " + Thousands(previous);
    auto figure = [&](const std::string& What, double Value, const char* Unit = "ms") {
      bench::Figure((n + What).c_str(), Value, Unit, previous ? (p + What).c_str() : nullptr);
    };
    figure(", adding (the AddDomain calls)", r.Adding);
    figure(", showing (ShowDialog)", r.Showing);
    if (!r.Answered) {
      std::printf("%s: no answer, no further figures\n", n.c_str());
      break;
    }
    figure(", first answer after ShowDialog returned", r.Answer);
    figure(", painted after ShowDialog returned", r.Painted);
    figure(", whole wait (first AddDomain to an answering, painted dialog)", r.Adding + r.Showing + r.Painted);
    figure(", an answer while messages keep coming (each)", r.StreamAnswer);
    figure(", release until the program ended", r.Release);
    figure(", processor time of the program until its first answer", r.CpuAdding + r.CpuShowing + r.CpuAnswer);
    if (rows == 1000) {
      bench::Figure("zone dialog: VgtDialog.exe private memory with 1,000 rows", r.MemoryMb, "MB",
                    "zone dialog: VgtDialog.exe private memory, dialog with no rows");
      bench::Figure("zone dialog: private memory of 1,000 rows (beyond the dialog with none)",
                    r.MemoryMb - none.MemoryMb, "MB");
    }
    previous = rows;
  }
  RunAndWait(program, L"/unregserver");
}

}  // namespace

int main() {
  CoInitialize(nullptr);
  {
    TKeptSettings kept;
    Rows();
  }
  CoUninitialize();
  return 0;
}
