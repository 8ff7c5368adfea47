// WindowShot /owner <window class> /out <png file> [/timeout <seconds>] [/close]
//
// Waits for a visible window of another process owned by a window of the given class (the zone
// dialog over the page host's browser window), saves a picture of it once its program is idle,
// and prints its caption and the texts of its windowed controls. With /close it then closes the
// window, waits for its program to end, and closes the owner as well.
// Exit codes: 0 done, 1 bad command line, 2 no such window in time, 3 the picture failed.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/TextConversion.h"
#include "tools/winshot/Screenshot.h"

namespace {

void Print(const std::wstring& Text) {
  // The console's code page may not hold every character of a caption: write UTF-8.
  const std::string Bytes = WideToCodePage(Text, CP_UTF8);
  std::fwrite(Bytes.data(), 1, Bytes.size(), stdout);
  std::fflush(stdout);
}

std::wstring WindowText(HWND Window) {
  wchar_t Buffer[512] = {};
  // A hung program must not hang us: ask with a time limit.
  DWORD_PTR Length = 0;
  if (!SendMessageTimeoutW(Window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(Buffer),
                           SMTO_ABORTIFHUNG, 2000, &Length))
    return L"";
  return std::wstring(Buffer, Length);
}

struct TSearch {
  std::wstring OwnerClass;
  HWND Found = nullptr;
};

BOOL CALLBACK FindOwnedWindow(HWND Window, LPARAM Param) {
  auto* Search = reinterpret_cast<TSearch*>(Param);
  HWND Owner = GetWindow(Window, GW_OWNER);
  if (!Owner || !IsWindowVisible(Window)) return TRUE;
  wchar_t Class[128] = {};
  GetClassNameW(Owner, Class, 128);
  DWORD WindowProcess = 0, OwnerProcess = 0;
  GetWindowThreadProcessId(Window, &WindowProcess);
  GetWindowThreadProcessId(Owner, &OwnerProcess);
  if (Search->OwnerClass == Class && WindowProcess != OwnerProcess) {
    Search->Found = Window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK PrintChild(HWND Child, LPARAM) {
  if (!IsWindowVisible(Child)) return TRUE;
  const std::wstring Text = WindowText(Child);
  if (Text.empty()) return TRUE;
  wchar_t Class[64] = {};
  GetClassNameW(Child, Class, 64);
  std::wstring Line = L"  " + Text;
  // Radio buttons and check boxes tell whether they are chosen.
  DWORD_PTR Check = 0;
  if (std::wstring(Class).find(L"BUTTON") != std::wstring::npos ||
      std::wstring(Class).find(L"Button") != std::wstring::npos) {
    if (SendMessageTimeoutW(Child, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &Check) &&
        Check == BST_CHECKED)
      Line += L"  [chosen]";
  }
  Print(Line + L"\n");
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  TSearch Search;
  std::wstring Out;
  DWORD TimeoutMs = 60000;
  bool Close = false;
  for (int i = 1; i < argc; ++i) {
    const std::wstring Arg = argv[i];
    const bool HasValue = i + 1 < argc;
    if (Arg == L"/owner" && HasValue) Search.OwnerClass = argv[++i];
    else if (Arg == L"/out" && HasValue) Out = argv[++i];
    else if (Arg == L"/timeout" && HasValue) TimeoutMs = static_cast<DWORD>(_wtoi(argv[++i])) * 1000;
    else if (Arg == L"/close") Close = true;
    else {
      Print(L"usage: WindowShot /owner <window class> /out <png file> [/timeout <s>] [/close]\n");
      return 1;
    }
  }
  if (Search.OwnerClass.empty() || Out.empty()) {
    Print(L"WindowShot: /owner and /out are needed\n");
    return 1;
  }

  // Another program's window: nothing to wait on but its appearance, so look again and again.
  const DWORD Start = GetTickCount();
  while (!Search.Found) {
    EnumWindows(FindOwnedWindow, reinterpret_cast<LPARAM>(&Search));
    if (Search.Found) break;
    if (GetTickCount() - Start > TimeoutMs) {
      Print(L"WindowShot: no window over a " + Search.OwnerClass + L" window appeared\n");
      return 2;
    }
    Sleep(100);
  }
  HWND Window = Search.Found;
  DWORD ProcessId = 0;
  GetWindowThreadProcessId(Window, &ProcessId);
  HANDLE Process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, ProcessId);
  // Idle once it has built and painted what it shows.
  if (Process) WaitForInputIdle(Process, 10000);
  RedrawWindow(Window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  if (Process) WaitForInputIdle(Process, 10000);

  Print(L"window: " + WindowText(Window) + L"\n");
  EnumChildWindows(Window, PrintChild, 0);
  const bool Saved = SaveWindowPng(Window, Out);
  Print(Saved ? L"picture: " + Out + L"\n" : L"WindowShot: the picture could not be saved\n");

  if (Close) {
    HWND Owner = GetWindow(Window, GW_OWNER);
    PostMessageW(Window, WM_CLOSE, 0, 0);
    // The dialog's program ends once its client lets the object go; then the browser may close.
    if (Process) WaitForSingleObject(Process, 30000);
    if (Owner) PostMessageW(Owner, WM_CLOSE, 0, 0);
  }
  if (Process) CloseHandle(Process);
  return Saved ? 0 : 3;
}
