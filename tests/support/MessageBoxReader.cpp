#include "tests/support/MessageBoxReader.h"

namespace {
// The innermost reader of the thread (test programs show their boxes on the main thread).
thread_local TMessageBoxReader* ActiveReader = nullptr;
}  // namespace

TMessageBoxReader::TMessageBoxReader(int Answer) : FAnswer(Answer), FOuter(ActiveReader) {
  FHook = SetWindowsHookExW(WH_CALLWNDPROCRET, AfterWindowProc, nullptr, GetCurrentThreadId());
  ActiveReader = this;
}

TMessageBoxReader::~TMessageBoxReader() {
  if (FHook) UnhookWindowsHookEx(FHook);
  ActiveReader = FOuter;
}

LRESULT CALLBACK TMessageBoxReader::AfterWindowProc(int Code, WPARAM WParam, LPARAM LParam) {
  TMessageBoxReader* Self = ActiveReader;
  const auto* Call = reinterpret_cast<const CWPRETSTRUCT*>(LParam);
  if (Self && Code == HC_ACTION && Call->message == WM_INITDIALOG) {
    wchar_t Class[32] = {};
    GetClassNameW(Call->hwnd, Class, 32);
    if (std::wstring(Class) == L"#32770") {
      TBox Box;
      const int CaptionLength = GetWindowTextLengthW(Call->hwnd);
      Box.Caption.resize(CaptionLength + 1);
      Box.Caption.resize(GetWindowTextW(Call->hwnd, Box.Caption.data(), CaptionLength + 1));
      HWND Static = GetDlgItem(Call->hwnd, 0xFFFF);
      const int TextLength = Static ? GetWindowTextLengthW(Static) : 0;
      Box.Text.resize(TextLength + 1);
      Box.Text.resize(Static ? GetWindowTextW(Static, Box.Text.data(), TextLength + 1) : 0);
      Self->FBoxes.push_back(std::move(Box));
      PostMessageW(Call->hwnd, WM_COMMAND, Self->FAnswer, 0);
    }
  }
  return CallNextHookEx(Self ? Self->FHook : nullptr, Code, WParam, LParam);
}
