// The class library's resource strings: German texts in a string table that is linked into every
// module using the library, loaded as UTF-16 either straight or through a translator (installed
// by the translation catalogs), and filled in with "%d"/"%s" arguments.
#pragma once

#include <functional>
#include <initializer_list>

#include <windows.h>

#include "classlib/System.h"

// String-table identifiers (ResStrings.rc holds the texts under the same numbers). The range
// 64000-64999 belongs to the class library.
constexpr UINT SListIndexError = 64000;     // "Listenindex überschreitet das Maximum (%d)"
constexpr UINT SListCapacityError = 64001;  // "Listenkapazität überschreitet das Maximum (%d)"
constexpr UINT SSortedListError = 64002;
constexpr UINT SDuplicateString = 64003;
constexpr UINT SInsertLineError = 64004;    // "Zeile kann nicht eingefügt werden"
constexpr UINT SFCreateError = 64010;       // "Datei %s kann nicht erstellt werden"
constexpr UINT SFOpenError = 64011;         // "Datei %s kann nicht geöffnet werden"
constexpr UINT SReadError = 64012;
constexpr UINT SWriteError = 64013;
constexpr UINT SMemoryStreamError = 64014;
constexpr UINT SResNotFound = 64015;        // "Ressource %s wurde nicht gefunden"
constexpr UINT SResWriteError = 64016;
constexpr UINT SAssignError = 64020;        // "%s kann nicht zu %s zugewiesen werden"
constexpr UINT SInvalidName = 64021;        // "'%s' ist kein gültiger Komponentenname"
constexpr UINT SDuplicateName = 64022;      // "Eine Komponente mit der Bezeichnung %s existiert bereits"
constexpr UINT SCreateRegKeyError = 64030;  // "Fehler beim Erstellen eines Eintrages in der Systemregistrierung"

// The module holding the class library's code, and so its string table (the program or the DLL
// the library is linked into).
HINSTANCE ClassLibInstance();

// The string-table entry Id of Instance (the class library's module when null), read straight
// from the RT_STRING block as UTF-16 on every platform family; "" when there is none.
WideString LoadResStringW(UINT Id, HINSTANCE Instance = nullptr);

// The translator through which the class library's own texts pass; an empty function removes it.
void SetResStringTranslator(std::function<WideString(const WideString&)> Translator);
// LoadResStringW passed through the translator (unchanged without one; a translator that raises
// or answers "" leaves the text as loaded).
WideString LoadResStringTranslated(UINT Id);

// One argument for a resource text's placeholders.
struct TResArg {
  TResArg(int V) : IsText(false), Int(V) {}
  TResArg(long V) : IsText(false), Int(V) {}
  TResArg(unsigned V) : IsText(false), Int(V) {}
  TResArg(unsigned long V) : IsText(false), Int(static_cast<long long>(V)) {}
  TResArg(long long V) : IsText(false), Int(V) {}
  TResArg(const wchar_t* V) : IsText(true), Text(V ? V : L"") {}
  TResArg(WideString V) : IsText(true), Text(std::move(V)) {}
  // 8-bit text is widened in the ANSI code page.
  TResArg(const char* V);
  TResArg(const AnsiString& V);

  bool IsText;
  long long Int = 0;
  WideString Text;
};

// Fills "%d" and "%s" in order from Args ("%%" gives "%"); a placeholder without an argument, or
// any other "%" sequence, stays as it is. A text argument for "%d" is put in as text, a number for
// "%s" as its decimal digits.
WideString FormatResText(const WideString& Format, std::initializer_list<TResArg> Args);

// The translated text of Id, formatted.
WideString FmtResString(UINT Id, std::initializer_list<TResArg> Args);

// The class library's exceptions carry 8-bit messages: the translated text narrowed to the ANSI
// code page, plain and formatted.
AnsiString ResTextToAnsi(const WideString& Text);
AnsiString LoadResStringA(UINT Id);
AnsiString FmtResStringA(UINT Id, std::initializer_list<TResArg> Args);
