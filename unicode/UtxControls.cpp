#include "unicode/UtxControls.h"

#include <cstring>

#include "unicode/UtxSystem.h"
#include "unicode/UtxWindows.h"

namespace {

wchar_t UpperOf(wchar_t c) {
  wchar_t s[2] = {c, 0};
  WideCharUpperBuff(s, 1);
  return s[0];
}

}  // namespace

// ---- Messages ----

bool IsWindowTextMessage(UINT Msg) {
  return Msg == WM_SETTEXT || Msg == WM_GETTEXT || Msg == WM_GETTEXTLENGTH;
}

void MakeCharParam8BitSafe(WPARAM& WParam) {
  const WORD ch = LOWORD(WParam);
  if (ch > 0xFF) WParam = static_cast<WPARAM>(MAKELONG(0xFF, ch));
}

void RestoreCharParam(WPARAM& WParam) {
  WORD ch = LOWORD(WParam);
  const WORD high = HIWORD(WParam);
  if (high != 0 && ch == 0xFF) ch = high;
  WParam = ch;
}

wchar_t WideCharOfCharParam(WPARAM WParam) {
  const WORD ch = LOWORD(WParam);
  const WORD high = HIWORD(WParam);
  return static_cast<wchar_t>(ch == 0xFF && high != 0 ? high : ch);
}

void PutWideCharInCharParam(WPARAM& WParam, wchar_t Ch) {
  WParam = static_cast<WORD>(Ch);
  MakeCharParam8BitSafe(WParam);
}

// ---- Held wide texts ----

WideString SyncHeldWideText(WideString& Held, const AnsiString& Current) {
  if (NarrowText(Held) != Current) Held = WidenText(Current);
  return Held;
}

void StoreHeldWideText(const WideString& V, WideString& Held, const AnsiString& Current,
                       const TAnsiTextSetter& Setter) {
  if (SyncHeldWideText(Held, Current) == V) return;
  const AnsiString narrowed = NarrowText(V);
  if (WidenText(narrowed) != V && Current == narrowed) Setter(AnsiString());
  Held = V;
  Setter(narrowed);
}

// ---- Hints and accelerators ----

WideString WideShortHint(const WideString& Hint) {
  const size_t bar = Hint.find(L'|');
  return bar == WideString::npos ? Hint : Hint.substr(0, bar);
}

WideString WideLongHint(const WideString& Hint) {
  const size_t bar = Hint.find(L'|');
  return bar == WideString::npos ? Hint : Hint.substr(bar + 1);
}

bool IsWideAccelChar(WORD Ch, const WideString& Caption) {
  wchar_t wanted = static_cast<wchar_t>(Ch);
  if (Ch <= 0xFF) wanted = KeyboardCharToWide(static_cast<unsigned char>(Ch));
  wchar_t accel = 0;
  bool found = false;
  for (size_t i = 0; i + 1 < Caption.size(); ++i) {
    if (Caption[i] != L'&') continue;
    if (Caption[i + 1] == L'&') {
      ++i;  // a literal ampersand
      continue;
    }
    accel = Caption[i + 1];
    found = true;
  }
  return found && UpperOf(accel) == UpperOf(wanted);
}

// ---- Unicode window classes ----

WideString UnicodeWindowClassName(const char* WinClassName) {
  return WidenText(AnsiString(WinClassName, strnlen(WinClassName, 64)) + ".UnicodeClass");
}
