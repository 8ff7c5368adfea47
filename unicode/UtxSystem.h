// The layer's text codecs and run-time services: the wide command line, wide resource strings,
// UTF-8 and UTF-7, conversions through any code page, locale and keyboard code pages.
#pragma once

#include <windows.h>

#include <cstdint>

#include "classlib/System.h"

// The ANSI code page of a locale (its LOCALE_IDEFAULTANSICODEPAGE entry); the system's ANSI code
// page when the entry cannot be read as a number.
UINT LocaleAnsiCodePage(LCID Locale);
// The ANSI code page of the keyboard layout's language.
UINT KeyboardCodePage();
// One 8-bit character typed on the keyboard, as UTF-16.
wchar_t KeyboardCharToWide(unsigned char Ch);

// ---- command line ----

// Splits the next parameter off the command-line text at P into Param and returns the position
// after it (a blank, a control character or the terminator). Double quotes group blanks into a
// parameter and are never part of it; a parameter holds at most 4096 characters (the rest of an
// over-long one is dropped).
const wchar_t* ParseWideParam(const wchar_t* P, WideString& Param);
// Parameter Index of a command line whose parameter 0 is the program name as typed; "" when
// there are fewer parameters (or for a negative Index).
WideString WideParamFromCommandLine(const wchar_t* CommandLine, int Index);
// Index 0: the program's full file name; otherwise parameter Index of GetCommandLineW.
WideString GetWideParamStr(int Index);

// ---- resource strings ----

// A resource-string reference: the module holding it, and either a string-table identifier
// (below 65536) or the address of a zero-terminated 8-bit text (UTF-8 when it starts with a
// byte-order mark).
struct TResStringRec {
  HMODULE Module;
  intptr_t Identifier;
};
WideString WideLoadResString(const TResStringRec* Rec);

// The Unicode layer's own message texts (Utx.rc), translated like every resource text.
constexpr UINT SUtxInvalidUTF7 = 65216;     // "Invalid UTF7"
constexpr UINT SUtxBufferOverflow = 65247;  // "Buffer overflow"
WideString UtxResString(UINT Id);

// ---- codecs ----

// Each UTF-16 unit on its own: a surrogate pair becomes two three-byte sequences.
AnsiString EncodeUTF8(const WideString& S);
// A lead byte's sequence length comes from its bit 5 alone (set: three bytes, clear: two). A
// continuation byte outside $80-$BF or a cut-off sequence makes the whole result empty.
WideString DecodeUTF8(const AnsiString& S);
AnsiString EncodeUTF7(const WideString& S);
// Raises EUtxGeneralError ("Invalid UTF7") on malformed input; no partial text.
WideString DecodeUTF7(const AnsiString& S);
WideString AnsiToWideCodePage(const AnsiString& S, UINT CodePage);
AnsiString WideToAnsiCodePage(const WideString& S, UINT CodePage);

// Swaps the bytes of every unit in place, up to the first zero unit (big-endian UTF-16 text).
void SwapUTF16Bytes(wchar_t* P);
