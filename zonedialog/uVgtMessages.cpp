#include "zonedialog/uVgtMessages.h"

// The platform's wide message box: it shows every character of the texts on every platform
// this program runs on, and a test reads it like any dialog.
bool AskVgtQuestion(HWND Owner, const WideString& Caption, const WideString& Text) {
  if (Owner && !IsWindow(Owner)) Owner = nullptr;
  return MessageBoxW(Owner, Text.c_str(), Caption.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void ShowVgtError(HWND Owner, const WideString& Caption, const WideString& Text, const WideString& Details) {
  if (Owner && !IsWindow(Owner)) Owner = nullptr;
  const WideString all = Details.empty() ? Text : Text + L"\r\n\r\n" + Details;
  MessageBoxW(Owner, all.c_str(), Caption.c_str(), MB_OK | MB_ICONERROR);
}
