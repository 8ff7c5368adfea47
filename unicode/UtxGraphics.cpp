#include "unicode/UtxGraphics.h"

BOOL WideTextExtentOfDC(HDC DC, const WideString& Text, SIZE& Size) {
  Size.cx = 0;
  Size.cy = 0;
  return GetTextExtentPoint32W(DC, Text.c_str(), static_cast<int>(Text.size()), &Size);
}
