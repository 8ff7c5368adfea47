// The main function of every test program.
//
// Wine ends a process by sending a signal to each of its other threads. A thread that has been
// created but has not yet finished its start-up inside Wine has no C library segment register on
// record, and the signal handler then faults inside itself: the Linux process dies with SIGSEGV
// after every test has passed. GoogleTest starts such a thread lazily (the watcher behind its
// thread-local values, first used by SCOPED_TRACE), and on a loaded machine the thread may still be
// starting when the last test returns a few milliseconds later.
//
// So no test program ends while one of its threads is still starting: the program records each
// thread that has reached its attach notification (Wine sends it only after start-up) and, before
// it returns, waits until every thread of the process that the system lists has been recorded.
//
// Every test program also runs on a desktop of its own. Foreground and focus belong to a desktop,
// so on a shared one the test programs that CTest runs side by side take activation from one
// another. A named desktop with a size on record becomes a virtual desktop of its own under Wine,
// which also keeps the X focus of other programs' windows from reaching ours. Processes the program
// starts inherit the desktop. Wine starts the desktop's own process when the first window is made;
// on a heavily loaded machine that start can fail, which leaves the program without a window
// driver for good ("no driver could be loaded"), so the program then runs again as a fresh process.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

CRITICAL_SECTION StartedLock;
std::vector<DWORD>* StartedThreads = nullptr;  // made before the first thread, never freed
HANDLE ThreadStarted = nullptr;

void NTAPI OnThreadNotification(PVOID, DWORD Reason, PVOID) {
  if (Reason != DLL_THREAD_ATTACH || !StartedThreads) return;
  EnterCriticalSection(&StartedLock);
  StartedThreads->push_back(GetCurrentThreadId());
  LeaveCriticalSection(&StartedLock);
  SetEvent(ThreadStarted);
}

bool HasStarted(DWORD ThreadId) {
  EnterCriticalSection(&StartedLock);
  const bool Found =
      std::find(StartedThreads->begin(), StartedThreads->end(), ThreadId) != StartedThreads->end();
  LeaveCriticalSection(&StartedLock);
  return Found;
}

// Threads of this process, other than the calling one, that have not finished starting.
int ThreadsStillStarting() {
  HANDLE Snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (Snapshot == INVALID_HANDLE_VALUE) return 0;
  int Starting = 0;
  THREADENTRY32 Entry{};
  Entry.dwSize = sizeof Entry;
  for (BOOL More = Thread32First(Snapshot, &Entry); More; More = Thread32Next(Snapshot, &Entry)) {
    if (Entry.th32OwnerProcessID == GetCurrentProcessId() &&
        Entry.th32ThreadID != GetCurrentThreadId() && !HasStarted(Entry.th32ThreadID))
      ++Starting;
    Entry.dwSize = sizeof Entry;
  }
  CloseHandle(Snapshot);
  return Starting;
}

void WaitForStartingThreads() {
  // A thread that never finishes starting would be a fault of its own; do not hang on it.
  const DWORD Limit = GetTickCount() + 20000;
  while (ThreadsStillStarting() > 0) {
    const DWORD Now = GetTickCount();
    if (static_cast<LONG>(Limit - Now) <= 0) {
      std::fprintf(stderr, "test main: a thread did not finish starting\n");
      return;
    }
    WaitForSingleObject(ThreadStarted, 50);
  }
}

// The desktop of this test program; its size entry goes again when the program ends.
class TOwnDesktop {
 public:
  TOwnDesktop() {
    // Process ids come again in repeated runs, and a desktop lives on while its desktop process
    // does, bound to the X display of the program that made it: the name is never used twice.
    LARGE_INTEGER Now{};
    QueryPerformanceCounter(&Now);
    swprintf(FName, sizeof FName / sizeof *FName, L"vgt-test-%lu-%llx", GetCurrentProcessId(),
             static_cast<unsigned long long>(Now.QuadPart));
    if (RegCreateKeyExW(HKEY_CURRENT_USER, DesktopSizesKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &FSizes, nullptr) != ERROR_SUCCESS)
      FSizes = nullptr;
    if (FSizes) {
      static const wchar_t Size[] = L"1280x1024";
      RegSetValueExW(FSizes, FName, 0, REG_SZ, reinterpret_cast<const BYTE*>(Size), sizeof Size);
    }
    HDESK Desktop = CreateDesktopW(FName, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    FWorks = Desktop && SetThreadDesktop(Desktop) && DesktopMakesWindows();
  }
  ~TOwnDesktop() {
    if (FSizes) {
      RegDeleteValueW(FSizes, FName);
      RegCloseKey(FSizes);
    }
  }
  TOwnDesktop(const TOwnDesktop&) = delete;
  TOwnDesktop& operator=(const TOwnDesktop&) = delete;

  // Whether windows can be made. Wine starts a desktop's own process when the desktop's first
  // window is made; when that process fails to start (seen on a heavily loaded machine), the
  // program is left without a window driver for the rest of its life.
  bool Works() const { return FWorks; }
  const wchar_t* Name() const { return FName; }

 private:
  static bool DesktopMakesWindows() {
    HWND Probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 nullptr, nullptr);
    if (!Probe) return false;
    DestroyWindow(Probe);
    return true;
  }

