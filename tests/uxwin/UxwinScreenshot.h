// Screenshots of test windows for a person to look at: made only when VGT_SCREENSHOT_DIR names a
// folder, never by an ordinary run.
#pragma once

#include <windows.h>

#include <string>

// The folder named by VGT_SCREENSHOT_DIR, or empty when no screenshots are wanted.
std::wstring ScreenshotDir();
// Copies what the screen shows of the window into a PNG file; false when it cannot.
bool SaveWindowPng(HWND Window, const std::wstring& Path);
