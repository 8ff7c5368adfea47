// Saves a picture of a window when the run asks for it (VGT_SCREENSHOT names a folder);
// ordinary runs save nothing.
#pragma once

#include <windows.h>

#include <string>

// Writes <folder>\<name>.bmp; false when no folder is asked for or the capture failed.
bool SaveScreenshotOnRequest(HWND Wnd, const std::string& Name);
