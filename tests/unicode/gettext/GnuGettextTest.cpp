#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "classlib/ResStrings.h"
#include "tests/support/TestFiles.h"
#include "tests/support/MoCatalogMaker.h"
#include "tests/unicode/gettext/TestCatalogFolders.h"
#include "unicode/GnuGettext.h"

namespace {

const WideString Native = L"***native language name***";

// A scratch catalog folder of this program. Its name holds a character outside ASCII, so the
// file names go through the platform's wide or 8-bit calls.
WideString ScratchLocale(const WideString& code) {
  const WideString folder = ScratchCatalogFolder(L"scratch-\u00e9");
  CreateDirectoryW((folder + code).c_str(), nullptr);
  CreateDirectoryW((folder + code + L"\\LC_MESSAGES").c_str(), nullptr);
  return folder;
}

uint32_t Word(const std::vector<unsigned char>& d, size_t at) {
  uint32_t v;
  std::memcpy(&v, d.data() + at, 4);
  return v;
}

void PutWord(std::vector<unsigned char>& d, size_t at, uint32_t v) { std::memcpy(d.data() + at, &v, 4); }

// The same catalog in the other byte order: header, both string tables and the hash table.
std::vector<unsigned char> ByteSwapped(std::vector<unsigned char> d) {
  const uint32_t count = Word(d, 8), originals = Word(d, 12), translations = Word(d, 16);
  const uint32_t hashSize = Word(d, 20), hashAt = Word(d, 24);
  std::vector<size_t> words;
  for (size_t i = 0; i < 7; ++i) words.push_back(i * 4);
  for (uint32_t i = 0; i < count * 2; ++i) {
    words.push_back(originals + i * 4);
    words.push_back(translations + i * 4);
  }
  for (uint32_t i = 0; i < hashSize; ++i) words.push_back(hashAt + i * 4);
  for (size_t at : words) std::reverse(d.begin() + at, d.begin() + at + 4);
  return d;
}

class GnuGettext : public ::testing::Test {
 protected:
  void SetUp() override {
    SetCatalogFolder(TestCatalogs());
    SetLocalizationProblemHandler([this](const WideString& message, const WideString& file) {
      Problems.push_back(message);
      ProblemFiles.push_back(file);
    });
  }
  void TearDown() override {
    SetLocalizationProblemHandler(nullptr);
    SetCatalogFolder(L"");
    SetEnvironmentVariableW(L"LANG", nullptr);
  }
  std::vector<WideString> Problems, ProblemFiles;
};

TEST_F(GnuGettext, GermanLookupInEachDomain) {
  UseLanguage(L"de");
  EXPECT_EQ(GetCurrentLanguage(), L"de");
  EXPECT_EQ(Translate(L"Hello"), L"Hallo");
  EXPECT_EQ(Translate(L"Close"), L"Schlie\u00dfen");
  EXPECT_EQ(TranslateIn("tervana", L"Hello"), L"Servus");
  EXPECT_EQ(TranslateIn("tervana", L"Automatic"), L"Automatisch");
  EXPECT_EQ(TranslateIn("default", Native), L"Deutsch");
  // Unknown texts, texts left empty in the catalog and unknown domains stay as they are.
  EXPECT_EQ(Translate(L"Not in any catalog"), L"Not in any catalog");
  EXPECT_EQ(Translate(L"Untranslated here"), L"Untranslated here");
  EXPECT_EQ(TranslateIn("nosuchdomain", L"Hello"), L"Hello");
  // The singular of a plural entry.
  EXPECT_EQ(Translate(L"One file"), L"Eine Datei");
  EXPECT_TRUE(Problems.empty());
}

TEST_F(GnuGettext, EmptyMessageIdIsNeverTheCatalogHeader) {
  UseLanguage(L"de");
  EXPECT_EQ(Translate(L""), L"");
  EXPECT_EQ(TranslateIn("tervana", L""), L"");
  TGnuGettextInstance other;
  other.UseLanguage(L"fr");
  EXPECT_EQ(other.TranslateIn("tervana", L""), L"");
}

TEST_F(GnuGettext, SwitchLanguageAndBack) {
  UseLanguage(L"de");
  EXPECT_EQ(Translate(L"Hello"), L"Hallo");
  UseLanguage(L"fr");
  EXPECT_EQ(GetCurrentLanguage(), L"fr");
  EXPECT_EQ(Translate(L"Hello"), L"Bonjour");
  EXPECT_EQ(TranslateIn("tervana", L"Automatic"), L"Automatique");
  UseLanguage(L"xx");  // no catalog: the texts as written
  EXPECT_EQ(Translate(L"Hello"), L"Hello");
  UseLanguage(L"de");
  EXPECT_EQ(Translate(L"Hello"), L"Hallo");
}

struct TranslatingThreads {
  volatile LONG Stop = 0;
  volatile LONG Wrong = 0;
};

DWORD WINAPI TranslateUntilStopped(void* p) {
  auto* s = static_cast<TranslatingThreads*>(p);
  while (!s->Stop) {
    const WideString t = Translate(L"Hello");
    if (t != L"Hallo" && t != L"Bonjour") InterlockedIncrement(&s->Wrong);
  }
  return 0;
}

// The browser's windows each have a thread of their own and share the extension's translator.
TEST_F(GnuGettext, ThreadsTranslateWhileTheLanguageChanges) {
  UseLanguage(L"de");
  TranslatingThreads shared;
  HANDLE threads[3];
  for (HANDLE& h : threads) h = CreateThread(nullptr, 0, TranslateUntilStopped, &shared, 0, nullptr);
  for (int i = 0; i < 200; ++i) UseLanguage(i % 2 ? L"de" : L"fr");
  InterlockedExchange(&shared.Stop, 1);
  WaitForMultipleObjects(3, threads, TRUE, INFINITE);
  for (HANDLE h : threads) CloseHandle(h);
  EXPECT_EQ(shared.Wrong, 0);
}

TEST_F(GnuGettext, RegionalCodeFallsBackToLanguage) {
  UseLanguage(L"de_AT");
  EXPECT_EQ(GetCurrentLanguage(), L"de_AT");
  EXPECT_EQ(Translate(L"Hello"), L"Hallo");
  UseLanguage(L"pt_BR");  // has its own catalog
  EXPECT_EQ(Translate(L"Hello"), L"Ol\u00e1");
  // Text outside the basic plane comes back as a surrogate pair.
  EXPECT_EQ(Translate(L"Emoji"), L"\U0001F600 \u03c9");
}

TEST_F(GnuGettext, CodesThatClimbOutOfTheFolderFindNothing) {
  UseLanguage(L"..\\locale\\de");
  EXPECT_EQ(Translate(L"Hello"), L"Hello");
  UseLanguage(L"..");
  EXPECT_EQ(Translate(L"Hello"), L"Hello");
}

TEST_F(GnuGettext, AutomaticLanguageFromLangThenThreadLocale) {
  SetEnvironmentVariableW(L"LANG", L"fr_FR.UTF-8");
  EXPECT_EQ(GetAutomaticLanguage(), L"fr_FR");
  UseLanguage(L"");
  EXPECT_EQ(GetCurrentLanguage(), L"fr_FR");
  EXPECT_EQ(Translate(L"Hello"), L"Bonjour");

  SetEnvironmentVariableW(L"LANG", L"de_DE@euro");
  EXPECT_EQ(GetAutomaticLanguage(), L"de_DE");

  // "C" and its variants name no language: the thread's locale decides.
  const LCID saved = GetThreadLocale();
  ASSERT_TRUE(SetThreadLocale(MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT)));
  for (const wchar_t* none : {L"C", L"C.UTF-8", L"POSIX", L""}) {
    SetEnvironmentVariableW(L"LANG", none);
    EXPECT_EQ(GetAutomaticLanguage(), L"de_DE") << none;
  }
  SetEnvironmentVariableW(L"LANG", nullptr);
  UseLanguage(L"");
  EXPECT_EQ(GetCurrentLanguage(), L"de_DE");
  EXPECT_EQ(Translate(L"Hello"), L"Hallo");
  SetThreadLocale(saved);
}

