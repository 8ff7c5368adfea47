// The whole road of one request: the page host plays the browser with Veilgate.dll loaded as it
// loads it, the button is pressed on the sample page with its frames, and the real zone dialog
// program, started through COM, shows one row per domain; closing the dialog ends the session and
// the dialog's process.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>

#include "tests/support/ComTestSupport.h"
#include "tests/support/ZoneDialogServerProcess.h"
#include "browserext/oVeilgate.h"
#include "common/trvRegistry.h"
#include "tests/browserext/PageHostFixture.h"

namespace {

constexpr DWORD kProcessEndTimeout = 20000;
constexpr UINT kTick = 20;
// Ticks without a dialog after which the dialog's process is ended, so the session fails (and
// the test with it) instead of waiting for ever.
constexpr int kGiveUpTicks = 1000;

// What the timer, which runs inside the session's pump, finds and does.
struct Watch {
  HWND Browser = nullptr;
  std::set<DWORD> Before;  // dialog processes running before the press
  HWND Dialog = nullptr;
  DWORD ProcessId = 0;
  HANDLE Process = nullptr;
  int Rows = -1;
  bool BrowserDisabledWhileShown = false;
  int Ticks = 0;
  bool GaveUp = false;
};
Watch* TheWatch = nullptr;

BOOL CALLBACK CountRadio(HWND child, LPARAM count) {
  wchar_t name[128] = {};
  GetClassNameW(child, name, 128);
  const LONG type = GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK;
  if (wcsstr(name, L"Button") && (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON))
    ++*reinterpret_cast<int*>(count);
  return TRUE;
}

BOOL CALLBACK FindDialog(HWND window, LPARAM) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == GetCurrentProcessId() || TheWatch->Before.count(pid)) return TRUE;
  if (GetWindow(window, GW_OWNER) != TheWatch->Browser || !IsWindowVisible(window)) return TRUE;
  TheWatch->Dialog = window;
  TheWatch->ProcessId = pid;
  return FALSE;
}

void CALLBACK OnTick(HWND, UINT, UINT_PTR timer, DWORD) {
  Watch& w = *TheWatch;
  ++w.Ticks;
  if (!w.Dialog) EnumWindows(FindDialog, 0);
  if (w.Dialog) {
    KillTimer(nullptr, timer);
    w.Process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, w.ProcessId);
    int radios = 0;
    EnumChildWindows(w.Dialog, CountRadio, reinterpret_cast<LPARAM>(&radios));
    w.Rows = radios / 3;  // Trusted, Internet and Restricted per row
    w.BrowserDisabledWhileShown = !IsWindowEnabled(w.Browser);
    PostMessageW(w.Dialog, WM_CLOSE, 0, 0);
  } else if (w.Ticks > kGiveUpTicks) {
    KillTimer(nullptr, timer);
    w.GaveUp = true;
    for (DWORD pid : VgtDialogProcesses())
      if (!w.Before.count(pid))
        if (HANDLE p = OpenProcess(PROCESS_TERMINATE, FALSE, pid)) {
          TerminateProcess(p, 1);
          CloseHandle(p);
        }
  }
}

class EndToEnd : public PageHostFixture {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(RunAndWait(ProgramBesideTest(L"VgtDialog.exe"), L"/regserver"), 0u);
  }
  static void TearDownTestSuite() { RunAndWait(ProgramBesideTest(L"VgtDialog.exe"), L"/unregserver"); }
};

TEST_F(EndToEnd, PressShowsOneRowPerDomainAndClosingEndsTheSessionAndTheDialog) {
  LoadSamples();
  const WideString library = ProgramBesideTest(L"Veilgate.dll");
  ASSERT_EQ(HostOf().AddObserver(CLSID_vgtBrowserObserver, library), S_OK);
  ASSERT_EQ(HostOf().AddButton(CLSID_vgtToolbutton, library), S_OK);
  HostOf().Navigate(L"http://www.dailyherald.example/");

  Watch watch;
  watch.Browser = HostOf().WindowHandle();
  watch.Before = VgtDialogProcesses();
  TheWatch = &watch;
  // WM_TIMER reaches the callback through the session's one-message pump.
  ASSERT_NE(SetTimer(nullptr, 0, kTick, OnTick), 0u);
  HostOf().PressButton();  // returns when the session has ended
  TheWatch = nullptr;

  ASSERT_FALSE(watch.GaveUp) << "no dialog owned by the browser window appeared";
  ASSERT_NE(watch.Dialog, nullptr);
  // www, static (BASE and frame), adnet, social, secure, docstore, trackers; one fewer with
  // sub-domains reduced, where www and static are one.
  const bool highlevel = ReadRegistryBoolean(ProductRegistryKey, ProductHighlevelValue, false);
  EXPECT_EQ(watch.Rows, highlevel ? 6 : 7);
  EXPECT_TRUE(watch.BrowserDisabledWhileShown);
  EXPECT_NE(IsWindowEnabled(HostOf().WindowHandle()), FALSE) << "enabled again after the close";
  ASSERT_NE(watch.Process, nullptr);
  EXPECT_EQ(WaitForSingleObject(watch.Process, kProcessEndTimeout), WAIT_OBJECT_0)
      << "the dialog's process ends once the session lets go";
  CloseHandle(watch.Process);
  HostOf().Close();
}

}  // namespace
