#include "unicode/UtxSysUtils.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "base/Scope.h"

// ---- zero-terminated wide buffers ----

wchar_t* WideStrEnd(const wchar_t* P) {
  while (*P) ++P;
  return const_cast<wchar_t*>(P);
}

unsigned GetWideStrLength(const wchar_t* P) {
  return static_cast<unsigned>(WideStrEnd(P) - P);
}

wchar_t* CopyWideStrMax(wchar_t* Dest, const wchar_t* Source, unsigned MaxLen) {
  unsigned i = 0;
  for (; i < MaxLen && Source[i]; ++i) Dest[i] = Source[i];
  Dest[i] = L'\0';
  return Dest;
}

wchar_t* CopyAnsiToWideBuffer(wchar_t* Dest, const AnsiString& S, unsigned MaxLen) {
  const WideString w = WidenText(S);
  return CopyWideStrMax(Dest, w.c_str(), MaxLen);
}

wchar_t* CopyAnsiToWideBuffer(wchar_t* Dest, const AnsiString& S) {
  return CopyAnsiToWideBuffer(Dest, S, 0x7FFFFFFF);
}

wchar_t* WideStrScan(const wchar_t* P, wchar_t Ch) {
  for (;; ++P) {
    if (*P == Ch) return const_cast<wchar_t*>(P);
    if (!*P) return nullptr;
  }
}

wchar_t* WideStrMove(wchar_t* Dest, const wchar_t* Source, unsigned Count) {
  memmove(Dest, Source, static_cast<size_t>(Count) * sizeof(wchar_t));
  return Dest;
}

wchar_t* WideStrAlloc(unsigned Size) {
  // The block's byte count is a 32-bit field: a size whose count would wrap round is refused
  // rather than handed out as a block far smaller than asked for.
  if (Size > (UINT32_MAX - 4) / 2) throw std::bad_alloc();
  const uint32_t bytes = 2 * Size + 4;
  auto* block = static_cast<uint8_t*>(std::malloc(bytes));
  if (!block) throw std::bad_alloc();
  memcpy(block, &bytes, sizeof bytes);
  return reinterpret_cast<wchar_t*>(block + 4);
}

wchar_t* WideStrNew(const wchar_t* P) {
  if (!P) return nullptr;
  const unsigned len = GetWideStrLength(P);
  wchar_t* result = WideStrAlloc(len + 1);
  memcpy(result, P, (static_cast<size_t>(len) + 1) * sizeof(wchar_t));
  return result;
}

void WideStrDispose(wchar_t* P) {
  if (P) std::free(reinterpret_cast<uint8_t*>(P) - 4);
}

// ---- text ----

WideString UpperCaseWide(const WideString& S) {
  WideString result = S;
  if (!result.empty()) WideCharUpperBuff(result.data(), static_cast<DWORD>(result.size()));
  return result;
}

wchar_t WideLastChar(const WideString& S) {
  return S.empty() ? L'\0' : S.back();
}

int WideTextPos(const WideString& SubStr, const WideString& S) {
  if (SubStr.empty()) return 0;
  const size_t pos = UpperCaseWide(S).find(UpperCaseWide(SubStr));
  return pos == WideString::npos ? 0 : static_cast<int>(pos) + 1;
}

WideString ReplaceWideText(const WideString& S, const WideString& OldPattern,
                           const WideString& NewPattern, unsigned Flags, bool WholeWord) {
  WideString searchText = S, pattern = OldPattern;
  if (Flags & rfIgnoreCase) {
    searchText = UpperCaseWide(S);
    pattern = UpperCaseWide(OldPattern);
  }
  // Upper-casing maps each unit to one unit, so offsets found in the search copy apply to Rest.
  WideString rest = S, result;
  const size_t oldLen = OldPattern.size();
  while (!searchText.empty()) {
    const size_t found = pattern.empty() ? WideString::npos : searchText.find(pattern);
    if (found == WideString::npos) {
      result += rest;
      break;
    }
    if (WholeWord) {
      const wchar_t prev = found == 0 ? WideLastChar(result) : rest[found - 1];
      const wchar_t next = found + oldLen < rest.size() ? rest[found + oldLen] : L'\0';
      if (!IsWordDelimiter(prev) || !IsWordDelimiter(next)) {
        result.append(rest, 0, found + oldLen);
        rest.erase(0, found + oldLen);
        searchText.erase(0, found + pattern.size());
        continue;
      }
    }
    result.append(rest, 0, found);
    result += NewPattern;
    rest.erase(0, found + oldLen);
    if (!(Flags & rfReplaceAll)) {
      result += rest;
      break;
    }
    searchText.erase(0, found + pattern.size());
  }
  return result;
}

WideString AdjustWideLineBreaks(const WideString& S, TTextLineBreakStyle Style) {
  const size_t n = S.size();
  // Measure first, then fill in one pass.
  size_t length = 0;
  for (size_t i = 0; i < n; ++i) {
    const wchar_t c = S[i];
    if (c == L'\r' || c == L'\n' || c == 0x2028) {
      if (c == L'\r' && i + 1 < n && S[i + 1] == L'\n') ++i;
      length += Style == tlbsCRLF ? 2 : 1;
    } else {
      ++length;
    }
  }
  WideString result;
  result.reserve(length);
  for (size_t i = 0; i < n; ++i) {
    const wchar_t c = S[i];
    if (c == L'\r' || c == L'\n' || c == 0x2028) {
      if (c == L'\r' && i + 1 < n && S[i + 1] == L'\n') ++i;
      switch (Style) {
        case tlbsLF: result += L'\n'; break;
        case tlbsCR: result += L'\r'; break;
        default: result += L"\r\n"; break;
      }
    } else {
      result += c;
    }
  }
  return result;
}

