// Wide control text and Unicode windows: where a control's wide caption and hint live, how a
// control gets a Unicode window that the class library keeps driving through its 8-bit paths, how
// text and character messages are adapted between the two, wide hints and accelerators.
#pragma once

#include <windows.h>

#include <functional>

#include "classlib/System.h"

// ---- Messages ----

// WM_SETTEXT, WM_GETTEXT and WM_GETTEXTLENGTH: the messages whose text the platform converts
// between an 8-bit caller and a Unicode window.
bool IsWindowTextMessage(UINT Msg);

// A typed character above $FF travels through the class library's 8-bit paths as WM_CHAR with
// $FF in the character word and the real character in the word beside it. These work on the
// wParam of a WM_CHAR message.
void MakeCharParam8BitSafe(WPARAM& WParam);  // towards the class library
void RestoreCharParam(WPARAM& WParam);       // towards the platform
wchar_t WideCharOfCharParam(WPARAM WParam);
void PutWideCharInCharParam(WPARAM& WParam, wchar_t Ch);

// ---- Held wide texts ----

// Sets an 8-bit property through the class library's own setter, so its change processing runs.
using TAnsiTextSetter = std::function<void(const AnsiString&)>;

// The held-text rule: Held counts only while its 8-bit form equals Current; otherwise somebody
// set the 8-bit property directly and Held becomes Current widened. Returns Held.
WideString SyncHeldWideText(WideString& Held, const AnsiString& Current);
// The store rule: nothing when V is already the wide value; when V does not survive 8 bits and
// its 8-bit form is already the 8-bit value, the setter first gets an empty text so that the
// class library sees a change; then Held := V and the setter gets V narrowed.
void StoreHeldWideText(const WideString& V, WideString& Held, const AnsiString& Current,
                       const TAnsiTextSetter& Setter);

// ---- Hints and accelerators ----

// The parts before and after the first "|"; the whole text when there is none.
WideString WideShortHint(const WideString& Hint);
WideString WideLongHint(const WideString& Hint);

// True when the caption's accelerator ("&" before a character; "&&" is a literal ampersand; the
// last one wins) is the character Ch, without regard to case. Codes up to $FF are keyboard
// characters and are widened in the keyboard layout's code page first.
bool IsWideAccelChar(WORD Ch, const WideString& Caption);

// ---- Unicode window classes ----

// The class library's window class name (a NUL-terminated field of at most 64 characters)
// followed by ".UnicodeClass".
WideString UnicodeWindowClassName(const char* WinClassName);