TEST_F(GnuGettext, ListsCodesOfADomainSorted) {
  const std::vector<WideString> tervana{L"de", L"en_US", L"fr", L"la"};
  EXPECT_EQ(DefaultInstance().GetListOfLanguages("tervana"), tervana);
  const std::vector<WideString> programs{L"de", L"fr", L"la", L"pt_BR"};
  EXPECT_EQ(DefaultInstance().GetListOfLanguages("default"), programs);
  EXPECT_TRUE(DefaultInstance().GetListOfLanguages("nosuchdomain").empty());
  SetCatalogFolder(ProgramFolder() + L"no such folder");
  EXPECT_TRUE(DefaultInstance().GetListOfLanguages("tervana").empty());
}

TEST_F(GnuGettext, SeparateTranslatorLeavesTheProgramsLanguageAlone) {
  UseLanguage(L"de");
  EXPECT_EQ(Translate(L"Hello"), L"Hallo");
  {
    TGnuGettextInstance other;
    for (const WideString& code : other.GetListOfLanguages("tervana")) {
      other.UseLanguage(code);
      if (code == L"fr") {
        EXPECT_EQ(other.TranslateIn("tervana", Native), L"Fran\u00e7ais");
      } else if (code == L"en_US") {
        EXPECT_EQ(other.TranslateIn("tervana", Native), Native);
      }
    }
    other.UseLanguage(L"fr");
    EXPECT_EQ(other.Translate(L"Hello"), L"Bonjour");
    EXPECT_EQ(Translate(L"Hello"), L"Hallo");
    EXPECT_EQ(GetCurrentLanguage(), L"de");
  }
  EXPECT_EQ(Translate(L"Hello"), L"Hallo");
}

