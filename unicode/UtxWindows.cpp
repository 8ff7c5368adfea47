#include "unicode/UtxWindows.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <vector>

#include "base/TextConversion.h"
#include "unicode/UtxSystem.h"

namespace {

struct TPlatformState {
  UINT CodePage = CP_ACP;
  bool Unicode = false;
  bool XPOrLater = false;
};

TPlatformState DetectPlatform() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  GetVersionExA(&info);
  const bool nt = info.dwPlatformId == VER_PLATFORM_WIN32_NT;
  TPlatformState s;
  // The code page comes first: the flags below are read by code that already converts text.
  s.CodePage = (nt && info.dwMajorVersion >= 5) ? CP_THREAD_ACP : LocaleAnsiCodePage(GetThreadLocale());
  s.Unicode = nt;
  s.XPOrLater = (info.dwMajorVersion == 5 && info.dwMinorVersion >= 1) || info.dwMajorVersion > 5;
  return s;
}

TPlatformState& Platform() {
  static TPlatformState state = DetectPlatform();
  return state;
}

// The narrowed text for an A call: null stays null.
struct TAnsiArg {
  explicit TAnsiArg(LPCWSTR Text) : FNull(Text == nullptr), FText(NarrowText(Text)) {}
  LPCSTR Get() const { return FNull ? nullptr : FText.c_str(); }
  // An empty text goes to the A call as nil.
  LPCSTR GetOrNil() const { return (FNull || FText.empty()) ? nullptr : FText.c_str(); }

 private:
  bool FNull;
  AnsiString FText;
};

}  // namespace

// Narrowing one character reports whether the code page had to fall back to its default character.
bool HasAnsiEquivalent(wchar_t Ch) {
  BOOL usedDefault = FALSE;
  char bytes[8];
  const int n = WideCharToMultiByte(ConversionCodePage(), 0, &Ch, 1, bytes, sizeof bytes, nullptr,
                                    &usedDefault);
  return n > 0 && !usedDefault;
}

namespace {

wchar_t UpperEightBit(wchar_t Ch) {
  if (!HasAnsiEquivalent(Ch)) return Ch;
  char bytes[8] = {};
  const int n = WideCharToMultiByte(ConversionCodePage(), 0, &Ch, 1, bytes, sizeof bytes - 1,
                                    nullptr, nullptr);
  if (n <= 0) return Ch;
  CharUpperA(bytes);
  const WideString up = WidenText(bytes, n);
  return up.size() == 1 ? up[0] : Ch;
}

// The wide copy of the last string value WideVerQueryValue handed out on the 8-bit path.
WideString& VersionValue() {
  static WideString value;
  return value;
}

bool StartsWithStringFileInfo(LPCWSTR SubBlock) {
  static const wchar_t prefix[] = L"\\STRINGFILEINFO";
  for (size_t i = 0; prefix[i]; ++i) {
    wchar_t c = SubBlock[i];
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    if (c != prefix[i]) return false;
  }
  return true;
}

}  // namespace

UINT ConversionCodePage() {
  return Platform().CodePage;
}

bool UnicodePlatform() {
  return Platform().Unicode;
}

bool PlatformIsXPOrLater() {
  return Platform().XPOrLater;
}

TUtxPlatformOverride::TUtxPlatformOverride(bool Unicode, UINT CodePage) {
  TPlatformState& s = Platform();
  FUnicode = s.Unicode;
  FXP = s.XPOrLater;
  FCodePage = s.CodePage;
  s.Unicode = Unicode;
  s.CodePage = CodePage;
}

TUtxPlatformOverride::~TUtxPlatformOverride() {
  TPlatformState& s = Platform();
  s.Unicode = FUnicode;
  s.XPOrLater = FXP;
  s.CodePage = FCodePage;
}

