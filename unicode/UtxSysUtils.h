// UTF-16 counterparts of the run-time library's string, path and file routines, and the Unicode
// layer's two exception classes. Every platform call goes through the wrappers of UtxWindows.
#pragma once

#include <windows.h>

#include <cstdint>

#include "classlib/SysUtils.h"
#include "unicode/UtxWindows.h"

// Bad input (malformed UTF-7).
VGT_EXCEPTION(EUtxGeneralError, Exception);
// An internal consistency failure (a codec buffer overflow, the control layer's own errors).
VGT_EXCEPTION(EUtxInternalError, Exception);

// The wide search record of WideFindFirst/WideFindNext.
struct TSearchRecW {
  int32_t Time = 0;  // last write, local time, DOS date (high word) and time (low word)
  int32_t Size = 0;  // low 32 bits of the size
  DWORD Attr = 0;
  WideString Name;
  DWORD ExcludeAttr = 0;
  HANDLE FindHandle = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW FindData{};
};

// ---- zero-terminated wide buffers ----

wchar_t* WideStrEnd(const wchar_t* P);
unsigned GetWideStrLength(const wchar_t* P);
// Dest must hold MaxLen + 1 units.
wchar_t* CopyWideStrMax(wchar_t* Dest, const wchar_t* Source, unsigned MaxLen);
wchar_t* CopyAnsiToWideBuffer(wchar_t* Dest, const AnsiString& S, unsigned MaxLen);
wchar_t* CopyAnsiToWideBuffer(wchar_t* Dest, const AnsiString& S);
// The first Ch in P (Ch 0 finds the terminator); nullptr when absent.
wchar_t* WideStrScan(const wchar_t* P, wchar_t Ch);
// Moves Count units; the areas may overlap.
wchar_t* WideStrMove(wchar_t* Dest, const wchar_t* Source, unsigned Count);
// A block of Size units preceded by its byte size; free it with WideStrDispose.
wchar_t* WideStrAlloc(unsigned Size);
// A copy of P in a new block (nullptr for nullptr).
wchar_t* WideStrNew(const wchar_t* P);
// Releases a block of WideStrAlloc/WideStrNew; nullptr is ignored.
void WideStrDispose(wchar_t* P);

// ---- text ----

enum : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };
enum TTextLineBreakStyle { tlbsLF = 0, tlbsCRLF = 1, tlbsCR = 2 };

WideString UpperCaseWide(const WideString& S);
wchar_t WideLastChar(const WideString& S);
// 1-based position of SubStr in S without regard to case; 0 when absent.
int WideTextPos(const WideString& SubStr, const WideString& S);
// Flags: rfReplaceAll, rfIgnoreCase. WholeWord: only hits with delimiters on both sides count.
WideString ReplaceWideText(const WideString& S, const WideString& OldPattern,
                           const WideString& NewPattern, unsigned Flags, bool WholeWord);
// Rewrites CR LF, lone CR, lone LF and U+2028 as the style's line break.
WideString AdjustWideLineBreaks(const WideString& S, TTextLineBreakStyle Style = tlbsCRLF);
bool IsWordDelimiter(wchar_t Ch);
// The type word of Ch (raises EOSError when the platform refuses).
WORD GetWideCharType(wchar_t Ch, DWORD InfoType);

// ---- paths (1-based indexes, as the texts are counted everywhere in the layer) ----

bool WideIsPathDelimiter(const WideString& S, int Index);
WideString WideIncludeTrailingBackslash(const WideString& S);
int WideLastDelimiter(const WideString& Delimiters, const WideString& S);
WideString WideExtractFilePath(const WideString& S);
WideString WideExtractFileName(const WideString& S);

// ---- files and modules ----

// Read and write access, exclusive, replacing any file of the name.
HANDLE WideFileCreate(const WideString& Name);
// Mode: access in bits 0-1 (0 read, 1 write, 2 both), sharing in bits 4-7 (0/1 exclusive,
// 2 deny write, 3 deny read, 4 deny none). An existing file only.
HANDLE WideFileOpen(const WideString& Name, unsigned Mode);
DWORD WideFileGetAttr(const WideString& Name);
bool WideFileExists(const WideString& Name);
// 0 or an operating-system error code (ERROR_NO_MORE_FILES at the end).
int WideFindFirst(const WideString& Path, DWORD Attr, TSearchRecW& F);
int WideFindNext(TSearchRecW& F);
void WideFindClose(TSearchRecW& F);

// Raises the platform's error Code as EOSError with the system's message.
[[noreturn]] void RaiseOSErrorCode(DWORD Code);
[[noreturn]] void RaiseLastOSErrorW();
// Value when it is non-zero; zero raises the last operating-system error.
DWORD CheckOSResult(DWORD Value);
// The module's full file name.
WideString WideGetModuleName(HMODULE Module);
