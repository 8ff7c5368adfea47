// What window tests share: the application started once, messages pumped until something has
// happened, and a plain window to centre over.
#pragma once

#include <windows.h>

#include <cwchar>
#include <functional>

#include "classlib/Forms.h"
#include "unicode/UtxForms.h"

// Runs the thread's messages until Done is true; false when it is not after TimeoutMs (a bound
// for a broken build, not a wait: the loop wakes on every message).
inline bool PumpMessagesUntil(const std::function<bool()>& Done, DWORD TimeoutMs = 10000) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (Done()) return true;
    const DWORD spent = GetTickCount() - start;
    if (spent >= TimeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, TimeoutMs - spent, QS_ALLINPUT);
  }
}

// An Arial font of Height (negative: character height in pixels) in the system's character set.
inline LOGFONTW ArialLogFont(int Height) {
  LOGFONTW lf{};
  lf.lfHeight = Height;
  lf.lfCharSet = DEFAULT_CHARSET;
  wcscpy(lf.lfFaceName, L"Arial");
  return lf;
}

// The class library's application and the Unicode layer for the life of a test.
class TStartedApplication {
 public:
  TStartedApplication() {
    Application->Initialize();
    UtxFormsStart();
  }
  ~TStartedApplication() {
    Application->ProcessMessages();
    UtxFormsStop();
  }
  TStartedApplication(const TStartedApplication&) = delete;
  TStartedApplication& operator=(const TStartedApplication&) = delete;
};

// A hidden top-level window of the platform's own (no class-library control), destroyed with the
// object unless destroyed before.
class TPlainWindow {
 public:
  explicit TPlainWindow(const RECT& R)
      : FWnd(CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, R.left, R.top, R.right - R.left,
                             R.bottom - R.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr)) {}
  ~TPlainWindow() { Destroy(); }
  TPlainWindow(const TPlainWindow&) = delete;
  TPlainWindow& operator=(const TPlainWindow&) = delete;
  HWND Handle() const { return FWnd; }
  void Destroy() {
    if (FWnd) DestroyWindow(FWnd);
    FWnd = nullptr;
  }

 private:
  HWND FWnd;
};
