// Screenshots of test windows for a person to look at: made only when VGT_SCREENSHOT_DIR names a
// folder, never by an ordinary run. The one screenshot helper of the test programs and of the
// tools (link vgt_screenshot, include "tools/winshot/Screenshot.h").
#pragma once

#include <windows.h>

#include <string>

// The folder named by VGT_SCREENSHOT_DIR, or empty when no screenshots are wanted.
std::wstring ScreenshotDir();
// Copies what the window and its visible children show into a PNG file; false when it cannot.
bool SaveWindowPng(HWND Window, const std::wstring& Path);
// Writes <ScreenshotDir>\<Name>.png after repainting the window; false when no folder is asked
// for or the capture failed.
bool SaveScreenshotOnRequest(HWND Window, const std::wstring& Name);
