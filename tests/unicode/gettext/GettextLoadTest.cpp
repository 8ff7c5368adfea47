// Reading catalogs: hostile catalogs cost what their file holds, no load lets an exception out,
// and no thread that translates waits for one that reads catalogs or shows a problem.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "tests/support/TestFiles.h"
#include "tests/unicode/gettext/FailingAllocations.h"
#include "tests/support/MoCatalogMaker.h"
#include "tests/unicode/gettext/TestCatalogFolders.h"
#include "unicode/GnuGettext.h"

namespace {

// ---- files ------------------------------------------------------------------------------------

std::vector<unsigned char> TestCatalog(const WideString& Code, const WideString& Domain) {
  return ReadFileBytes(TestCatalogs() + Code + L"\\LC_MESSAGES\\" + Domain + L".mo");
}

// A scratch catalog folder of this program.
WideString ScratchLocale() { return ScratchCatalogFolder(L"load"); }

void PutCatalog(const WideString& Folder, const WideString& Code, const WideString& Domain,
                const std::vector<unsigned char>& Data) {
  CreateDirectoryW((Folder + Code).c_str(), nullptr);
  CreateDirectoryW((Folder + Code + L"\\LC_MESSAGES").c_str(), nullptr);
  WriteFileBytes(Folder + Code + L"\\LC_MESSAGES\\" + Domain + L".mo", Data);
}

// ---- threads and events -----------------------------------------------------------------------

// Only a thread that is stuck for good waits this long: the test then fails instead of hanging.
constexpr DWORD StuckMs = 30000;

class TEvent {
 public:
  TEvent() : FHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~TEvent() { CloseHandle(FHandle); }
  TEvent(const TEvent&) = delete;
  TEvent& operator=(const TEvent&) = delete;
  void Set() { SetEvent(FHandle); }
  bool Wait() { return WaitForSingleObject(FHandle, StuckMs) == WAIT_OBJECT_0; }

 private:
  HANDLE FHandle;
};

// Runs Work on a thread of its own; the destructor waits for it.
class TWorker {
 public:
  explicit TWorker(std::function<void()> Work) : FWork(std::move(Work)) {
    FHandle = CreateThread(nullptr, 0, Run, this, 0, nullptr);
  }
  ~TWorker() {
    WaitForSingleObject(FHandle, INFINITE);
    CloseHandle(FHandle);
  }
  TWorker(const TWorker&) = delete;
  TWorker& operator=(const TWorker&) = delete;
  bool Finished() { return WaitForSingleObject(FHandle, StuckMs) == WAIT_OBJECT_0; }

 private:
  static DWORD WINAPI Run(void* Self) {
    static_cast<TWorker*>(Self)->FWork();
    return 0;
  }
  std::function<void()> FWork;
  HANDLE FHandle;
};

class GettextLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    SetCatalogFolder(TestCatalogs());
    SetLocalizationProblemHandler([this](const WideString& message, const WideString&) { Problems.push_back(message); });
  }
  void TearDown() override {
    SetCatalogReadHook(nullptr);
    SetLocalizationProblemHandler(nullptr);
    SetCatalogFolder(L"");
  }
  std::vector<WideString> Problems;
};

// ---- hostile catalogs -------------------------------------------------------------------------

TEST(GettextHostileCatalogs, EntriesPointingAgainAndAgainIntoLongStringsAreRefused) {
  struct TCase {
    const char* Name;
    std::vector<unsigned char> Data;
  };
  // The sizes fuzzing found: loads that took 15 s and 94 s, and that held 1.6 and 1.9 GB.
  const TCase cases[] = {
      {"512 KB, one unterminated string", SharedUnterminatedCatalog(256 << 10, 16 << 10)},
      {"1.3 MB, one unterminated string", SharedUnterminatedCatalog(1 << 20, 20 << 10)},
      {"295 KB, originals a byte apart", ShiftedOriginalsCatalog(256 << 10, 2400)},
      {"1.1 MB, originals a byte apart", ShiftedOriginalsCatalog(1 << 20, 6000)},
  };
  for (const TCase& c : cases) {
    TMoCatalog catalog;
    EXPECT_EQ(catalog.LoadFromMemory(c.Data.data(), c.Data.size()), TMoCatalog::TLoadResult::Damaged) << c.Name;
    EXPECT_EQ(catalog.Count(), 0u) << c.Name;
    WideString text;
    EXPECT_FALSE(catalog.Lookup(std::string(16, 'a'), text)) << c.Name;
  }
}

