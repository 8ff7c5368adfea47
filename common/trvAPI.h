// The common library's wrappers of Win32 calls that the Unicode layer does not wrap: registry,
// debugger output, fonts, text metrics and sound. Each has the contract of the W function (UTF-16
// text, string value data as UTF-16, sizes as the W call reports them) on either platform family:
// on NT it is the W call itself; on the 8-bit family text is narrowed in ConversionCodePage(), the
// A call is made and its results are brought back to the W contract. Nothing here raises.
#pragma once

#include <windows.h>

#include "classlib/System.h"

LONG ApiRegOpenKeyEx(HKEY Key, LPCWSTR SubKey, DWORD Options, REGSAM Access, PHKEY Result);
LONG ApiRegCreateKeyEx(HKEY Key, LPCWSTR SubKey, DWORD Reserved, LPWSTR Class, DWORD Options,
                       REGSAM Access, LPSECURITY_ATTRIBUTES Security, PHKEY Result,
                       LPDWORD Disposition);
LONG ApiRegQueryValueEx(HKEY Key, LPCWSTR ValueName, LPDWORD Reserved, LPDWORD Type, LPBYTE Data,
                        LPDWORD DataSize);
LONG ApiRegSetValueEx(HKEY Key, LPCWSTR ValueName, DWORD Reserved, DWORD Type, const BYTE* Data,
                      DWORD DataSize);
void ApiOutputDebugString(LPCWSTR Text);
HFONT ApiCreateFontIndirect(const LOGFONTW* LogFont);
BOOL ApiGetTextMetrics(HDC DC, TEXTMETRICW* Metrics);
// SoundName may be a resource identifier (SND_RESOURCE), a sound in memory (SND_MEMORY) or null
// (stop); those pass unchanged.
BOOL ApiPlaySound(LPCWSTR SoundName, HMODULE Module, DWORD Flags);

// True for the value types that hold text (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ).
inline bool IsRegistryTextType(DWORD Type) {
  return Type == REG_SZ || Type == REG_EXPAND_SZ || Type == REG_MULTI_SZ;
}
