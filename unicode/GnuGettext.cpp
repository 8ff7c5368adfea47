#include "unicode/GnuGettext.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "base/Scope.h"
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
  auto close = ScopeExit([h] { FindClose(h); });
  do {
    WideString name = fd.cFileName;
    if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..") result.push_back(name);
  } while (WideFindNextFile(h, &fd));
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
  // Held only to copy or set the fields below, never while calling out.
  TCriticalSection Lock;
  WideString Folder;  // empty: the default beside the module
  std::atomic<unsigned> Generation{1};
  TLocalizationProblemHandler ProblemHandler;
  TCatalogReadHook ReadHook;
  std::atomic<bool> ProblemShown{false};
};

TGettextGlobals& Globals() {
  static TGettextGlobals g;
  return g;
}

// How deep the current thread is in reading catalogs: a text translated meanwhile (an error text
// of the file layer) is looked up in the catalogs in use and never starts another reading.
thread_local int ReadingDepth = 0;

struct TReadingScope {
  TReadingScope() { ++ReadingDepth; }
  ~TReadingScope() { --ReadingDepth; }
  TReadingScope(const TReadingScope&) = delete;
  TReadingScope& operator=(const TReadingScope&) = delete;
};

void ShowLocalizationProblem(const WideString& Message, const WideString& /*CatalogFile*/) {
  // Once per process: every later catalog of the same kind would only repeat it.
  if (Globals().ProblemShown.exchange(true)) return;
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

// Called with no translator's lock held: the box runs a message loop for as long as the user
// leaves it open, and every other thread goes on translating meanwhile.
void ReportLocalizationProblem(const WideString& CatalogFile) noexcept {
  try {
    const WideString message = L"Localization problem";
    TLocalizationProblemHandler handler;
    {
      TCriticalSectionGuard guard(Globals().Lock);
      handler = Globals().ProblemHandler;
    }
    if (handler)
      handler(message, CatalogFile);
    else
      ShowLocalizationProblem(message, CatalogFile);
  } catch (...) {
    // Telling is a courtesy: the catalog is refused either way.
  }
}

void CallReadHook(const WideString& CatalogFile) {
  TCatalogReadHook hook;
  {
    TCriticalSectionGuard guard(Globals().Lock);
    hook = Globals().ReadHook;
  }
  if (hook) hook(CatalogFile);
}

// ---- catalog parsing -------------------------------------------------------------------------

constexpr uint32_t MoMagic = 0x950412DEu;
constexpr uint32_t MoMagicSwapped = 0xDE120495u;
// Nothing the system ships comes near this; a larger file is not a catalog of ours.
constexpr size_t MaxCatalogSize = 64u << 20;
// The text all entries name together, per byte of the file. A compiled catalog holds each string
// once, so its entries name at most its size; the margin admits catalogs that share a string
// between a few entries. Past it, entries point again and again into the same long strings, and
// reading them would cost entries times length, in time and memory, for a small file.
constexpr uint64_t MaxTextPerCatalogByte = 4;

uint32_t ReadWord(const unsigned char* P, bool BigEndian) {
  if (BigEndian) return uint32_t(P[0]) << 24 | uint32_t(P[1]) << 16 | uint32_t(P[2]) << 8 | uint32_t(P[3]);
  return uint32_t(P[3]) << 24 | uint32_t(P[2]) << 16 | uint32_t(P[1]) << 8 | uint32_t(P[0]);
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

AnsiString AsciiUpperCase(AnsiString s) {
  for (char& c : s) c = AsciiUpper(c);
  return s;
}

// Text without the blanks (spaces, tabs, carriage returns) at either end.
AnsiString TrimBlanks(const AnsiString& S) {
  const size_t first = S.find_first_not_of(" \t\r");
  if (first == AnsiString::npos) return {};
  return S.substr(first, S.find_last_not_of(" \t\r") - first + 1);
}

// True when the header's Content-Type line declares UTF-8: one of its parameters is
// charset=UTF-8, ASCII case ignored, blanks allowed around the name and the value but not inside
// them ("U TF-8" is no character set of ours).
bool HeaderDeclaresUtf8(const AnsiString& Header) {
  size_t start = 0;
  while (start < Header.size()) {
    size_t end = Header.find('\n', start);
    if (end == AnsiString::npos) end = Header.size();
    const AnsiString line = AsciiUpperCase(Header.substr(start, end - start));
    start = end + 1;
    if (line.rfind("CONTENT-TYPE:", 0) != 0) continue;
    // The media type and the parameters, each ended by ";": the colon stands in for the first.
    size_t at = line.find(':');
    while (at != AnsiString::npos) {
      const size_t next = line.find(';', at + 1);
      const AnsiString parameter = line.substr(at + 1, next == AnsiString::npos ? AnsiString::npos : next - at - 1);
      at = next;
      const size_t equals = parameter.find('=');
      if (equals == AnsiString::npos || TrimBlanks(parameter.substr(0, equals)) != "CHARSET") continue;
      AnsiString value = TrimBlanks(parameter.substr(equals + 1));
      if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
      return value == "UTF-8";
    }
    return false;
  }
  return false;
}

}  // namespace

// ---- UTF-8 -----------------------------------------------------------------------------------

namespace {

WideString Utf8ToWide(std::string_view S) {
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

}  // namespace

WideString GettextUtf8ToWide(const AnsiString& S) { return Utf8ToWide(S); }

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

void TMoCatalog::Clear() noexcept {
  FData.clear();
  FData.shrink_to_fit();
  FIndex.clear();
  FIndex.shrink_to_fit();
  FCount = 0;
  FHeader.clear();
}

std::string_view TMoCatalog::KeyOf(const TEntry& Entry) const {
  return {reinterpret_cast<const char*>(FData.data()) + Entry.KeyAt, Entry.KeyLength};
}

TMoCatalog::TLoadResult TMoCatalog::Parse(std::vector<unsigned char>& Bytes) {
  const unsigned char* const Data = Bytes.data();
  const size_t Size = Bytes.size();
  if (Size < 28) return TLoadResult::Damaged;
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

  // Every string in the file, and the text of all of them together within bounds, before any of
  // them is read: the lengths alone say what reading would cost.
  const uint64_t maxText = size * MaxTextPerCatalogByte;
  uint64_t text = 0;
  for (uint64_t i = 0; i < count; ++i) {
    for (uint64_t table : {originals, translations}) {
      const unsigned char* entry = Data + table + i * 8;
      const uint64_t length = ReadWord(entry, big);
      const uint64_t offset = ReadWord(entry + 4, big);
      if (offset + length > size) return TLoadResult::Damaged;
      text += length;
    }
    if (text > maxText) return TLoadResult::Damaged;
  }

  // Plural forms follow the singular after a NUL: only the singular is used.
  auto singular = [&](uint64_t table, uint64_t index, uint32_t& at, uint32_t& length) {
    const unsigned char* entry = Data + table + index * 8;
    length = ReadWord(entry, big);
    at = ReadWord(entry + 4, big);
    const void* nul = std::memchr(Data + at, 0, length);
    if (nul) length = static_cast<uint32_t>(static_cast<const unsigned char*>(nul) - (Data + at));
  };

  std::vector<TEntry> index;
  index.reserve(static_cast<size_t>(count));
  AnsiString header;
  bool haveHeader = false;
  for (uint64_t i = 0; i < count; ++i) {
    TEntry e;
    singular(originals, i, e.KeyAt, e.KeyLength);
    singular(translations, i, e.TextAt, e.TextLength);
    if (e.KeyLength == 0) {
      // The header is the catalog's description, never a text.
      header.assign(reinterpret_cast<const char*>(Data) + e.TextAt, e.TextLength);
      haveHeader = true;
      continue;
    }
    index.push_back(e);
  }
  if (!haveHeader || !HeaderDeclaresUtf8(header)) {
    FHeader = std::move(header);
    return TLoadResult::NotUtf8;
  }
  FData.swap(Bytes);
  auto byKey = [this](const TEntry& a, const TEntry& b) { return KeyOf(a) < KeyOf(b); };
  // Stable: of entries with the same identifier the last one in the file counts.
  std::stable_sort(index.begin(), index.end(), byKey);
  size_t distinct = 0;
  for (size_t i = 0; i < index.size(); ++i)
    if (i == 0 || KeyOf(index[i - 1]) != KeyOf(index[i])) ++distinct;
  FIndex = std::move(index);
  FCount = distinct;
  FHeader = std::move(header);
  return TLoadResult::Loaded;
}

TMoCatalog::TLoadResult TMoCatalog::LoadFromMemory(const unsigned char* Data, size_t Size) noexcept {
  Clear();
  if (!Data || Size < 28) return TLoadResult::Damaged;
  if (Size > MaxCatalogSize) return TLoadResult::Damaged;
  try {
    std::vector<unsigned char> bytes(Data, Data + Size);
    TLoadResult result = Parse(bytes);
    if (result != TLoadResult::Loaded && result != TLoadResult::NotUtf8) Clear();
    return result;
  } catch (...) {
    // Out of memory: the catalog cannot be used, like a damaged one.
    Clear();
    return TLoadResult::Damaged;
  }
}

TMoCatalog::TLoadResult TMoCatalog::LoadFromFile(const WideString& FileName) noexcept {
  Clear();
  try {
    // A missing catalog is the common case ("de_DE" before "de"): no exception for it.
    if (!IsFile(FileName)) return TLoadResult::Missing;
    std::vector<unsigned char> data;
    try {
      // Read, deny none: another program may be replacing catalogs while we read ours.
      TUtxFileStream stream(FileName, fmOpenRead | fmShareDenyNone);
      const int64_t size = stream.Size();
      if (size < 0 || size > static_cast<int64_t>(MaxCatalogSize)) return TLoadResult::Damaged;
      data.resize(static_cast<size_t>(size));
      int done = 0;
      while (done < size) {
        const int got = stream.Read(data.data() + done, static_cast<int>(size - done));
        if (got <= 0) return TLoadResult::Damaged;
        done += got;
      }
    } catch (const std::bad_alloc&) {
      throw;
    } catch (...) {
      // Gone or locked between the look and the opening.
      return TLoadResult::Missing;
    }
    TLoadResult result = Parse(data);
    if (result != TLoadResult::Loaded && result != TLoadResult::NotUtf8) Clear();
    return result;
  } catch (...) {
    // Out of memory: the catalog cannot be used, like a damaged one.
    Clear();
    return TLoadResult::Damaged;
  }
}

bool TMoCatalog::Lookup(const AnsiString& MsgIdUtf8, WideString& Translation) const {
  auto byKey = [this](std::string_view key, const TEntry& e) { return key < KeyOf(e); };
  auto after = std::upper_bound(FIndex.begin(), FIndex.end(), std::string_view(MsgIdUtf8), byKey);
  if (after == FIndex.begin()) return false;
  const TEntry& found = *(after - 1);
  if (KeyOf(found) != MsgIdUtf8 || found.TextLength == 0) return false;
  Translation = Utf8ToWide({reinterpret_cast<const char*>(FData.data()) + found.TextAt, found.TextLength});
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

namespace {

// The catalog of one domain in one language.
struct TDomainCatalog {
  std::shared_ptr<const TMoCatalog> Catalog;  // null: none
  bool NotUtf8 = false;
  WideString File;  // the one refused for its character set
};

// Reads with no lock held; throws only when memory runs out.
TDomainCatalog ReadDomainCatalog(const WideString& Language, const AnsiString& Domain) {
  TDomainCatalog read;
  // "de_DE" falls back to "de".
  std::vector<WideString> codes;
  if (!Language.empty()) {
    codes.push_back(Language);
    size_t underscore = Language.find(L'_');
    if (underscore != WideString::npos && underscore > 0) codes.push_back(Language.substr(0, underscore));
  }
  const WideString folder = GetCatalogFolder();
  const WideString domain = Widen(Domain);
  for (const WideString& code : codes) {
    // A code is a folder name: nothing that climbs out of the catalog folder.
    if (code.find_first_of(L"\\/:") != WideString::npos || code == L"." || code == L"..") continue;
    const WideString file = folder + code + L"\\LC_MESSAGES\\" + domain + L".mo";
    auto loaded = std::make_shared<TMoCatalog>();
    const TMoCatalog::TLoadResult result = loaded->LoadFromFile(file);
    CallReadHook(file);
    if (result == TMoCatalog::TLoadResult::Loaded) {
      read.Catalog = std::move(loaded);
      break;
    }
    if (result == TMoCatalog::TLoadResult::NotUtf8) {
      read.NotUtf8 = true;
      read.File = file;
      break;
    }
    // Missing or damaged: the more general language may still have a good one.
  }
  return read;
}

}  // namespace

void TGnuGettextInstance::UseLanguage(const WideString& Code) { Load(&Code); }

void TGnuGettextInstance::Load(const WideString* Code) noexcept {
  TReadingScope reading;
  const unsigned generation = Globals().Generation.load();
  uint64_t request = 0;
  // First the new catalogs, after the swap the old ones: freed once the lock is let go.
  TCatalogs catalogs;
  std::vector<WideString> problems;
  bool installed = false;
  try {
    WideString code;
    {
      TCriticalSectionGuard guard(FLock);
      const bool pending = FNewestRequest != FInstalledRequest;
      request = ++FNewestRequest;
      if (Code)
        FRequested = *Code;
      else if (!pending)
        FRequested = FLanguageChosen ? FLanguage : WideString();
      code = FRequested;
    }
    WideString language = code.empty() ? GetAutomaticLanguage() : code;
    // The system's own domains at once, so a bad catalog shows when the language is chosen.
    for (const char* domain : {DefaultTextDomain, LibraryTextDomain}) {
      TDomainCatalog read = ReadDomainCatalog(language, domain);
      if (read.NotUtf8) problems.push_back(read.File);
      catalogs[domain] = std::move(read.Catalog);
    }
    TCriticalSectionGuard guard(FLock);
    // A newer choice already in use stays: the last language asked for wins.
    if (request > FInstalledRequest) {
      FInstalledRequest = request;
      FLanguage.swap(language);
      FCatalogs.swap(catalogs);
      FTranslationOff = !problems.empty();
      FLanguageChosen = true;
      FFolderGeneration = generation;
      installed = true;
    }
  } catch (...) {
    // Out of memory while reading: no catalog, and the texts stay untranslated.
    problems.clear();
    catalogs.clear();
    TCriticalSectionGuard guard(FLock);
    if (request != 0 && request > FInstalledRequest) {
      FInstalledRequest = request;
      FLanguage.swap(FRequested);
      FCatalogs.swap(catalogs);
      FTranslationOff = true;
      FLanguageChosen = true;
      FFolderGeneration = generation;
    }
  }
  if (installed)
    for (const WideString& file : problems) ReportLocalizationProblem(file);
}

bool TGnuGettextInstance::IsStale() const {
  // The catalog folder moved: everything is read again from there.
  return !FLanguageChosen || FFolderGeneration != Globals().Generation.load();
}

WideString TGnuGettextInstance::GetCurrentLanguage() {
  {
    TCriticalSectionGuard guard(FLock);
    if (!IsStale() || ReadingDepth > 0) return FLanguage;
  }
  Load(nullptr);
  TCriticalSectionGuard guard(FLock);
  return FLanguage;
}

bool TGnuGettextInstance::TranslationEnabled() const {
  TCriticalSectionGuard guard(FLock);
  return !FTranslationOff;
}

bool TGnuGettextInstance::CatalogOf(const AnsiString& Domain, std::shared_ptr<const TMoCatalog>& Catalog) noexcept {
  Catalog.reset();
  const bool reading = ReadingDepth > 0;
  try {
    uint64_t installed = 0;
    WideString language;
    for (int attempt = 0;; ++attempt) {
      {
        TCriticalSectionGuard guard(FLock);
        // Once read again, the catalogs are used even if the folder moved once more meanwhile.
        if (reading || attempt > 0 || !IsStale()) {
          if (FTranslationOff) return false;
          auto found = FCatalogs.find(Domain);
          if (found != FCatalogs.end()) {
            Catalog = found->second;
            return true;
          }
          if (reading || !FLanguageChosen) return true;
          installed = FInstalledRequest;
          language = FLanguage;
          break;
        }
      }
      Load(nullptr);
    }

    // The first text of another domain: its catalog is read now, with no lock held.
    TDomainCatalog read;
    {
      TReadingScope scope;
      read = ReadDomainCatalog(language, Domain);
    }
    bool report = false, enabled;
    {
      TCriticalSectionGuard guard(FLock);
      if (FInstalledRequest == installed) {
        // Another thread may have read the same domain meanwhile: the first one stays.
        auto [at, added] = FCatalogs.emplace(Domain, read.Catalog);
        if (added && read.NotUtf8) {
          FTranslationOff = true;
          report = true;
        }
        Catalog = at->second;
        enabled = !FTranslationOff;
      } else {
        // Another language came in use meanwhile: this one text is looked up as read.
        Catalog = read.Catalog;
        enabled = !read.NotUtf8;
      }
    }
    if (report) ReportLocalizationProblem(read.File);
    return enabled;
  } catch (...) {
    // Out of memory: the text stays untranslated.
    Catalog.reset();
    return true;
  }
}

WideString TGnuGettextInstance::TranslateIn(const AnsiString& Domain, const WideString& MsgId) {
  // The empty identifier would find the catalog's header, which is not a text.
  if (MsgId.empty()) return {};
  std::shared_ptr<const TMoCatalog> catalog;
  if (!CatalogOf(Domain, catalog) || !catalog) return MsgId;
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
  TCriticalSectionGuard guard(Globals().Lock);
  Globals().Folder.swap(folder);
  ++Globals().Generation;
}

WideString GetCatalogFolder() {
  {
    TCriticalSectionGuard guard(Globals().Lock);
    if (!Globals().Folder.empty()) return Globals().Folder;
  }
  static const WideString folder = DefaultCatalogFolder();
  return folder;
}

TLocalizationProblemHandler SetLocalizationProblemHandler(TLocalizationProblemHandler Handler) {
  TCriticalSectionGuard guard(Globals().Lock);
  TLocalizationProblemHandler previous = std::move(Globals().ProblemHandler);
  Globals().ProblemHandler = std::move(Handler);
  return previous;
}

void SetCatalogReadHook(TCatalogReadHook Hook) {
  TCriticalSectionGuard guard(Globals().Lock);
  Globals().ReadHook = std::move(Hook);
}