TEST(GettextHostileCatalogs, StringsSharedByAFewEntriesStillLoad) {
  TMoCatalogMaker maker;
  // One unterminated string, the last of the file, is the translation of three texts; two
  // originals lie a byte apart inside another string; a later entry of the same text counts.
  const TMoText words = maker.AddText("Hello world");
  const TMoText one = maker.AddText("One"), two = maker.AddText("Two"), three = maker.AddText("Three");
  maker.AddEntry(words, maker.AddText("Hallo Welt"));
  maker.AddEntry({words.At + 1, words.Length - 1}, maker.AddText("allo Welt"));
  maker.Add("Twice", "First");
  maker.Add("Twice", "Second");
  const TMoText shared = maker.AddText("Gemeinsam", false);
  for (TMoText original : {one, two, three}) maker.AddEntry(original, shared);
  for (bool big : {false, true}) {
    const auto data = maker.Build(big);
    TMoCatalog catalog;
    ASSERT_EQ(catalog.LoadFromMemory(data.data(), data.size()), TMoCatalog::TLoadResult::Loaded) << big;
    EXPECT_EQ(catalog.Count(), 6u);
    WideString text;
    for (const char* id : {"One", "Two", "Three"}) {
      ASSERT_TRUE(catalog.Lookup(id, text)) << id;
      EXPECT_EQ(text, L"Gemeinsam");
    }
    ASSERT_TRUE(catalog.Lookup("Hello world", text));
    EXPECT_EQ(text, L"Hallo Welt");
    ASSERT_TRUE(catalog.Lookup("ello world", text));
    EXPECT_EQ(text, L"allo Welt");
    ASSERT_TRUE(catalog.Lookup("Twice", text));
    EXPECT_EQ(text, L"Second");
    EXPECT_FALSE(catalog.Lookup("Hello worl", text));
    EXPECT_FALSE(catalog.Lookup("", text));
  }
}

TEST(GettextHostileCatalogs, ALargeUsualCatalogFindsEveryEntry) {
  const auto data = UsualCatalog(20000);
  TMoCatalog catalog;
  ASSERT_EQ(catalog.LoadFromMemory(data.data(), data.size()), TMoCatalog::TLoadResult::Loaded);
  EXPECT_EQ(catalog.Count(), 20000u);
  WideString text;
  for (int i : {0, 1, 9, 10, 9999, 19999}) {
    ASSERT_TRUE(catalog.Lookup("Text " + std::to_string(i), text)) << i;
    EXPECT_EQ(text, L"Uebersetzung " + std::to_wstring(i));
  }
  EXPECT_FALSE(catalog.Lookup("Text 20000", text));
  EXPECT_FALSE(catalog.Lookup("Text", text));
}

TEST_F(GettextLoad, AHostileCatalogLeavesTheTranslatorUsable) {
  const WideString folder = ScratchLocale();
  PutCatalog(folder, L"de", L"default", TestCatalog(L"de", L"default"));
  PutCatalog(folder, L"de", L"tervana", ShiftedOriginalsCatalog(256 << 10, 2400));
  PutCatalog(folder, L"de_CH", L"default", SharedUnterminatedCatalog(256 << 10, 16 << 10));
  SetCatalogFolder(folder);
  TGnuGettextInstance translator;
  // The regional catalog is refused and its language's good one serves; the refused domain
  // stays untranslated, and translation as a whole stays on.
  translator.UseLanguage(L"de_CH");
  EXPECT_EQ(translator.Translate(L"Hello"), L"Hallo");
  EXPECT_EQ(translator.TranslateIn("tervana", L"Hello"), L"Hello");
  EXPECT_TRUE(translator.TranslationEnabled());
  EXPECT_TRUE(Problems.empty());
  SetCatalogFolder(TestCatalogs());
  translator.UseLanguage(L"fr");
  EXPECT_EQ(translator.Translate(L"Hello"), L"Bonjour");
}