TEST_F(GnuGettext, CatalogNotInUtf8TurnsTranslationOff) {
  UseLanguage(L"la");
  ASSERT_FALSE(Problems.empty());
  EXPECT_EQ(Problems.front(), L"Localization problem");
  EXPECT_NE(ProblemFiles.front().find(L"la\\LC_MESSAGES\\"), WideString::npos);
  EXPECT_FALSE(DefaultInstance().TranslationEnabled());
  EXPECT_EQ(Translate(L"Hello"), L"Hello");
  EXPECT_EQ(TranslateIn("tervana", Native), Native);
  // A handler that translates while the catalogs are being read does not start reading again.
  std::vector<WideString> seen;
  SetLocalizationProblemHandler([&](const WideString&, const WideString&) { seen.push_back(Translate(L"Hello")); });
  UseLanguage(L"la");
  EXPECT_EQ(seen, std::vector<WideString>({L"Hello", L"Hello"}));
  // Another language turns it on again.
  UseLanguage(L"de");
  EXPECT_TRUE(DefaultInstance().TranslationEnabled());
  EXPECT_EQ(Translate(L"Hello"), L"Hallo");
}

// The character set is the Content-Type line's charset parameter as it stands: case and blanks
// around it do not matter, but a name that reads UTF-8 only once its blanks are dropped is
// another character set.
TEST(GettextHeader, OnlyACharsetParameterNamingUtf8IsUtf8) {
  struct Case {
    std::string Header;
    bool Utf8;
  } cases[] = {
      {"Content-Type: text/plain; charset=UTF-8\n", true},
      {"content-type: text/plain;charset=utf-8\r\n", true},
      {"Project-Id-Version: x\nContent-Type: text/plain; charset = UTF-8 ; format=flowed\n", true},
      {"Content-Type: text/plain; charset=\"UTF-8\"\n", true},
      {"Content-Type: text/plain; charset=U TF-8\n", false},
      {"Content-Type: text/plain; charset=UTF- 8\n", false},
      {"Content-Type: text/plain; char set=UTF-8\n", false},
      {"Content-Type: text/plain; charset=UTF-8X\n", false},
      {"Content-Type: text/plain; charset=UTF-16\n", false},
      {"Content-Type: text/plain; xcharset=UTF-8\n", false},
      {"Content-Type: text/plain\nX-Note: charset=UTF-8\n", false},
      {"X-Content-Type: text/plain; charset=UTF-8\n", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Header);
    TMoCatalogMaker maker(TMoCatalogMaker::THeader{c.Header});
    maker.Add("Hello", "Hallo");
    const auto bytes = maker.Build();
    TMoCatalog catalog;
    EXPECT_EQ(catalog.LoadFromMemory(bytes.data(), bytes.size()),
              c.Utf8 ? TMoCatalog::TLoadResult::Loaded : TMoCatalog::TLoadResult::NotUtf8);
  }
}

