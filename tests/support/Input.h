// The thread's input as a test drives it: a key or mouse button held while the test sends the
// messages of a press (message handlers read it through GetKeyState), and a form brought to the
// front so that it has the focus and takes keys.
#pragma once

#include <windows.h>

#include "classlib/Forms.h"

// Marks VirtualKey (VK_CONTROL, VK_LBUTTON, ...) as down or up for the calling thread.
inline void SetKeyState(int VirtualKey, bool Down) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VirtualKey] = Down ? 0x80 : 0;
  SetKeyboardState(keys);
}

// Shows Form, makes it the foreground and active window, and handles what that queued.
inline void ShowAndActivate(TCustomForm* Form) {
  Form->Show();
  SetForegroundWindow(Form->Handle());
  SetActiveWindow(Form->Handle());
  Application->ProcessMessages();
}