  static constexpr const wchar_t* DesktopSizesKey = L"Software\\Wine\\Explorer\\Desktops";
  wchar_t FName[64] = {};
  HKEY FSizes = nullptr;
  bool FWorks = false;
};

// Runs this program again as a fresh process with the same command line and standard handles,
// and answers its exit code; -1 when it cannot, or after two such runs in a row.
int RunAgainInAFreshProcess() {
  wchar_t Count[16] = {};
  const int Runs = GetEnvironmentVariableW(L"VGT_TEST_FRESH_RUNS", Count, 16) ? _wtoi(Count) : 0;
  if (Runs >= 2) return -1;
  SetEnvironmentVariableW(L"VGT_TEST_FRESH_RUNS", std::to_wstring(Runs + 1).c_str());
  STARTUPINFOW Startup{};
  Startup.cb = sizeof Startup;
  Startup.dwFlags = STARTF_USESTDHANDLES;
  Startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  Startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  Startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION Child{};
  std::wstring CommandLine = GetCommandLineW();
  if (!CreateProcessW(nullptr, CommandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &Startup, &Child))
    return -1;
  CloseHandle(Child.hThread);
  WaitForSingleObject(Child.hProcess, INFINITE);
  DWORD ExitCode = 1;
  GetExitCodeProcess(Child.hProcess, &ExitCode);
  CloseHandle(Child.hProcess);
  return static_cast<int>(ExitCode);
}

}  // namespace

// The image's thread callbacks run for every thread of the process, also those that system
// libraries start.
extern "C" __attribute__((section(".CRT$XLV"), used))
const PIMAGE_TLS_CALLBACK VgtTestThreadNotification = OnThreadNotification;

// Where the harness wants the result once the tests are done (tools/ondisplay.sh); read once and
// taken out of the environment, so programs this one starts do not answer for it.
std::wstring TakeResultFile() {
  wchar_t Path[MAX_PATH] = {};
  const DWORD Length = GetEnvironmentVariableW(L"VGT_TEST_RESULT_FILE", Path, MAX_PATH);
  SetEnvironmentVariableW(L"VGT_TEST_RESULT_FILE", nullptr);
  return Length > 0 && Length < MAX_PATH ? std::wstring(Path, Length) : std::wstring();
}

void TellResult(const std::wstring& ResultFile, int Result) {
  if (ResultFile.empty()) return;
  if (FILE* File = _wfopen(ResultFile.c_str(), L"w")) {
    std::fprintf(File, "%d\n", Result);
    std::fclose(File);
  }
}

int main(int argc, char** argv) {
  const std::wstring ResultFile = TakeResultFile();
  InitializeCriticalSection(&StartedLock);
  ThreadStarted = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  StartedThreads = new std::vector<DWORD>();
  const TOwnDesktop Desktop;
  if (!Desktop.Works()) {
    std::fprintf(stderr, "test main: desktop %ls makes no windows; running again\n",
                 Desktop.Name());
    const int Result = RunAgainInAFreshProcess();
    if (Result != -1) {
      TellResult(ResultFile, Result);
      return Result;
    }
  }
  testing::InitGoogleTest(&argc, argv);
  const int Result = RUN_ALL_TESTS();
  WaitForStartingThreads();
  std::fflush(stdout);
  std::fflush(stderr);
  TellResult(ResultFile, Result);
  // A program whose test checks what happens at a program's normal end asks for one.
  if (GetEnvironmentVariableW(L"VGT_TEST_NORMAL_EXIT", nullptr, 0)) return Result;
  // Otherwise the program ends without the libraries' detach work: under the full suite's load a
  // test program was seen to hang in it now and then after all its tests had passed.
  std::fflush(stdout);
  std::fflush(stderr);
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(Result));
  return Result;
}
