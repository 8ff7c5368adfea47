// Drawing and measuring UTF-16 text on a canvas. GDI's W text functions exist on both platform
// families, so nothing here tests the Unicode platform switch.
#pragma once

#include <windows.h>

#include "classlib/System.h"

// Clears Size, then measures Text on DC; the platform call's result is returned, so a failing
// call leaves (0, 0).
BOOL WideTextExtentOfDC(HDC DC, const WideString& Text, SIZE& Size);
