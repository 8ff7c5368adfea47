// Translation of visible texts through GNU gettext message catalogs (.mo files).
//
// Catalogs lie in the folder of the module that holds this code (so the shared library finds its
// own, not the browser's), below "locale\<code>\LC_MESSAGES\<domain>.mo". Each program's texts use
// the text domain "default", the common library's the domain "tervana". A catalog must be UTF-8;
// one that is not turns translation off and is reported as "Localization problem". A damaged or
// truncated catalog is refused as if it were missing.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "classlib/System.h"
#include "classlib/SyncObjs.h"

// The text domains of the system.
inline constexpr const char* DefaultTextDomain = "default";
inline constexpr const char* LibraryTextDomain = "tervana";

// One loaded .mo catalog: message identifiers (UTF-8, as stored) to their translations.
class TMoCatalog {
 public:
  enum class TLoadResult { Loaded, Missing, Damaged, NotUtf8 };

  // Parses a catalog held in memory. Every offset and length is checked against Size.
  TLoadResult LoadFromMemory(const unsigned char* Data, size_t Size);
  TLoadResult LoadFromFile(const WideString& FileName);

  // The translation of a UTF-8 message identifier; false when the catalog has none (or only an
  // empty one).
  bool Lookup(const AnsiString& MsgIdUtf8, WideString& Translation) const;
  size_t Count() const { return FEntries.size(); }
  const AnsiString& Header() const { return FHeader; }

 private:
  std::map<AnsiString, WideString> FEntries;
  AnsiString FHeader;
};

// A translator for one language: the default one serves the whole program, separate ones look
// texts up in another language without touching the program's.
// Thread-safe: the browser runs each of its windows on a thread of its own, and every one of them
// translates through the extension's one translator.
class TGnuGettextInstance {
 public:
  TGnuGettextInstance() = default;
  TGnuGettextInstance(const TGnuGettextInstance&) = delete;
  TGnuGettextInstance& operator=(const TGnuGettextInstance&) = delete;

  // Switches to the language Code ("de_DE", "de"); empty picks the language automatically (the
  // LANG variable, else the thread's locale). The catalogs of the system's two domains are loaded
  // at once, so a catalog that is not UTF-8 is reported when the language is chosen.
  void UseLanguage(const WideString& Code);
  // The language in use, as chosen or as found automatically ("" when none could be found).
  WideString GetCurrentLanguage();

  WideString Translate(const WideString& MsgId);  // domain "default"
  WideString TranslateIn(const AnsiString& Domain, const WideString& MsgId);

  // The codes that have a catalog of Domain in the catalog folder, sorted.
  std::vector<WideString> GetListOfLanguages(const AnsiString& Domain) const;

  // False after a catalog of the current language was refused for its character set: every text
  // then stays untranslated until the language is switched again.
  bool TranslationEnabled() const { return !FTranslationOff; }

 private:
  void EnsureLanguage();
  const TMoCatalog* CatalogOf(const AnsiString& Domain);

  WideString FLanguage;
  bool FLanguageChosen = false;
  bool FTranslationOff = false;
  unsigned FFolderGeneration = 0;
  std::map<AnsiString, std::shared_ptr<const TMoCatalog>> FCatalogs;  // null: no catalog
  // Re-entered by the same thread when reading a catalog raises a text that is translated too.
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

// Told when a catalog is refused for not being UTF-8 (Message is "Localization problem").
// By default the user sees a message box, once per process; tests install their own handler.
using TLocalizationProblemHandler =
    std::function<void(const WideString& Message, const WideString& CatalogFile)>;
TLocalizationProblemHandler SetLocalizationProblemHandler(TLocalizationProblemHandler Handler);

// UTF-8 to and from UTF-16 as the catalogs store text; malformed input gives U+FFFD.
WideString GettextUtf8ToWide(const AnsiString& S);
AnsiString GettextWideToUtf8(const WideString& S);
