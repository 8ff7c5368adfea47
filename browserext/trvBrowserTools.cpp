#include "browserext/trvBrowserTools.h"

#include <objbase.h>
#include <wrl/client.h>

#include <cwchar>

#include "base/GuidText.h"
#include "common/trvTools.h"
#include "unicode/UtxWindows.h"

int WideMessageBox(HWND Wnd, const WideString& Text, const WideString& Caption, UINT Type) {
  if (UnicodePlatform()) return MessageBoxW(Wnd, Text.c_str(), Caption.c_str(), Type);
  AnsiString text = NarrowText(Text), caption = NarrowText(Caption);
  return MessageBoxA(Wnd, text.c_str(), caption.c_str(), Type);
}

WideString GUIDToWideString(const GUID& Guid) {
  const WideString text = GuidText(Guid);
  if (text.empty()) throw ETRVException(L"GUIDToWideString: should not happen");
  return text;
}

bool SameComObject(IUnknown* A, IUnknown* B) {
  auto identity = [](IUnknown* p) {
    Microsoft::WRL::ComPtr<IUnknown> u;
    if (p && FAILED(p->QueryInterface(IID_PPV_ARGS(&u))))
      throw EIntfCastError("Interface not supported");
    return u;
  };
  auto a = identity(A);
  auto b = identity(B);
  return a.Get() == b.Get();
}

void DebugLogText(const WideString& Text) { DebugLog(Text, 1); }

void LogException(const WideString& Context, const Exception& E) {
  try {
    DebugLogText(Context + L": " + E.ClassName() + L" - \"" + GetExceptionMessage(E) + L"\"");
  } catch (...) {
    // The logger is called from every handler; a log that cannot be built is not a new failure.
  }
}

void LogException(const WideString& Context, const std::exception& E) {
  try {
    LogException(Context, Exception(E.what()));
  } catch (...) {
  }
}

void UpperCaseAsciiBuf(wchar_t* Text, size_t Count) {
  for (size_t i = 0; i < Count; ++i)
    if (Text[i] >= L'a' && Text[i] <= L'z') Text[i] = static_cast<wchar_t>(Text[i] - 32);
}

void UpperCaseAsciiZ(wchar_t* Text) {
  if (Text) UpperCaseAsciiBuf(Text, std::wcslen(Text));
}

bool UpperCaseAsciiEquals(const wchar_t* Text, size_t Length, const wchar_t* Upper) {
  // Upper has no NUL inside, so a NUL in Text never matches and what follows it cannot count.
  size_t i = 0;
  for (; i < Length; ++i) {
    if (Upper[i] == L'\0') return false;
    wchar_t c = Text[i];
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - 32);
    if (c != Upper[i]) return false;
  }
  return Upper[i] == L'\0';
}

WideString UpperCaseAscii(const WideString& Text) {
  WideString copy = Text;
  UpperCaseAsciiZ(copy.data());
  return copy;
}
