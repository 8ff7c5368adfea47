#include "unicode/GnuGettext.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "classlib/ResStrings.h"
#include "unicode/UtxClasses.h"
#include "unicode/UtxWindows.h"

namespace {

// ---- platform ------------------------------------------------------------------------------

AnsiString Narrow(const WideString& S) { return NarrowText(S); }
WideString Widen(const AnsiString& S) { return WidenText(S); }

bool IsFile(const WideString& Path) {
  DWORD a = WideGetFileAttributes(Path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// The names of the sub-folders of Folder (which ends with a backslash).
std::vector<WideString> SubFolders(const WideString& Folder) {
  std::vector<WideString> result;
  WIN32_FIND_DATAW fd;
  HANDLE h = WideFindFirstFile((Folder + L"*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return result;
  do {
    WideString name = fd.cFileName;
    if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..") result.push_back(name);
  } while (WideFindNextFile(h, &fd));
  FindClose(h);
  return result;
}

// The module that holds this code: the shared library inside the browser finds its own folder.
HMODULE ThisModule() {
  static const char marker = 0;
  using TGetModuleHandleExW = BOOL(WINAPI*)(DWORD, LPCWSTR, HMODULE*);
  // Looked up at run time: the call does not exist before Windows XP.
  auto getHandle = reinterpret_cast<TGetModuleHandleExW>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetModuleHandleExW")));
  HMODULE module = nullptr;
  if (getHandle &&
      getHandle(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                reinterpret_cast<LPCWSTR>(&marker), &module))
    return module;
  // Older systems: a module's image starts at the allocation base of its pages.
  MEMORY_BASIC_INFORMATION mbi;
  if (VirtualQuery(&marker, &mbi, sizeof mbi)) return static_cast<HMODULE>(mbi.AllocationBase);
  return nullptr;
}

WideString ModuleFileName(HMODULE Module) {
  for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
    WideString name(size, L'\0');
    DWORD n = WideGetModuleFileName(Module, name.data(), size);
    if (n == 0) return {};
    if (n < size) return name.substr(0, n);
  }
  return {};
}

WideString DefaultCatalogFolder() {
  WideString file = ModuleFileName(ThisModule());
  size_t slash = file.find_last_of(L"\\/");
  WideString folder = slash == WideString::npos ? WideString() : file.substr(0, slash + 1);
  return folder + L"locale\\";
}

WideString GetEnvironmentText(const wchar_t* Name) {
  if (UnicodePlatform()) {
    DWORD n = GetEnvironmentVariableW(Name, nullptr, 0);
    if (n == 0) return {};
    WideString v(n, L'\0');
    n = GetEnvironmentVariableW(Name, v.data(), n);
    v.resize(n < v.size() ? n : 0);
    return v;
  }
  AnsiString name = Narrow(Name);
  DWORD n = GetEnvironmentVariableA(name.c_str(), nullptr, 0);
  if (n == 0) return {};
  AnsiString v(n, '\0');
  n = GetEnvironmentVariableA(name.c_str(), v.data(), n);
  v.resize(n < v.size() ? n : 0);
  return Widen(v);
}

AnsiString LocaleText(LCID Locale, LCTYPE Type) {
  char buffer[16] = {};
  int n = GetLocaleInfoA(Locale, Type, buffer, sizeof buffer);
  return n > 1 ? AnsiString(buffer) : AnsiString();
}

// ---- state shared by every translator --------------------------------------------------------

struct TGettextGlobals {
  WideString Folder;  // empty: the default beside the module
  unsigned Generation = 1;
  TLocalizationProblemHandler ProblemHandler;
  bool ProblemShown = false;
};

TGettextGlobals& Globals() {
  static TGettextGlobals g;
  return g;
}

void ShowLocalizationProblem(const WideString& Message, const WideString& /*CatalogFile*/) {
  // Once per process: every later catalog of the same kind would only repeat it.
  if (Globals().ProblemShown) return;
  Globals().ProblemShown = true;
  WideString program = ModuleFileName(nullptr);
  size_t slash = program.find_last_of(L"\\/");
  if (slash != WideString::npos) program.erase(0, slash + 1);
  size_t dot = program.rfind(L'.');
  if (dot != WideString::npos) program.erase(dot);
  const UINT flags = MB_OK | MB_ICONWARNING | MB_TASKMODAL;
  if (UnicodePlatform())
    MessageBoxW(nullptr, Message.c_str(), program.c_str(), flags);
  else
    MessageBoxA(nullptr, Narrow(Message).c_str(), Narrow(program).c_str(), flags);
}

void ReportLocalizationProblem(const WideString& CatalogFile) {
  const WideString message = L"Localization problem";
  auto& handler = Globals().ProblemHandler;
  if (handler)
    handler(message, CatalogFile);
  else
    ShowLocalizationProblem(message, CatalogFile);
}

// ---- catalog parsing -------------------------------------------------------------------------

constexpr uint32_t MoMagic = 0x950412DEu;
constexpr uint32_t MoMagicSwapped = 0xDE120495u;
// Nothing the system ships comes near this; a larger file is not a catalog of ours.
constexpr size_t MaxCatalogSize = 64u << 20;

uint32_t ReadWord(const unsigned char* P, bool BigEndian) {
  if (BigEndian) return uint32_t(P[0]) << 24 | uint32_t(P[1]) << 16 | uint32_t(P[2]) << 8 | uint32_t(P[3]);
  return uint32_t(P[3]) << 24 | uint32_t(P[2]) << 16 | uint32_t(P[1]) << 8 | uint32_t(P[0]);
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

AnsiString AsciiUpperCase(AnsiString s) {
  for (char& c : s) c = AsciiUpper(c);
  return s;
}

// True when the header's Content-Type line declares UTF-8.
bool HeaderDeclaresUtf8(const AnsiString& Header) {
  size_t start = 0;
  while (start < Header.size()) {
    size_t end = Header.find('\n', start);
    if (end == AnsiString::npos) end = Header.size();
    AnsiString line = AsciiUpperCase(Header.substr(start, end - start));
    if (line.rfind("CONTENT-TYPE:", 0) == 0) {
      line.erase(std::remove(line.begin(), line.end(), ' '), line.end());
      size_t at = line.find("CHARSET=");
      if (at == AnsiString::npos) return false;
      AnsiString charset = line.substr(at + 8);
      size_t stop = charset.find_first_of(";\r\t");
      if (stop != AnsiString::npos) charset.erase(stop);
      return charset == "UTF-8";
    }
    start = end + 1;
  }
  return false;
}

}  // namespace

// ---- UTF-8 -----------------------------------------------------------------------------------

WideString GettextUtf8ToWide(const AnsiString& S) {
  WideString r;
  r.reserve(S.size());
  const size_t n = S.size();
  size_t i = 0;
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(S[i]);
    if (c < 0x80) {
      r.push_back(wchar_t(c));
      ++i;
      continue;
    }
    int extra;
    uint32_t cp, min;
    if ((c & 0xE0) == 0xC0) extra = 1, cp = c & 0x1F, min = 0x80;
    else if ((c & 0xF0) == 0xE0) extra = 2, cp = c & 0x0F, min = 0x800;
    else if ((c & 0xF8) == 0xF0) extra = 3, cp = c & 0x07, min = 0x10000;
    else {
      r.push_back(wchar_t(0xFFFD));
      ++i;
      continue;
    }
    size_t j = i + 1;
    bool ok = true;
    for (int k = 0; k < extra; ++k, ++j) {
      if (j >= n || (static_cast<unsigned char>(S[j]) & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = cp << 6 | (static_cast<unsigned char>(S[j]) & 0x3F);
    }
    if (!ok || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      // The lead byte and the continuation bytes seen so far become one replacement character.
      r.push_back(wchar_t(0xFFFD));
      i = j;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      r.push_back(wchar_t(0xD800 + (cp >> 10)));
      r.push_back(wchar_t(0xDC00 + (cp & 0x3FF)));
    } else {
      r.push_back(wchar_t(cp));
    }
    i = j;
  }
  return r;
}

AnsiString GettextWideToUtf8(const WideString& S) {
  AnsiString r;
  r.reserve(S.size());
  for (size_t i = 0; i < S.size(); ++i) {
    uint32_t cp = static_cast<uint16_t>(S[i]);
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < S.size() && static_cast<uint16_t>(S[i + 1]) >= 0xDC00 &&
        static_cast<uint16_t>(S[i + 1]) <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<uint16_t>(S[i + 1]) - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      r.push_back(char(cp));
    } else if (cp < 0x800) {
      r.push_back(char(0xC0 | cp >> 6));
      r.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      r.push_back(char(0xE0 | cp >> 12));
      r.push_back(char(0x80 | (cp >> 6 & 0x3F)));
      r.push_back(char(0x80 | (cp & 0x3F)));
    } else {
      r.push_back(char(0xF0 | cp >> 18));
      r.push_back(char(0x80 | (cp >> 12 & 0x3F)));
      r.push_back(char(0x80 | (cp >> 6 & 0x3F)));
      r.push_back(char(0x80 | (cp & 0x3F)));
    }
  }
  return r;
}

// ---- TMoCatalog ------------------------------------------------------------------------------

TMoCatalog::TLoadResult TMoCatalog::LoadFromMemory(const unsigned char* Data, size_t Size) {
  FEntries.clear();
  FHeader.clear();
  if (!Data || Size < 28) return TLoadResult::Damaged;
  bool big;
  uint32_t magic = ReadWord(Data, false);
  if (magic == MoMagic) big = false;
  else if (magic == MoMagicSwapped) big = true;
  else return TLoadResult::Damaged;
  const uint32_t revision = ReadWord(Data + 4, big);
  if ((revision >> 16) > 1) return TLoadResult::Damaged;  // a format we do not know
  const uint64_t count = ReadWord(Data + 8, big);
  const uint64_t originals = ReadWord(Data + 12, big);
  const uint64_t translations = ReadWord(Data + 16, big);
  const uint64_t size = Size;
  if (originals + count * 8 > size || translations + count * 8 > size) return TLoadResult::Damaged;

  auto text = [&](uint64_t table, uint64_t index, AnsiString& out) {
    const unsigned char* entry = Data + table + index * 8;
    const uint64_t length = ReadWord(entry, big);
    const uint64_t offset = ReadWord(entry + 4, big);
    if (offset + length > size) return false;
    const char* p = reinterpret_cast<const char*>(Data + offset);
    // Plural forms follow the singular after a NUL: only the singular is used.
    const void* nul = std::memchr(p, 0, length);
    out.assign(p, nul ? static_cast<const char*>(nul) - p : length);
    return true;
  };

  std::map<AnsiString, WideString> entries;
  AnsiString header;
  bool haveHeader = false;
  for (uint64_t i = 0; i < count; ++i) {
    AnsiString id, tr;
    if (!text(originals, i, id) || !text(translations, i, tr)) return TLoadResult::Damaged;
    if (id.empty()) {
      header = tr;
      haveHeader = true;
      continue;  // the header is the catalog's description, never a text
    }
    entries[id] = GettextUtf8ToWide(tr);
  }
  if (!haveHeader || !HeaderDeclaresUtf8(header)) {
    FHeader = header;
    return TLoadResult::NotUtf8;
  }
  FEntries = std::move(entries);
  FHeader = std::move(header);
  return TLoadResult::Loaded;
}

TMoCatalog::TLoadResult TMoCatalog::LoadFromFile(const WideString& FileName) {
  FEntries.clear();
  FHeader.clear();
  // A missing catalog is the common case ("de_DE" before "de"): no exception for it.
  if (!IsFile(FileName)) return TLoadResult::Missing;
  try {
    // Read, deny none: another program may be replacing catalogs while we read ours.
    TUtxFileStream stream(FileName, fmOpenRead | fmShareDenyNone);
    const int64_t size = stream.Size();
    if (size < 0 || size > static_cast<int64_t>(MaxCatalogSize)) return TLoadResult::Damaged;
    std::vector<unsigned char> data(static_cast<size_t>(size));
    int done = 0;
    while (done < size) {
      const int got = stream.Read(data.data() + done, static_cast<int>(size - done));
      if (got <= 0) return TLoadResult::Damaged;
      done += got;
    }
    return LoadFromMemory(data.data(), data.size());
  } catch (const std::exception&) {
    // Gone or locked between the look and the opening.
    return TLoadResult::Missing;
  }
}

bool TMoCatalog::Lookup(const AnsiString& MsgIdUtf8, WideString& Translation) const {
  auto it = FEntries.find(MsgIdUtf8);
  if (it == FEntries.end() || it->second.empty()) return false;
  Translation = it->second;
  return true;
}

// ---- TGnuGettextInstance ---------------------------------------------------------------------

WideString GetAutomaticLanguage() {
  WideString lang = GetEnvironmentText(L"LANG");
  // "de_DE.UTF-8@euro": only the language and the country name a catalog.
  size_t cut = lang.find_first_of(L".@");
  if (cut != WideString::npos) lang.erase(cut);
  if (!lang.empty() && lang != L"C" && lang != L"POSIX") return lang;

  const LCID locale = GetThreadLocale();
  AnsiString language = LocaleText(locale, LOCALE_SISO639LANGNAME);
  if (language.empty()) return {};
  AnsiString country = LocaleText(locale, LOCALE_SISO3166CTRYNAME);
  return Widen(country.empty() ? language : language + "_" + country);
}

void TGnuGettextInstance::UseLanguage(const WideString& Code) {
  TCriticalSectionGuard guard(FLock);
  FLanguage = Code.empty() ? GetAutomaticLanguage() : Code;
  FLanguageChosen = true;
  FTranslationOff = false;
  FCatalogs.clear();
  FFolderGeneration = Globals().Generation;
  // The system's own domains at once, so a bad catalog shows when the language is chosen.
  CatalogOf(DefaultTextDomain);
  CatalogOf(LibraryTextDomain);
}

void TGnuGettextInstance::EnsureLanguage() {
  if (!FLanguageChosen) {
    UseLanguage(WideString());
  } else if (FFolderGeneration != Globals().Generation) {
    // The catalog folder moved: everything is read again from there.
    UseLanguage(FLanguage);
  }
}

WideString TGnuGettextInstance::GetCurrentLanguage() {
  TCriticalSectionGuard guard(FLock);
  EnsureLanguage();
  return FLanguage;
}

const TMoCatalog* TGnuGettextInstance::CatalogOf(const AnsiString& Domain) {
  auto found = FCatalogs.find(Domain);
  if (found != FCatalogs.end()) return found->second.get();

  // Until the catalog is read the domain has none: a text translated while we read (an error
  // text of the file layer) must not start reading it again.
  FCatalogs[Domain] = nullptr;
  std::shared_ptr<const TMoCatalog> catalog;
  // "de_DE" falls back to "de".
  std::vector<WideString> codes;
  if (!FLanguage.empty()) {
    codes.push_back(FLanguage);
    size_t underscore = FLanguage.find(L'_');
    if (underscore != WideString::npos && underscore > 0) codes.push_back(FLanguage.substr(0, underscore));
  }
  const WideString folder = GetCatalogFolder();
  const WideString domain = Widen(Domain);
  for (const WideString& code : codes) {
    // A code is a folder name: nothing that climbs out of the catalog folder.
    if (code.find_first_of(L"\\/:") != WideString::npos || code == L"." || code == L"..") continue;
    const WideString file = folder + code + L"\\LC_MESSAGES\\" + domain + L".mo";
    auto loaded = std::make_shared<TMoCatalog>();
    TMoCatalog::TLoadResult result = loaded->LoadFromFile(file);
    if (result == TMoCatalog::TLoadResult::Loaded) {
      catalog = loaded;
      break;
    }
    if (result == TMoCatalog::TLoadResult::NotUtf8) {
      FTranslationOff = true;
      ReportLocalizationProblem(file);
      break;
    }
    // Missing or damaged: the more general language may still have a good one.
  }
  FCatalogs[Domain] = catalog;
  return catalog.get();
}

WideString TGnuGettextInstance::TranslateIn(const AnsiString& Domain, const WideString& MsgId) {
  // The empty identifier would find the catalog's header, which is not a text.
  if (MsgId.empty()) return {};
  TCriticalSectionGuard guard(FLock);
  EnsureLanguage();
  const TMoCatalog* catalog = CatalogOf(Domain);
  if (FTranslationOff || !catalog) return MsgId;
  WideString translation;
  if (catalog->Lookup(GettextWideToUtf8(MsgId), translation)) return translation;
  return MsgId;
}

WideString TGnuGettextInstance::Translate(const WideString& MsgId) { return TranslateIn(DefaultTextDomain, MsgId); }

std::vector<WideString> TGnuGettextInstance::GetListOfLanguages(const AnsiString& Domain) const {
  const WideString folder = GetCatalogFolder();
  const WideString file = L"\\LC_MESSAGES\\" + Widen(Domain) + L".mo";
  std::vector<WideString> codes;
  for (const WideString& name : SubFolders(folder))
    if (IsFile(folder + name + file)) codes.push_back(name);
  std::sort(codes.begin(), codes.end());
  return codes;
}

// ---- the program's translator ----------------------------------------------------------------

TGnuGettextInstance& DefaultInstance() {
  // Made once, also when several threads ask first at the same time.
  static TGnuGettextInstance& instance = []() -> TGnuGettextInstance& {
    static TGnuGettextInstance made;
    // The class library's texts are translated in the program's domain like every other text.
    SetResStringTranslator([](const WideString& Text) { return DefaultInstance().Translate(Text); });
    return made;
  }();
  return instance;
}

WideString Translate(const WideString& MsgId) { return DefaultInstance().Translate(MsgId); }
WideString TranslateIn(const AnsiString& Domain, const WideString& MsgId) {
  return DefaultInstance().TranslateIn(Domain, MsgId);
}
void UseLanguage(const WideString& Code) { DefaultInstance().UseLanguage(Code); }
WideString GetCurrentLanguage() { return DefaultInstance().GetCurrentLanguage(); }

void SetCatalogFolder(const WideString& LocaleFolder) {
  WideString folder = LocaleFolder;
  if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  Globals().Folder = folder;
  ++Globals().Generation;
}

WideString GetCatalogFolder() {
  if (!Globals().Folder.empty()) return Globals().Folder;
  static const WideString folder = DefaultCatalogFolder();
  return folder;
}

TLocalizationProblemHandler SetLocalizationProblemHandler(TLocalizationProblemHandler Handler) {
  TLocalizationProblemHandler previous = std::move(Globals().ProblemHandler);
  Globals().ProblemHandler = std::move(Handler);
  return previous;
}
