// Tunewright.exe itself: started with arguments (which it ignores) it shows its window on the
// intro page, and closing the window ends the program.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

struct TFoundWindow {
  DWORD Process;
  HWND Window = nullptr;
};

BOOL CALLBACK FindMainWindow(HWND Wnd, LPARAM Param) {
  auto* found = reinterpret_cast<TFoundWindow*>(Param);
  DWORD pid = 0;
  GetWindowThreadProcessId(Wnd, &pid);
  wchar_t title[128] = {};
  GetWindowTextW(Wnd, title, 128);
  if (pid == found->Process && IsWindowVisible(Wnd) && std::wstring(title) == L"Veilgate - Tunewright") {
    found->Window = Wnd;
    return FALSE;
  }
  return TRUE;
}

struct TFoundChild {
  std::wstring Text;
  HWND Window = nullptr;
};

BOOL CALLBACK FindChild(HWND Wnd, LPARAM Param) {
  auto* found = reinterpret_cast<TFoundChild*>(Param);
  wchar_t text[256] = {};
  GetWindowTextW(Wnd, text, 256);
  if (found->Text == text) {
    found->Window = Wnd;
    return FALSE;
  }
  return TRUE;
}

std::wstring ProgramPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring s = path;
  s = s.substr(0, s.find_last_of(L'\\'));     // ...\bin\wizardwin
  return s.substr(0, s.find_last_of(L'\\')) + L"\\Tunewright.exe";
}

TEST(TunewrightProgram, ArgumentsAreIgnoredAndClosingEndsTheProgram) {
  const std::wstring exe = ProgramPath();
  std::wstring command = L"\"" + exe + L"\" /revert --apply \"C:\\no such file\" -Embedding";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &process))
      << GetLastError();
  // The program waits for input once its window is up.
  ASSERT_EQ(WaitForInputIdle(process.hProcess, 60000), 0u);
  TFoundWindow found{process.dwProcessId};
  EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&found));
  // Should the platform report idle early, wait on the process (which ends on a failure) a little
  // at a time until the window is there.
  for (int i = 0; !found.Window && i < 300; ++i) {
    if (WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) break;
    EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&found));
  }
  ASSERT_NE(found.Window, nullptr);
  // The intro page, on the automatic path as at every start.
  TFoundChild automatic{L"&Automatically make all recommended changes"};
  EnumChildWindows(found.Window, FindChild, reinterpret_cast<LPARAM>(&automatic));
  ASSERT_NE(automatic.Window, nullptr);
  EXPECT_EQ(SendMessageW(automatic.Window, BM_GETCHECK, 0, 0), BST_CHECKED);

  PostMessageW(found.Window, WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
  DWORD code = 99;
  GetExitCodeProcess(process.hProcess, &code);
  EXPECT_EQ(code, 0u);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

}  // namespace