// ---- no exception out of a load --------------------------------------------------------------

TEST(GettextFailedAllocations, ACatalogThatCannotBeHeldIsRefused) {
  const auto good = TestCatalog(L"de", L"default");
  ASSERT_FALSE(good.empty());
  // Each allocation of the load fails in turn, until a load needs no more than were allowed.
  for (long allowed = 0;; ++allowed) {
    TMoCatalog catalog;
    TMoCatalog::TLoadResult result;
    bool refused;
    {
      TFailingAllocations failing(allowed);
      result = catalog.LoadFromMemory(good.data(), good.size());
      refused = TFailingAllocations::Refused();
    }
    // A refusal that the load could do without (a sort's scratch memory) still loads it whole.
    WideString text;
    if (result == TMoCatalog::TLoadResult::Loaded) {
      EXPECT_TRUE(catalog.Lookup("Hello", text)) << allowed;
      EXPECT_EQ(text, L"Hallo") << allowed;
    } else {
      EXPECT_EQ(result, TMoCatalog::TLoadResult::Damaged) << allowed;
      EXPECT_FALSE(catalog.Lookup("Hello", text)) << allowed;
    }
    if (!refused) {
      EXPECT_EQ(result, TMoCatalog::TLoadResult::Loaded);
      break;
    }
  }
}

TEST_F(GettextLoad, ALanguageWhoseCatalogsCannotBeReadLeavesTextsUntranslated) {
  TGnuGettextInstance translator;
  const WideString code = L"de_AT";  // made before the failures start
  for (long allowed = 0;; ++allowed) {
    bool refused, escaped = false;
    {
      TFailingAllocations failing(allowed);
      try {
        translator.UseLanguage(code);
      } catch (...) {
        escaped = true;
      }
      refused = TFailingAllocations::Refused();
    }
    EXPECT_FALSE(escaped) << "after " << allowed << " allocations";
    if (!refused) {
      EXPECT_EQ(translator.Translate(L"Hello"), L"Hallo");
      EXPECT_TRUE(translator.TranslationEnabled());
      break;
    }
    // Whatever was read serves, the rest is left as written; the next switch reads everything.
    const WideString hello = translator.Translate(L"Hello");
    EXPECT_TRUE(hello == L"Hallo" || hello == L"Hello") << allowed;
    translator.UseLanguage(L"fr");
    EXPECT_EQ(translator.Translate(L"Hello"), L"Bonjour") << allowed;
  }
  EXPECT_TRUE(Problems.empty());
}

// ---- nobody waits for a reading --------------------------------------------------------------

// Holds Reader at the hook while it reads the catalog named by BlockedFile, and translates with
// Translator on another thread meanwhile: that thread must finish while the reader still waits.
struct TWhileReading {
  WideString Hello, Automatic, Language;
  bool Enabled = false;
  bool Finished = false;
};

TWhileReading TranslateWhileReading(TGnuGettextInstance& Translator, const WideString& BlockedFile,
                                    const std::function<void()>& Reader) {
  TEvent reading, proceed;
  SetCatalogReadHook([&](const WideString& file) {
    if (file.size() >= BlockedFile.size() && file.compare(file.size() - BlockedFile.size(), WideString::npos, BlockedFile) == 0) {
      reading.Set();
      proceed.Wait();
    }
  });
  TWhileReading seen;
  {
    TWorker reader(Reader);
    EXPECT_TRUE(reading.Wait());
    {
      TWorker translating([&] {
        seen.Hello = Translator.Translate(L"Hello");
        seen.Automatic = Translator.TranslateIn("tervana", L"Automatic");
        seen.Language = Translator.GetCurrentLanguage();
        seen.Enabled = Translator.TranslationEnabled();
      });
      seen.Finished = translating.Finished();
      proceed.Set();  // a translator stuck behind the reader goes on once the reader is let go
    }
  }
  SetCatalogReadHook(nullptr);
  return seen;
}