AnsiString NarrowText(const wchar_t* Text, int Length) {
  if (!Text) return {};
  if (Length < 0) Length = static_cast<int>(wcslen(Text));
  return WideToCodePage(std::wstring_view(Text, static_cast<size_t>(Length)), ConversionCodePage());
}

AnsiString NarrowText(const WideString& Text) { return WideToCodePage(Text, ConversionCodePage()); }

WideString WidenText(const char* Text, int Length) {
  if (!Text) return {};
  if (Length < 0) Length = static_cast<int>(strlen(Text));
  return CodePageToWide(std::string_view(Text, static_cast<size_t>(Length)), ConversionCodePage());
}

WideString WidenText(const AnsiString& Text) { return CodePageToWide(Text, ConversionCodePage()); }

// ---- wrappers ----

HANDLE WideCreateFile(LPCWSTR FileName, DWORD Access, DWORD ShareMode,
                      LPSECURITY_ATTRIBUTES Security, DWORD Disposition, DWORD FlagsAndAttributes,
                      HANDLE Template) {
  if (UnicodePlatform())
    return CreateFileW(FileName, Access, ShareMode, Security, Disposition, FlagsAndAttributes,
                       Template);
  const TAnsiArg name(FileName);
  return CreateFileA(name.Get(), Access, ShareMode, Security, Disposition, FlagsAndAttributes,
                     Template);
}

void FindDataToWide(const WIN32_FIND_DATAA& Source, WIN32_FIND_DATAW& Dest) {
  Dest.dwFileAttributes = Source.dwFileAttributes;
  Dest.ftCreationTime = Source.ftCreationTime;
  Dest.ftLastAccessTime = Source.ftLastAccessTime;
  Dest.ftLastWriteTime = Source.ftLastWriteTime;
  Dest.nFileSizeHigh = Source.nFileSizeHigh;
  Dest.nFileSizeLow = Source.nFileSizeLow;
  Dest.dwReserved0 = Source.dwReserved0;
  Dest.dwReserved1 = Source.dwReserved1;
  auto copyName = [](const char* from, size_t fromSize, wchar_t* to, size_t toSize) {
    const size_t len = strnlen(from, fromSize - 1);
    const WideString w = WidenText(from, static_cast<int>(len));
    const size_t n = std::min(w.size(), toSize - 1);
    std::copy_n(w.data(), n, to);
    to[n] = L'\0';
  };
  copyName(Source.cFileName, sizeof Source.cFileName, Dest.cFileName,
           sizeof Dest.cFileName / sizeof(wchar_t));
  copyName(Source.cAlternateFileName, sizeof Source.cAlternateFileName, Dest.cAlternateFileName,
           sizeof Dest.cAlternateFileName / sizeof(wchar_t));
}

HANDLE WideFindFirstFile(LPCWSTR FileName, WIN32_FIND_DATAW* FindData) {
  if (UnicodePlatform()) return FindFirstFileW(FileName, FindData);
  const TAnsiArg name(FileName);
  WIN32_FIND_DATAA data{};
  HANDLE h = FindFirstFileA(name.Get(), &data);
  if (h != INVALID_HANDLE_VALUE) FindDataToWide(data, *FindData);
  return h;
}

BOOL WideFindNextFile(HANDLE FindFile, WIN32_FIND_DATAW* FindData) {
  if (UnicodePlatform()) return FindNextFileW(FindFile, FindData);
  WIN32_FIND_DATAA data{};
  const BOOL ok = FindNextFileA(FindFile, &data);
  if (ok) FindDataToWide(data, *FindData);
  return ok;
}

DWORD WideGetFileAttributes(LPCWSTR FileName) {
  if (UnicodePlatform()) return GetFileAttributesW(FileName);
  const TAnsiArg name(FileName);
  return GetFileAttributesA(name.Get());
}

