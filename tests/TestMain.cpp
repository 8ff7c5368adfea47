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
// starts inherit the desktop.
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
    if (RegCreateKeyExW(HKEY_CURRENT_USER, DesktopSizesKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &FSizes, nullptr) != ERROR_SUCCESS)
      FSizes = nullptr;
    // Wine starts a desktop's own process when the desktop's first window is made and gives it ten
    // seconds; on a loaded machine it may not be ready by then, and the desktop then makes no
    // windows at all. The thread has no window yet, so it can move to a fresh desktop and try again.
    for (int Attempt = 1; Attempt <= 3; ++Attempt) {
      if (MakeDesktop(Attempt) && DesktopMakesWindows()) return;
      std::fprintf(stderr, "test main: desktop %ls makes no windows (error %lu)\n", FName,
                   GetLastError());
    }
  }
  ~TOwnDesktop() {
    if (FSizes) {
      for (const std::wstring& Name : FNames) RegDeleteValueW(FSizes, Name.c_str());
      RegCloseKey(FSizes);
    }
  }
  TOwnDesktop(const TOwnDesktop&) = delete;
  TOwnDesktop& operator=(const TOwnDesktop&) = delete;

 private:
  bool MakeDesktop(int Attempt) {
    // Process ids come again in repeated runs, and a desktop lives on while its desktop process
    // does, bound to the X display of the program that made it: the name is never used twice.
    LARGE_INTEGER Now{};
    QueryPerformanceCounter(&Now);
    swprintf(FName, sizeof FName / sizeof *FName, L"vgt-test-%lu-%llx-%d", GetCurrentProcessId(),
             static_cast<unsigned long long>(Now.QuadPart), Attempt);
    FNames.emplace_back(FName);
    if (FSizes) {
      static const wchar_t Size[] = L"1280x1024";
      RegSetValueExW(FSizes, FName, 0, REG_SZ, reinterpret_cast<const BYTE*>(Size), sizeof Size);
    }
    // Desktops given up on stay open: their windows, if any came late, belong to them.
    HDESK Desktop = CreateDesktopW(FName, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    return Desktop && SetThreadDesktop(Desktop);
  }

  static bool DesktopMakesWindows() {
    HWND Probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 nullptr, nullptr);
    if (!Probe) return false;
    DestroyWindow(Probe);
    return true;
  }

  static constexpr const wchar_t* DesktopSizesKey = L"Software\\Wine\\Explorer\\Desktops";
  wchar_t FName[80] = {};
  std::vector<std::wstring> FNames;
  HKEY FSizes = nullptr;
};

}  // namespace

// The image's thread callbacks run for every thread of the process, also those that system
// libraries start.
extern "C" __attribute__((section(".CRT$XLV"), used))
const PIMAGE_TLS_CALLBACK VgtTestThreadNotification = OnThreadNotification;

int main(int argc, char** argv) {
  InitializeCriticalSection(&StartedLock);
  ThreadStarted = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  StartedThreads = new std::vector<DWORD>();
  const TOwnDesktop Desktop;
  testing::InitGoogleTest(&argc, argv);
  const int Result = RUN_ALL_TESTS();
  WaitForStartingThreads();
  return Result;
}