TEST_F(GettextLoad, ThreadsTranslateWhileAnotherSwitchesTheLanguage) {
  TGnuGettextInstance translator;
  translator.UseLanguage(L"de");
  const TWhileReading seen =
      TranslateWhileReading(translator, L"\\fr\\LC_MESSAGES\\default.mo", [&] { translator.UseLanguage(L"fr"); });
  EXPECT_TRUE(seen.Finished);
  // Until the new catalogs are complete, the old ones serve.
  EXPECT_EQ(seen.Hello, L"Hallo");
  EXPECT_EQ(seen.Automatic, L"Automatisch");
  EXPECT_EQ(seen.Language, L"de");
  EXPECT_TRUE(seen.Enabled);
  EXPECT_EQ(translator.Translate(L"Hello"), L"Bonjour");
  EXPECT_EQ(translator.TranslateIn("tervana", L"Automatic"), L"Automatique");
  EXPECT_EQ(translator.GetCurrentLanguage(), L"fr");
}

TEST_F(GettextLoad, ThreadsTranslateWhileAnotherReadsANewDomain) {
  TGnuGettextInstance translator;
  translator.UseLanguage(L"de");
  WideString other;
  const TWhileReading seen = TranslateWhileReading(translator, L"\\de\\LC_MESSAGES\\otherdomain.mo",
                                                   [&] { other = translator.TranslateIn("otherdomain", L"Hello"); });
  EXPECT_TRUE(seen.Finished);
  EXPECT_EQ(seen.Hello, L"Hallo");
  EXPECT_EQ(seen.Language, L"de");
  EXPECT_EQ(other, L"Hello");
}

TEST_F(GettextLoad, TheNewestLanguageWinsOverAnOlderReadingThatEndsLater) {
  TGnuGettextInstance translator;
  translator.UseLanguage(L"de");
  TEvent reading, proceed;
  SetCatalogReadHook([&](const WideString& file) {
    if (file.find(L"\\pt_BR\\") != WideString::npos) {
      reading.Set();
      proceed.Wait();
    }
  });
  {
    TWorker older([&] { translator.UseLanguage(L"pt_BR"); });
    ASSERT_TRUE(reading.Wait());
    translator.UseLanguage(L"fr");
    EXPECT_EQ(translator.Translate(L"Hello"), L"Bonjour");
    proceed.Set();
  }
  SetCatalogReadHook(nullptr);
  EXPECT_EQ(translator.GetCurrentLanguage(), L"fr");
  EXPECT_EQ(translator.Translate(L"Hello"), L"Bonjour");
}

// ---- nobody waits for the problem box --------------------------------------------------------

TEST_F(GettextLoad, AProblemIsToldOnceTheRefusalIsInUseAndNoLockIsHeld) {
  const WideString folder = ScratchLocale();
  PutCatalog(folder, L"de", L"default", TestCatalog(L"de", L"default"));
  PutCatalog(folder, L"de", L"legacy", [] {
    TMoCatalogMaker maker("ISO-8859-1");
    maker.Add("Hello", "Gr\xFC\xDF Gott");
    return maker.Build();
  }());
  SetCatalogFolder(folder);
  TGnuGettextInstance translator;
  translator.UseLanguage(L"de");
  ASSERT_EQ(translator.Translate(L"Hello"), L"Hallo");

  // The domain's first text reads its catalog and finds it is not UTF-8.
  bool finished = false;
  WideString hello;
  bool enabled = true;
  // Joined only once the handler has returned: a translator stuck behind a lock the handler's
  // caller holds goes on then.
  std::unique_ptr<TWorker> translating;
  SetLocalizationProblemHandler([&](const WideString& message, const WideString& file) {
    Problems.push_back(message);
    EXPECT_NE(file.find(L"legacy.mo"), WideString::npos);
    translating = std::make_unique<TWorker>([&] {
      hello = translator.Translate(L"Hello");
      enabled = translator.TranslationEnabled();
    });
    finished = translating->Finished();
  });
  EXPECT_EQ(translator.TranslateIn("legacy", L"Hello"), L"Hello");
  translating.reset();
  ASSERT_EQ(Problems, std::vector<WideString>{L"Localization problem"});
  EXPECT_TRUE(finished);
  EXPECT_EQ(hello, L"Hello");
  EXPECT_FALSE(enabled);
}

