#include "base/GuidText.h"

#include <objbase.h>

std::wstring GuidText(REFGUID Guid) {
  wchar_t text[40] = {};
  const int n = StringFromGUID2(Guid, text, 40);
  return n > 1 ? std::wstring(text, static_cast<size_t>(n - 1)) : std::wstring();
}
