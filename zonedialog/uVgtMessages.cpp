#include "zonedialog/uVgtMessages.h"

#include "common/trvGenericForms.h"

namespace {

// A handle that is no longer a window owns nothing.
HWND LiveWindow(HWND Wnd) { return Wnd && IsWindow(Wnd) ? Wnd : nullptr; }

}  // namespace

bool AskVgtQuestion(HWND Owner, const WideString& Caption, const WideString& Text) {
  return ShowMessageBox(LiveWindow(Owner), Caption, Text, L"", ButtonsYesNo, MessageTypeQuestion) == mrYes;
}

void ShowVgtError(HWND Owner, const WideString& Caption, const WideString& Text, const WideString& Details) {
  ShowMessageBox(LiveWindow(Owner), Caption, Text, Details, ButtonsOKDetails, MessageTypeError);
}