TEST_F(GnuGettext, ReadsBothByteOrders) {
  const auto little = ReadFileBytes(TestCatalogs() + L"de\\LC_MESSAGES\\default.mo");
  ASSERT_GT(little.size(), 28u);
  ASSERT_EQ(Word(little, 0), 0x950412DEu);
  const auto big = ByteSwapped(little);
  ASSERT_EQ(big[0], 0x95);

  TMoCatalog catalog;
  ASSERT_EQ(catalog.LoadFromMemory(big.data(), big.size()), TMoCatalog::TLoadResult::Loaded);
  WideString text;
  ASSERT_TRUE(catalog.Lookup("Hello", text));
  EXPECT_EQ(text, L"Hallo");

  // And through the files, below a folder whose name is not ASCII.
  const WideString folder = ScratchLocale(L"nl");
  WriteFileBytes(folder + L"nl\\LC_MESSAGES\\default.mo", big);
  SetCatalogFolder(folder);
  UseLanguage(L"nl");
  EXPECT_EQ(Translate(L"Close"), L"Schlie\u00dfen");
  EXPECT_EQ(Translate(L""), L"");
}

TEST_F(GnuGettext, DamagedCatalogsAreRefusedWithoutACrash) {
  const auto good = ReadFileBytes(TestCatalogs() + L"fr\\LC_MESSAGES\\default.mo");
  ASSERT_GT(good.size(), 28u);
  TMoCatalog catalog;
  ASSERT_EQ(catalog.LoadFromMemory(good.data(), good.size()), TMoCatalog::TLoadResult::Loaded);

  // Every truncation: refused, or (when only the final NUL goes) still whole.
  const uint32_t count = Word(good, 8);
  size_t needed = 0;  // the end of the last string
  for (uint32_t i = 0; i < count; ++i)
    for (uint32_t table : {Word(good, 12), Word(good, 16)})
      needed = std::max<size_t>(needed, Word(good, table + i * 8 + 4) + Word(good, table + i * 8));
  for (size_t size = 0; size < good.size(); ++size) {
    std::vector<unsigned char> cut(good.begin(), good.begin() + size);
    auto result = catalog.LoadFromMemory(cut.data(), cut.size());
    if (size < needed) {
      EXPECT_EQ(result, TMoCatalog::TLoadResult::Damaged) << size;
    }
  }

  auto corrupt = [&](size_t at, uint32_t value) {
    auto bad = good;
    PutWord(bad, at, value);
    return catalog.LoadFromMemory(bad.data(), bad.size());
  };
  EXPECT_EQ(corrupt(0, 0x12345678), TMoCatalog::TLoadResult::Damaged);          // magic
  EXPECT_EQ(corrupt(4, 0x00020000), TMoCatalog::TLoadResult::Damaged);          // revision
  EXPECT_EQ(corrupt(8, 0xFFFFFFFF), TMoCatalog::TLoadResult::Damaged);          // count
  EXPECT_EQ(corrupt(8, 0x20000000), TMoCatalog::TLoadResult::Damaged);          // count x 8 wraps
  EXPECT_EQ(corrupt(12, 0xFFFFFFF8), TMoCatalog::TLoadResult::Damaged);         // originals table
  EXPECT_EQ(corrupt(16, static_cast<uint32_t>(good.size())), TMoCatalog::TLoadResult::Damaged);
  const uint32_t originals = Word(good, 12), translations = Word(good, 16);
  EXPECT_EQ(corrupt(originals + 8, 0xFFFFFFFF), TMoCatalog::TLoadResult::Damaged);      // length
  EXPECT_EQ(corrupt(originals + 12, 0xFFFFFFF0), TMoCatalog::TLoadResult::Damaged);     // offset wraps
  EXPECT_EQ(corrupt(translations + 4, static_cast<uint32_t>(good.size())), TMoCatalog::TLoadResult::Damaged);
  EXPECT_EQ(catalog.LoadFromMemory(nullptr, 0), TMoCatalog::TLoadResult::Damaged);

  // Every byte of header and tables flipped in turn: never a crash.
  const size_t tablesEnd = Word(good, 16) + count * 8;
  for (size_t at = 0; at < tablesEnd; ++at) {
    auto bad = good;
    bad[at] ^= 0xA5;
    catalog.LoadFromMemory(bad.data(), bad.size());
  }

  // A damaged file in place of a catalog: the texts stay untranslated, and the regional code
  // still finds the language's good catalog.
  const WideString folder = ScratchLocale(L"de_CH");
  CreateDirectoryW((folder + L"de").c_str(), nullptr);
  CreateDirectoryW((folder + L"de\\LC_MESSAGES").c_str(), nullptr);
  WriteFileBytes(folder + L"de\\LC_MESSAGES\\default.mo", ReadFileBytes(TestCatalogs() + L"de\\LC_MESSAGES\\default.mo"));
  WriteFileBytes(folder + L"de_CH\\LC_MESSAGES\\default.mo",
             std::vector<unsigned char>(good.begin(), good.begin() + good.size() / 2));
  SetCatalogFolder(folder);
  UseLanguage(L"de_CH");
  EXPECT_EQ(Translate(L"Hello"), L"Hallo");
  EXPECT_TRUE(Problems.empty());
}

