// The thread's keyboard state as a message handler reads it (GetKeyState): a key or mouse button
// held while a test sends the messages of a press.
#pragma once

#include <windows.h>

// Marks VirtualKey (VK_CONTROL, VK_LBUTTON, ...) as down or up for the calling thread.
inline void SetKeyState(int VirtualKey, bool Down) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VirtualKey] = Down ? 0x80 : 0;
  SetKeyboardState(keys);
}
