// Translation of visible texts through GNU gettext message catalogs (.mo files).
//
// Catalogs lie in the folder of the module that holds this code (so the shared library finds its
// own, not the browser's), below "locale\<code>\LC_MESSAGES\<domain>.mo". Each program's texts use
// the text domain "default", the common library's the domain "tervana". A catalog must be UTF-8;
// one that is not turns translation off and is reported as "Localization problem". A damaged or
// truncated catalog is refused as if it were missing, and so is one whose entries name far more
// text than its file holds; reading a catalog costs time and memory in proportion to its size.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "classlib/System.h"
#include "classlib/SyncObjs.h"

// The text domains of the system.
inline constexpr const char* DefaultTextDomain = "default";
inline constexpr const char* LibraryTextDomain = "tervana";

// One loaded .mo catalog: message identifiers (UTF-8, as stored) to their translations.
// The catalog keeps the file's bytes and a sorted index into them; a translation is decoded when
// it is looked up, so a string that many entries share is held once.
class TMoCatalog {
 public:
  enum class TLoadResult { Loaded, Missing, Damaged, NotUtf8 };

  // Parses a catalog held in memory. Every offset and length is checked against Size, and the
  // text the entries name together may not exceed a small multiple of Size: a catalog whose
  // entries point many times into the same long strings is refused as damaged, since reading it
  // would cost far more than its size. Nothing is thrown: a catalog that cannot be held in
  // memory is refused as damaged too.
  TLoadResult LoadFromMemory(const unsigned char* Data, size_t Size) noexcept;
  TLoadResult LoadFromFile(const WideString& FileName) noexcept;

  // The translation of a UTF-8 message identifier; false when the catalog has none (or only an
  // empty one).
  bool Lookup(const AnsiString& MsgIdUtf8, WideString& Translation) const;
  size_t Count() const { return FCount; }
  const AnsiString& Header() const { return FHeader; }

 private:
  struct TEntry {
    uint32_t KeyAt, KeyLength, TextAt, TextLength;
  };
  TLoadResult Parse(std::vector<unsigned char>& Data);
  void Clear() noexcept;
  std::string_view KeyOf(const TEntry& Entry) const;

  std::vector<unsigned char> FData;
  std::vector<TEntry> FIndex;  // by key; entries of equal keys in file order (the last one counts)
  size_t FCount = 0;
  AnsiString FHeader;
};

// A translator for one language: the default one serves the whole program, separate ones look
// texts up in another language without touching the program's.
// Thread-safe: the browser runs each of its windows on a thread of its own, and every one of them
// translates through the extension's one translator. Catalogs are read with no lock held and put
// in use at once when complete, so a thread that translates never waits for another that reads;
// until then it gets the texts of the catalogs in use before.
class TGnuGettextInstance {
 public:
  TGnuGettextInstance() = default;
  TGnuGettextInstance(const TGnuGettextInstance&) = delete;
  TGnuGettextInstance& operator=(const TGnuGettextInstance&) = delete;

  // Switches to the language Code ("de_DE", "de"); empty picks the language automatically (the
  // LANG variable, else the thread's locale). The catalogs of the system's two domains are loaded
  // at once, so a catalog that is not UTF-8 is reported when the language is chosen. Never
  // throws: catalogs that cannot be read leave the texts untranslated.
  void UseLanguage(const WideString& Code);
  // The language in use, as chosen or as found automatically ("" when none could be found).
  WideString GetCurrentLanguage();

  WideString Translate(const WideString& MsgId);  // domain "default"
  WideString TranslateIn(const AnsiString& Domain, const WideString& MsgId);

  // The codes that have a catalog of Domain in the catalog folder, sorted.
  std::vector<WideString> GetListOfLanguages(const AnsiString& Domain) const;

  // False after a catalog of the current language was refused for its character set: every text
  // then stays untranslated until the language is switched again.
  bool TranslationEnabled() const;

 private:
  using TCatalogs = std::map<AnsiString, std::shared_ptr<const TMoCatalog>>;
  // Reads the catalogs of Code (null: of the language asked for last) and puts them in use.
  void Load(const WideString* Code) noexcept;
  // The catalog of Domain in the current language, reading it when it is the first text of the
  // domain; false when translation is off.
  bool CatalogOf(const AnsiString& Domain, std::shared_ptr<const TMoCatalog>& Catalog) noexcept;
  bool IsStale() const;  // under FLock

  // All below under FLock, which is held only to read or swap these, never while reading a file
  // or telling of a problem.
  WideString FLanguage;
  WideString FRequested;  // the code of the newest request, until it is in use
  bool FLanguageChosen = false;
  bool FTranslationOff = false;
  unsigned FFolderGeneration = 0;
  uint64_t FNewestRequest = 0;     // numbers each reading of a language's catalogs
  uint64_t FInstalledRequest = 0;  // the reading in use: an older one finishing later is dropped
  TCatalogs FCatalogs;             // null: no catalog
  mutable TCriticalSection FLock;
};

// The program's translator. The first call also routes the class library's resource strings
// through it (domain "default").
TGnuGettextInstance& DefaultInstance();

WideString Translate(const WideString& MsgId);                               // domain "default"
WideString TranslateIn(const AnsiString& Domain, const WideString& MsgId);  // e.g. "tervana"
void UseLanguage(const WideString& Code);
WideString GetCurrentLanguage();

// The folder holding the "<code>\LC_MESSAGES" folders; by default the "locale" folder beside the
// module. Tests point it elsewhere; an empty text restores the default. Every translator reloads
// its catalogs from the new place.
void SetCatalogFolder(const WideString& LocaleFolder);
WideString GetCatalogFolder();

// The language found automatically: the LANG variable unless it names none ("C", "POSIX",
// "C.UTF-8"), else the thread's locale ("de_DE"). Empty when neither gives one.
WideString GetAutomaticLanguage();

// Told when a catalog is refused for not being UTF-8 (Message is "Localization problem"), on the
// thread that read it, once its translator's new catalogs are in use and no translator's lock is
// held. By default the user sees a message box, once per process; tests install their own handler.
using TLocalizationProblemHandler =
    std::function<void(const WideString& Message, const WideString& CatalogFile)>;
TLocalizationProblemHandler SetLocalizationProblemHandler(TLocalizationProblemHandler Handler);

// Tests only: called on the reading thread after each catalog file was looked for and read, before
// it is put in use. Null removes it.
using TCatalogReadHook = std::function<void(const WideString& CatalogFile)>;
void SetCatalogReadHook(TCatalogReadHook Hook);

// UTF-8 to and from UTF-16 as the catalogs store text; malformed input gives U+FFFD.
WideString GettextUtf8ToWide(const AnsiString& S);
AnsiString GettextWideToUtf8(const WideString& S);
