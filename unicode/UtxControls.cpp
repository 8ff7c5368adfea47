#include "unicode/UtxControls.h"

#include <cstring>

namespace {

// Until the layer's start-up code page is in place, the thread's ANSI code page stands for it.
UINT ConvCodePage() { return CP_THREAD_ACP; }

// The keyboard layout's code page: the ANSI code page of the layout's language.
UINT KeyboardLayoutCodePage() {
  const LCID lang = LOWORD(reinterpret_cast<UINT_PTR>(GetKeyboardLayout(0)));
  char buf[6] = {};
  if (GetLocaleInfoA(lang, LOCALE_IDEFAULTANSICODEPAGE, buf, sizeof buf) > 0) {
    char* end = nullptr;
    const unsigned long cp = std::strtoul(buf, &end, 10);
    if (end != buf && *end == 0) return static_cast<UINT>(cp);
  }
  return GetACP();
}

wchar_t KeyboardCharToWideLocal(unsigned char Ch) {
  wchar_t w = 0;
  const char c = static_cast<char>(Ch);
  if (MultiByteToWideChar(KeyboardLayoutCodePage(), MB_USEGLYPHCHARS, &c, 1, &w, 1) != 1) return 0;
  return w;
}

wchar_t UpperOf(wchar_t c) {
  wchar_t s[2] = {c, 0};
  CharUpperBuffW(s, 1);
  return s[0];
}

}  // namespace

// ---- Conversion ----

AnsiString UtxNarrow(const WideString& S) {
  if (S.empty()) return {};
  const UINT cp = ConvCodePage();
  const int n = WideCharToMultiByte(cp, 0, S.data(), static_cast<int>(S.size()), nullptr, 0,
                                    nullptr, nullptr);
  if (n <= 0) return {};
  AnsiString a(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(cp, 0, S.data(), static_cast<int>(S.size()), a.data(), n, nullptr, nullptr);
  return a;
}

WideString UtxWiden(const AnsiString& S) {
  if (S.empty()) return {};
  const UINT cp = ConvCodePage();
  const int n = MultiByteToWideChar(cp, 0, S.data(), static_cast<int>(S.size()), nullptr, 0);
  if (n <= 0) return {};
  WideString w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(cp, 0, S.data(), static_cast<int>(S.size()), w.data(), n);
  return w;
}

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
  if (UtxNarrow(Held) != Current) Held = UtxWiden(Current);
  return Held;
}

void StoreHeldWideText(const WideString& V, WideString& Held, const AnsiString& Current,
                       const TAnsiTextSetter& Setter) {
  if (SyncHeldWideText(Held, Current) == V) return;
  const AnsiString narrowed = UtxNarrow(V);
  if (UtxWiden(narrowed) != V && Current == narrowed) Setter(AnsiString());
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
  if (Ch <= 0xFF) wanted = KeyboardCharToWideLocal(static_cast<unsigned char>(Ch));
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
  return UtxWiden(AnsiString(WinClassName, strnlen(WinClassName, 64)) + ".UnicodeClass");
}
