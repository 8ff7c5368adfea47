#include "unicode/UtxSystem.h"

UINT LocaleAnsiCodePage(LCID Locale) {
  char entry[6] = {};
  if (GetLocaleInfoA(Locale, LOCALE_IDEFAULTANSICODEPAGE, entry, sizeof entry) > 0) {
    UINT value = 0;
    int digits = 0;
    for (const char* p = entry; *p; ++p, ++digits) {
      if (*p < '0' || *p > '9') return GetACP();
      value = value * 10 + static_cast<UINT>(*p - '0');
    }
    if (digits > 0) return value;
  }
  return GetACP();
}