int WideDrawText(HDC DC, LPCWSTR Text, int Count, RECT* Rect, UINT Format) {
  if (UnicodePlatform()) return DrawTextW(DC, Text, Count, Rect, Format);
  AnsiString narrow = NarrowText(Text, Count < 0 ? -1 : Count);
  // DT_MODIFYSTRING may write an ellipsis past the text: it writes into this copy only.
  std::vector<char> buffer(narrow.begin(), narrow.end());
  buffer.resize(buffer.size() + 8, '\0');
  return DrawTextA(DC, buffer.data(), -1, Rect, Format);
}

DWORD WideGetModuleFileName(HMODULE Module, LPWSTR Buffer, DWORD Size) {
  if (UnicodePlatform()) return GetModuleFileNameW(Module, Buffer, Size);
  char name[MAX_PATH + 1] = {};
  const DWORD n = GetModuleFileNameA(Module, name, MAX_PATH);
  if (n == 0) return 0;
  // A name that fills the buffer has no terminator: widen only what the call reported.
  const WideString wide = WidenText(name, static_cast<int>(std::min<DWORD>(n, MAX_PATH)));
  if (wide.size() < Size) {
    std::copy(wide.begin(), wide.end(), Buffer);
    Buffer[wide.size()] = L'\0';
    return static_cast<DWORD>(wide.size());
  }
  std::copy_n(wide.data(), Size, Buffer);
  return Size;
}

intptr_t WideShellExecute(HWND Window, LPCWSTR Operation, LPCWSTR File, LPCWSTR Parameters,
                          LPCWSTR Directory, INT ShowCommand) {
  if (UnicodePlatform()) {
    if (Operation && !*Operation) Operation = nullptr;
    return reinterpret_cast<intptr_t>(
        ShellExecuteW(Window, Operation, File, Parameters, Directory, ShowCommand));
  }
  const TAnsiArg op(Operation), file(File), params(Parameters), dir(Directory);
  return reinterpret_cast<intptr_t>(ShellExecuteA(Window, op.GetOrNil(), file.GetOrNil(),
                                                  params.GetOrNil(), dir.GetOrNil(), ShowCommand));
}

LPWSTR WideCharUpper(LPWSTR CharOrText) {
  if (UnicodePlatform()) return CharUpperW(CharOrText);
  if (IsIntResourceId(CharOrText)) {
    const auto ch = static_cast<wchar_t>(reinterpret_cast<uintptr_t>(CharOrText));
    return reinterpret_cast<LPWSTR>(static_cast<uintptr_t>(UpperEightBit(ch)));
  }
  for (wchar_t* p = CharOrText; *p; ++p) *p = UpperEightBit(*p);
  return CharOrText;
}

DWORD WideCharUpperBuff(LPWSTR Text, DWORD Count) {
  if (UnicodePlatform()) return CharUpperBuffW(Text, Count);
  for (DWORD i = 0; i < Count; ++i) Text[i] = UpperEightBit(Text[i]);
  return Count;
}