bool IsWordDelimiter(wchar_t Ch) {
  return Ch == 0 || (GetWideCharType(Ch, CT_CTYPE1) & (C1_SPACE | C1_PUNCT)) != 0;
}

WORD GetWideCharType(wchar_t Ch, DWORD InfoType) {
  WORD type = 0;
  if (!WideGetStringTypeEx(GetThreadLocale(), InfoType, &Ch, 1, &type)) RaiseLastOSErrorW();
  return type;
}

// ---- paths ----

bool WideIsPathDelimiter(const WideString& S, int Index) {
  return Index >= 1 && Index <= static_cast<int>(S.size()) && S[Index - 1] == L'\\';
}

WideString WideIncludeTrailingBackslash(const WideString& S) {
  return WideLastChar(S) == L'\\' ? S : S + L'\\';
}

int WideLastDelimiter(const WideString& Delimiters, const WideString& S) {
  for (int i = static_cast<int>(S.size()); i >= 1; --i) {
    const wchar_t c = S[i - 1];
    if (c != 0 && Delimiters.find(c) != WideString::npos) return i;
  }
  return 0;
}

WideString WideExtractFilePath(const WideString& S) {
  return S.substr(0, static_cast<size_t>(WideLastDelimiter(L"\\:", S)));
}

WideString WideExtractFileName(const WideString& S) {
  return S.substr(static_cast<size_t>(WideLastDelimiter(L"\\:", S)));
}

// ---- files and modules ----

HANDLE WideFileCreate(const WideString& Name) {
  return WideCreateFile(Name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE WideFileOpen(const WideString& Name, unsigned Mode) {
  static const DWORD access[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
  static const DWORD share[] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE};
  const unsigned a = Mode & 3, s = (Mode & 0xF0) >> 4;
  // A mode outside the table opens nothing, as the platform reports a bad argument.
  if (a > 2 || s > 4) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  return WideCreateFile(Name.c_str(), access[a], share[s], nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
}

DWORD WideFileGetAttr(const WideString& Name) {
  return WideGetFileAttributes(Name.c_str());
}

bool WideFileExists(const WideString& Name) {
  const DWORD attr = WideFileGetAttr(Name);
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

int FindMatchingFile(TSearchRecW& F) {
  while (F.FindData.dwFileAttributes & F.ExcludeAttr) {
    if (!WideFindNextFile(F.FindHandle, &F.FindData)) return static_cast<int>(GetLastError());
  }
  FILETIME local{};
  FileTimeToLocalFileTime(&F.FindData.ftLastWriteTime, &local);
  WORD date = 0, time = 0;
  FileTimeToDosDateTime(&local, &date, &time);
  F.Time = static_cast<int32_t>((static_cast<uint32_t>(date) << 16) | time);
  F.Size = static_cast<int32_t>(F.FindData.nFileSizeLow);
  F.Attr = F.FindData.dwFileAttributes;
  const wchar_t* name = F.FindData.cFileName;
  F.Name.assign(name, wcsnlen(name, MAX_PATH));
  return 0;
}

}  // namespace

int WideFindFirst(const WideString& Path, DWORD Attr, TSearchRecW& F) {
  constexpr DWORD faSpecial = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | 0x08 /* volume */ |
                              FILE_ATTRIBUTE_DIRECTORY;
  F.ExcludeAttr = ~Attr & faSpecial;
  F.FindHandle = WideFindFirstFile(Path.c_str(), &F.FindData);
  if (F.FindHandle == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
  const int result = FindMatchingFile(F);
  if (result != 0) WideFindClose(F);
  return result;
}

int WideFindNext(TSearchRecW& F) {
  if (!WideFindNextFile(F.FindHandle, &F.FindData)) return static_cast<int>(GetLastError());
  return FindMatchingFile(F);
}

void WideFindClose(TSearchRecW& F) {
  if (F.FindHandle != INVALID_HANDLE_VALUE) {
    FindClose(F.FindHandle);
    F.FindHandle = INVALID_HANDLE_VALUE;
  }
}

void RaiseOSErrorCode(DWORD Code) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, Code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  WideString message;
  {
    auto release = ScopeExit([text] {
      if (text) LocalFree(text);
    });
    if (n && text) message.assign(text, n);
  }
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                              message.back() == L' ' || message.back() == L'.'))
    message.pop_back();
  if (message.empty()) message = L"System error " + std::to_wstring(Code);
  throw EOSError(NarrowText(message), Code);
}

void RaiseLastOSErrorW() {
  RaiseOSErrorCode(GetLastError());
}

DWORD CheckOSResult(DWORD Value) {
  if (Value == 0) RaiseLastOSErrorW();
  return Value;
}

WideString WideGetModuleName(HMODULE Module) {
  // A name that fills the buffer carries no terminator and may be cut: take the reported length
  // and ask again with more room rather than reading past the buffer.
  WideString buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD n = CheckOSResult(WideGetModuleFileName(Module, buffer.data(), size));
    if (n < size || size >= 32768) {
      buffer.resize(std::min(n, size));
      return buffer;
    }
    buffer.assign(static_cast<size_t>(size) * 2, L'\0');
  }
}
