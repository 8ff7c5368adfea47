// Prints what the zone dialog costs (built, not run by the suite):
//  1. across processes: CoCreateInstance (COM starting VgtDialog.exe) apart from our own work of
//     SetParentWindow, 200 AddDomain calls and ShowDialog until the dialog is up;
//  2. in this process: building 10, 100 and 1,000 rows.
// Usage: ZoneDialogBench [rounds]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../comserver/ComTestSupport.h"
#include "ZoneDialogServerProcess.h"
#include "ZoneDialogTestSupport.h"
#include "unicode/UtxForms.h"

namespace {

LARGE_INTEGER Now() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t;
}

double Ms(LARGE_INTEGER A, LARGE_INTEGER B) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return 1000.0 * double(B.QuadPart - A.QuadPart) / double(f.QuadPart);
}

WideString Name(int I) { return L"bench" + std::to_wstring(I) + L".vgt-zd-bench.example"; }

void AcrossProcesses(int Rounds) {
  const WideString program = ProgramBesideTest(L"VgtDialog.exe");
  if (RunAndWait(program, L"/regserver") != 0) {
    std::printf("registration failed\n");
    return;
  }
  double activation = 0, work = 0;
  for (int r = 0; r < Rounds; ++r) {
    TActivatedZoneDialog d;
    const LARGE_INTEGER t0 = Now();
    if (FAILED(ActivateZoneDialog(d))) {
      std::printf("activation failed\n");
      break;
    }
    const LARGE_INTEGER t1 = Now();
    d.Object->SetParentWindow(0);
    for (int i = 0; i < 200; ++i) AddDomain(d.Object.Get(), Name(i), L"http://" + Name(i), 3, static_cast<ULONG>(i));
    d.Object->ShowDialog();
    VARIANT_BOOL done = VARIANT_TRUE;
    d.Object->DialogDone(&done);
    const LARGE_INTEGER t2 = Now();
    d.Object.Reset();
    if (d.Process) WaitForSingleObject(d.Process, 30000);
    activation += Ms(t0, t1);
    work += Ms(t1, t2);
    std::printf("round %d: activation %.1f ms, 200 rows shown %.1f ms (shown: %s)\n", r + 1, Ms(t0, t1), Ms(t1, t2),
                done == VARIANT_FALSE ? "yes" : "no");
  }
  std::printf("mean of %d: activation %.1f ms, our work %.1f ms\n", Rounds, activation / Rounds, work / Rounds);
  RunAndWait(program, L"/unregserver");
}

void InThisProcess() {
  Application->Initialize();
  UtxFormsStart();
  for (int rows : {10, 100, 1000}) {
    ComPtr<IZoneDialog> object = NewZoneDialog();
    object->SetParentWindow(0);
    const LARGE_INTEGER t0 = Now();
    for (int i = 0; i < rows; ++i) AddDomain(object.Get(), Name(i), L"http://" + Name(i), 3, static_cast<ULONG>(i));
    object->ShowDialog();
    const LARGE_INTEGER t1 = Now();
    std::printf("%d rows: %.1f ms (%.3f ms a row)\n", rows, Ms(t0, t1), Ms(t0, t1) / rows);
    object.Reset();
    Application->ProcessMessages();
  }
  UtxFormsStop();
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  CoInitialize(nullptr);
  {
    TKeptSettings kept;
    AcrossProcesses(rounds);
    InThisProcess();
  }
  CoUninitialize();
  return 0;
}