BOOL WideGetStringTypeEx(LCID Locale, DWORD InfoType, LPCWSTR Text, int Count, LPWORD Types) {
  if (UnicodePlatform()) return GetStringTypeExW(Locale, InfoType, Text, Count, Types);
  if (!Text || !Types) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // As the W call: -1 measures the text and includes its terminator.
  if (Count < 0) Count = static_cast<int>(wcslen(Text)) + 1;
  if (Count == 0) return GetStringTypeExA(Locale, InfoType, "", 0, Types);
  const UINT cp = ConversionCodePage();
  const int bytes = WideCharToMultiByte(cp, 0, Text, Count, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return FALSE;
  std::vector<char> narrow(static_cast<size_t>(bytes) + 1, '\0');
  WideCharToMultiByte(cp, 0, Text, Count, narrow.data(), bytes, nullptr, nullptr);
  // The A call reports by byte in some code pages: it always writes into a copy as long as the
  // narrowed text, and the caller receives exactly Count entries.
  std::vector<WORD> types(static_cast<size_t>(bytes) + 1, 0);
  if (bytes == Count) {
    if (!GetStringTypeExA(Locale, InfoType, narrow.data(), bytes, types.data())) return FALSE;
    std::copy_n(types.data(), Count, Types);
    return TRUE;
  }
  // A double-byte code page: classify each character (a surrogate pair as one) by its own bytes.
  for (int i = 0; i < Count;) {
    const int len = (IS_HIGH_SURROGATE(Text[i]) && i + 1 < Count && IS_LOW_SURROGATE(Text[i + 1]))
                        ? 2 : 1;
    char one[16] = {};
    const int n = WideCharToMultiByte(cp, 0, Text + i, len, one, sizeof one, nullptr, nullptr);
    WORD charTypes[16] = {};
    if (n <= 0 || !GetStringTypeExA(Locale, InfoType, one, n, charTypes)) return FALSE;
    for (int k = 0; k < len; ++k) Types[i + k] = charTypes[0];
    i += len;
  }
  return TRUE;
}

int LoadStringFromResource(HINSTANCE Instance, UINT Id, LPWSTR Buffer, int Size) {
  if ((Id >> 16) == 0xFFFF) Id = static_cast<UINT>(-static_cast<int>(Id));
  const UINT block = ((Id >> 4) & 0xFFFF) + 1;
  HRSRC res = FindResourceA(Instance, MAKEINTRESOURCEA(block), MAKEINTRESOURCEA(6));
  if (!res) return 0;
  HGLOBAL mem = LoadResource(Instance, res);
  if (!mem) return 0;
  const auto* p = static_cast<const WCHAR*>(LockResource(mem));
  if (!p) return 0;
  // Walk the table within the resource's own size: a damaged table must not be read past.
  const DWORD units = SizeofResource(Instance, res) / sizeof(WCHAR);
  DWORD pos = 0;
  for (UINT skip = Id & 15; skip > 0; --skip) {
    if (pos >= units) return 0;
    pos += 1 + p[pos];
  }
  if (pos >= units) return 0;
  const int count = static_cast<int>(std::min<DWORD>(p[pos], units - pos - 1));
  if (!Buffer || Size <= 0) return count;
  const int copied = std::min(Size - 1, count);
  std::copy_n(p + pos + 1, copied, Buffer);
  Buffer[copied] = L'\0';
  return copied;
}

int WideLoadString(HINSTANCE Instance, UINT Id, LPWSTR Buffer, int Size) {
  if (UnicodePlatform()) return LoadStringW(Instance, Id, Buffer, Size);
  return LoadStringFromResource(Instance, Id, Buffer, Size);
}

DWORD WideGetFileVersionInfoSize(LPCWSTR FileName, LPDWORD Handle) {
  if (UnicodePlatform()) return GetFileVersionInfoSizeW(FileName, Handle);
  const TAnsiArg name(FileName);
  return GetFileVersionInfoSizeA(name.Get(), Handle);
}

BOOL WideGetFileVersionInfo(LPCWSTR FileName, DWORD Handle, DWORD Length, LPVOID Block) {
  if (UnicodePlatform()) return GetFileVersionInfoW(FileName, Handle, Length, Block);
  const TAnsiArg name(FileName);
  return GetFileVersionInfoA(name.Get(), Handle, Length, Block);
}

BOOL WideVerQueryValue(LPCVOID Block, LPCWSTR SubBlock, LPVOID* Buffer, PUINT Length) {
  if (UnicodePlatform()) return VerQueryValueW(Block, SubBlock, Buffer, Length);
  const TAnsiArg sub(SubBlock);
  const BOOL ok = VerQueryValueA(Block, sub.Get(), Buffer, Length);
  if (ok && SubBlock && StartsWithStringFileInfo(SubBlock)) {
    WideString& value = VersionValue();
    value = WidenText(static_cast<const char*>(*Buffer), static_cast<int>(*Length));
    *Buffer = value.data();
    *Length = static_cast<UINT>(value.size());
  }
  return ok;
}
