#include "classlib/ResStrings.h"

#include <string>
#include <utility>

#include "base/TextConversion.h"

namespace {

std::function<WideString(const WideString&)>& Translator() {
  static std::function<WideString(const WideString&)> translator;
  return translator;
}

}  // namespace

HINSTANCE ClassLibInstance() {
  // The allocation holding this function's code is the module's image. (The lookup by address
  // through the module-handle API does not exist on the 8-bit platform family.)
  static HINSTANCE instance = [] {
    MEMORY_BASIC_INFORMATION info{};
    if (VirtualQuery(reinterpret_cast<LPCVOID>(&ClassLibInstance), &info, sizeof(info)) && info.AllocationBase)
      return static_cast<HINSTANCE>(info.AllocationBase);
    return static_cast<HINSTANCE>(GetModuleHandleA(nullptr));
  }();
  return instance;
}

WideString LoadResStringW(UINT Id, HINSTANCE Instance) {
  if (!Instance) Instance = ClassLibInstance();
  // Strings live in blocks of 16; the block's resource name is (Id / 16) + 1. The 8-bit lookup
  // exists on every platform family and the block is UTF-16 on all of them.
  const UINT block = ((Id >> 4) & 0xFFFF) + 1;
  HRSRC res = FindResourceA(Instance, MAKEINTRESOURCEA(block), MAKEINTRESOURCEA(6));
  if (!res) return {};
  HGLOBAL mem = LoadResource(Instance, res);
  if (!mem) return {};
  const auto* p = static_cast<const WCHAR*>(LockResource(mem));
  const DWORD bytes = SizeofResource(Instance, res);
  if (!p) return {};
  // Each entry is a length word and that many characters; every step is checked against the
  // block's size so a damaged block reads as "".
  const size_t words = bytes / sizeof(WCHAR);
  size_t pos = 0;
  for (UINT i = 0; i < (Id & 15); ++i) {
    if (pos >= words) return {};
    pos += 1 + static_cast<size_t>(p[pos]);
  }
  if (pos >= words) return {};
  const size_t len = p[pos];
  if (pos + 1 + len > words) return {};
  return WideString(reinterpret_cast<const wchar_t*>(p + pos + 1), len);
}

void SetResStringTranslator(std::function<WideString(const WideString&)> T) {
  Translator() = std::move(T);
}

WideString LoadResStringTranslated(UINT Id) {
  WideString text = LoadResStringW(Id);
  const auto& translate = Translator();
  if (!translate || text.empty()) return text;
  try {
    WideString translated = translate(text);
    if (!translated.empty()) return translated;
  } catch (...) {
    // An error message must still come out when the translation fails.
  }
  return text;
}

TResArg::TResArg(const char* V) : IsText(true), Text(V ? CodePageToWide(V, CP_ACP) : WideString()) {}
TResArg::TResArg(const AnsiString& V) : IsText(true), Text(CodePageToWide(V, CP_ACP)) {}

WideString FormatResText(const WideString& Format, std::initializer_list<TResArg> Args) {
  WideString result;
  result.reserve(Format.size() + 16);
  auto next = Args.begin();
  for (size_t i = 0; i < Format.size(); ++i) {
    const wchar_t c = Format[i];
    if (c != L'%' || i + 1 >= Format.size()) {
      result += c;
      continue;
    }
    const wchar_t kind = Format[i + 1];
    if (kind == L'%') {
      result += L'%';
      ++i;
    } else if ((kind == L'd' || kind == L's') && next != Args.end()) {
      result += next->IsText ? next->Text : std::to_wstring(next->Int);
      ++next;
      ++i;
    } else {
      result += c;
    }
  }
  return result;
}

WideString FmtResString(UINT Id, std::initializer_list<TResArg> Args) {
  return FormatResText(LoadResStringTranslated(Id), Args);
}

AnsiString ResTextToAnsi(const WideString& Text) {
  return WideToCodePage(Text, CP_ACP);
}

AnsiString LoadResStringA(UINT Id) {
  return ResTextToAnsi(LoadResStringTranslated(Id));
}

AnsiString FmtResStringA(UINT Id, std::initializer_list<TResArg> Args) {
  return ResTextToAnsi(FmtResString(Id, Args));
}
