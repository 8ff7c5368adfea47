// The platform switch of the Unicode layer and the wide wrappers of the platform's text calls.
//
// On NT every wrapper passes its arguments straight to the W function. On the 8-bit family it
// narrows each text in ConversionCodePage(), calls the A function and widens what comes back, so
// the caller always sees the W contract: same parameters, results and last-error value.
#pragma once

#include <windows.h>

#include "classlib/System.h"

// The three process-wide values that decide between W and 8-bit calls. They are worked out on
// first use, in a fixed order (the code page first, then the two platform flags), and never
// change afterwards except through TUtxPlatformOverride in tests.
UINT ConversionCodePage();
bool UnicodePlatform();
bool PlatformIsXPOrLater();

// Every narrowing and widening at the platform boundary goes through these, in
// ConversionCodePage(), flags 0, no default character given. Length -1 means "up to the
// terminator" (the terminator itself is not converted); a null pointer gives an empty text.
AnsiString NarrowText(const wchar_t* Text, int Length = -1);
AnsiString NarrowText(const WideString& Text);
WideString WidenText(const char* Text, int Length = -1);
WideString WidenText(const AnsiString& Text);
// Whether Ch has a form in the conversion code page (not only its default character).
bool HasAnsiEquivalent(wchar_t Ch);

// Test hook: makes the process look like the 8-bit family (or NT) with a chosen conversion code
// page until the object is destroyed, so the 8-bit paths run on an NT host. Nests.
class TUtxPlatformOverride {
 public:
  TUtxPlatformOverride(bool Unicode, UINT CodePage);
  ~TUtxPlatformOverride();
  TUtxPlatformOverride(const TUtxPlatformOverride&) = delete;
  TUtxPlatformOverride& operator=(const TUtxPlatformOverride&) = delete;

 private:
  bool FUnicode;
  bool FXP;
  UINT FCodePage;
};

// ---- wrappers: parameters and results of the W call named after "Wide" ----

HANDLE WideCreateFile(LPCWSTR FileName, DWORD Access, DWORD ShareMode,
                      LPSECURITY_ATTRIBUTES Security, DWORD Disposition, DWORD FlagsAndAttributes,
                      HANDLE Template);
HANDLE WideFindFirstFile(LPCWSTR FileName, WIN32_FIND_DATAW* FindData);
BOOL WideFindNextFile(HANDLE FindFile, WIN32_FIND_DATAW* FindData);
DWORD WideGetFileAttributes(LPCWSTR FileName);
int WideDrawText(HDC DC, LPCWSTR Text, int Count, RECT* Rect, UINT Format);
DWORD WideGetModuleFileName(HMODULE Module, LPWSTR Buffer, DWORD Size);
// The instance value ShellExecute reports (above 32 on success).
intptr_t WideShellExecute(HWND Window, LPCWSTR Operation, LPCWSTR File, LPCWSTR Parameters,
                          LPCWSTR Directory, INT ShowCommand);
// A single character in the low word (high word zero) or a zero-terminated text upper-cased in
// place; returns its argument as CharUpperW does.
LPWSTR WideCharUpper(LPWSTR CharOrText);
DWORD WideCharUpperBuff(LPWSTR Text, DWORD Count);
BOOL WideGetStringTypeEx(LCID Locale, DWORD InfoType, LPCWSTR Text, int Count, LPWORD Types);
int WideLoadString(HINSTANCE Instance, UINT Id, LPWSTR Buffer, int Size);
DWORD WideGetFileVersionInfoSize(LPCWSTR FileName, LPDWORD Handle);
BOOL WideGetFileVersionInfo(LPCWSTR FileName, DWORD Handle, DWORD Length, LPVOID Block);
BOOL WideVerQueryValue(LPCVOID Block, LPCWSTR SubBlock, LPVOID* Buffer, PUINT Length);

// Copies an 8-bit find record into a wide one (the names widened, everything else as it is).
void FindDataToWide(const WIN32_FIND_DATAA& Source, WIN32_FIND_DATAW& Dest);
// The 8-bit path of WideLoadString: reads the UTF-16 string table directly.
int LoadStringFromResource(HINSTANCE Instance, UINT Id, LPWSTR Buffer, int Size);
// True when a name argument is an integer identifier rather than a text pointer.
inline bool IsIntResourceId(uintptr_t Value) { return (Value >> 16) == 0; }
inline bool IsIntResourceId(const void* Value) {
  return IsIntResourceId(reinterpret_cast<uintptr_t>(Value));
}