// The real box: a hook of this thread sees it activated, and once its message loop runs, a timer
// of this thread reads it, has another thread translate meanwhile, and closes it.
struct TBoxSeen {
  TGnuGettextInstance* Translator = nullptr;
  HWND Box = nullptr;
  WideString Text, Hello;
  bool Enabled = true;
  bool Finished = false;
  std::unique_ptr<TWorker> Translating;  // joined once the box has closed
};
TBoxSeen* BoxSeen = nullptr;

BOOL CALLBACK CollectBoxText(HWND Child, LPARAM) {
  wchar_t kind[32] = {}, text[256] = {};
  GetClassNameW(Child, kind, 32);
  GetWindowTextW(Child, text, 256);
  if (lstrcmpiW(kind, L"Static") == 0 && text[0]) BoxSeen->Text += text;
  return TRUE;
}

void CALLBACK ReadAndCloseBox(HWND, UINT, UINT_PTR Timer, DWORD) {
  KillTimer(nullptr, Timer);
  EnumChildWindows(BoxSeen->Box, CollectBoxText, 0);
  BoxSeen->Translating = std::make_unique<TWorker>([] {
    BoxSeen->Hello = BoxSeen->Translator->Translate(L"Hello");
    BoxSeen->Enabled = BoxSeen->Translator->TranslationEnabled();
  });
  BoxSeen->Finished = BoxSeen->Translating->Finished();
  PostMessageW(BoxSeen->Box, WM_COMMAND, IDOK, 0);
}

LRESULT CALLBACK WatchBoxes(int Code, WPARAM WParam, LPARAM LParam) {
  // The hook fires again when the box has closed: only the first box counts.
  if (Code == HCBT_ACTIVATE && BoxSeen && !BoxSeen->Box) {
    HWND window = reinterpret_cast<HWND>(WParam);
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    if (WideString(name) == L"#32770") {
      BoxSeen->Box = window;
      SetTimer(nullptr, 0, 0, ReadAndCloseBox);
    }
  }
  return CallNextHookEx(nullptr, Code, WParam, LParam);
}

TEST_F(GettextLoad, TheProblemBoxLetsOtherThreadsTranslate) {
  TGnuGettextInstance translator;
  translator.UseLanguage(L"de");
  SetLocalizationProblemHandler(nullptr);  // the user's box
  TBoxSeen seen;
  seen.Translator = &translator;
  BoxSeen = &seen;
  HHOOK hook = SetWindowsHookExW(WH_CBT, WatchBoxes, nullptr, GetCurrentThreadId());
  ASSERT_TRUE(hook);
  translator.UseLanguage(L"la");  // its catalogs are not UTF-8
  UnhookWindowsHookEx(hook);
  seen.Translating.reset();
  BoxSeen = nullptr;
  ASSERT_TRUE(seen.Box);
  EXPECT_EQ(seen.Text, L"Localization problem");
  EXPECT_TRUE(seen.Finished);
  // While the box was open the refusing catalogs were already in use.
  EXPECT_EQ(seen.Hello, L"Hello");
  EXPECT_FALSE(seen.Enabled);
}

}  // namespace