TEST_F(GnuGettext, ShippedGermanCatalogsBesideTheProgram) {
  SetCatalogFolder(L"");
  EXPECT_EQ(GetCatalogFolder(), ProgramFolder() + L"locale\\");
  UseLanguage(L"de_DE");
  EXPECT_EQ(TranslateIn("default", Native), L"Deutsch");
  EXPECT_EQ(TranslateIn("tervana", Native), L"Deutsch");
  EXPECT_EQ(TranslateIn("tervana", L"Automatic"), L"Automatisch");
  EXPECT_TRUE(Problems.empty());
}

TEST(GettextCatalogFolder, SharedLibraryLooksBesideItself) {
  const WideString folder = ProgramFolder() + L"testdata\\gettext\\probe\\";
  HMODULE probe = LoadLibraryW((folder + L"GettextProbe.dll").c_str());
  ASSERT_TRUE(probe);
  using TProbe = void (*)(wchar_t*, int);
  auto ask = reinterpret_cast<TProbe>(reinterpret_cast<void*>(GetProcAddress(probe, "GettextProbeCatalogFolder")));
  ASSERT_TRUE(ask);
  wchar_t buffer[MAX_PATH * 2];
  ask(buffer, MAX_PATH * 2);
  EXPECT_EQ(WideString(buffer), folder + L"locale\\");
  FreeLibrary(probe);
}

TEST_F(GnuGettext, ClassLibraryTextsPassThroughTheProgramsDomain) {
  UseLanguage(L"de");
  EXPECT_EQ(LoadResStringTranslated(SListIndexError), L"Listenindex zu gro\u00df (%d)");
  EXPECT_EQ(FmtResString(SListIndexError, {7}), L"Listenindex zu gro\u00df (7)");
  UseLanguage(L"fr");  // no translation there: the text as stored
  EXPECT_EQ(LoadResStringTranslated(SListIndexError), L"Listenindex \u00fcberschreitet das Maximum (%d)");
}

TEST(GettextUtf8, MalformedInputBecomesReplacementCharacters) {
  EXPECT_EQ(GettextUtf8ToWide("a\xC3\xA9z"), L"a\u00e9z");
  EXPECT_EQ(GettextUtf8ToWide("\xF0\x9F\x98\x80"), L"\U0001F600");
  EXPECT_EQ(GettextUtf8ToWide("a\xC3"), L"a\uFFFD");              // cut short at the end
  EXPECT_EQ(GettextUtf8ToWide("\xC0\xAF!"), L"\uFFFD!");          // overlong
  EXPECT_EQ(GettextUtf8ToWide("\xED\xA0\x80!"), L"\uFFFD!");      // a surrogate
  EXPECT_EQ(GettextUtf8ToWide("\xFF\xE2\x82x"), L"\uFFFD\uFFFDx");
  EXPECT_EQ(GettextWideToUtf8(L"\u00e9\U0001F600"), "\xC3\xA9\xF0\x9F\x98\x80");
  EXPECT_EQ(GettextWideToUtf8(WideString(1, wchar_t(0xD800))), "\xEF\xBF\xBD");
}

}  // namespace
