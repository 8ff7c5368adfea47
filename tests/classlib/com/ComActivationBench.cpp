// Prints what one activation of the bare test server costs: creation through COM (a new
// process), the first call, and the release until the process has ended.
#include <cstdio>
#include <vector>

#include "ComTestServer_h.h"
#include "tests/support/ComTestSupport.h"
#include "classlib/ComObj.h"
#include "tests/support/BenchFigures.h"

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
  CoInitialize(nullptr);
  if (RunAndWait(TestServerPath(), L"/regserver") != 0) {
    std::printf("registration failed\n");
    return 1;
  }
  LARGE_INTEGER freq;
  QueryPerformanceFrequency(&freq);
  auto ms = [&](LARGE_INTEGER a, LARGE_INTEGER b) { return 1000.0 * double(b.QuadPart - a.QuadPart) / double(freq.QuadPart); };
  double create = 0, call = 0, end = 0;
  for (int i = 0; i < rounds; ++i) {
    LARGE_INTEGER t0, t1, t2, t3;
    QueryPerformanceCounter(&t0);
    ComPtr<ITestObject> object;
    if (FAILED(CoCreateInstance(CLSID_TestObject, nullptr, CLSCTX_LOCAL_SERVER, IID_ITestObject, &object))) {
      std::printf("activation failed\n");
      break;
    }
    QueryPerformanceCounter(&t1);
    LONG pid = 0;
    object->ProcessId(&pid);
    QueryPerformanceCounter(&t2);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    object.Reset();
    if (process) {
      WaitForSingleObject(process, 30000);
      CloseHandle(process);
    }
    QueryPerformanceCounter(&t3);
    create += ms(t0, t1);
    call += ms(t1, t2);
    end += ms(t2, t3);
    std::printf("round %d: create %.1f ms, first call %.2f ms, release to process end %.1f ms\n", i + 1, ms(t0, t1),
                ms(t1, t2), ms(t2, t3));
  }
  bench::Figure("COM activation of a bare local server", create / rounds);
  bench::Figure("COM release of a bare local server to its end", end / rounds);
  std::printf("mean of %d: create %.1f ms, first call %.2f ms, release to process end %.1f ms\n", rounds,
              create / rounds, call / rounds, end / rounds);
  RunAndWait(TestServerPath(), L"/unregserver");
  CoUninitialize();
  return 0;
}
