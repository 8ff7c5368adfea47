#include <gtest/gtest.h>

#include "classlib/ResStrings.h"

TEST(ResStrings, GermanTextsComeBackAsStoredWithUmlauts) {
  // Linked into the program itself, so the table is the program's.
  EXPECT_EQ(ClassLibInstance(), GetModuleHandleA(nullptr));
  EXPECT_EQ(LoadResStringW(SListIndexError), L"Listenindex \u00FCberschreitet das Maximum (%d)");
  EXPECT_EQ(LoadResStringW(SInsertLineError), L"Zeile kann nicht eingef\u00FCgt werden");
  EXPECT_EQ(LoadResStringW(SFOpenError), L"Datei %s kann nicht ge\u00F6ffnet werden");
  EXPECT_EQ(LoadResStringW(SFCreateError), L"Datei %s kann nicht erstellt werden");
  EXPECT_EQ(LoadResStringW(SResNotFound), L"Ressource %s wurde nicht gefunden");
  EXPECT_EQ(LoadResStringW(SCreateRegKeyError), L"Fehler beim Erstellen eines Eintrages in der Systemregistrierung");
  for (UINT id : {SListCapacityError, SSortedListError, SDuplicateString, SReadError, SWriteError,
                  SMemoryStreamError, SAssignError, SInvalidName, SDuplicateName})
    EXPECT_FALSE(LoadResStringW(id).empty()) << id;
  EXPECT_EQ(LoadResStringW(64999), L"");
  EXPECT_EQ(LoadResStringW(SInsertLineError + 1), L"");  // in an existing block, but empty
}

TEST(ResStrings, FormatterFillsInOrderAndKeepsTheRest) {
  EXPECT_EQ(FormatResText(L"a %d b %s c", {7, L"x"}), L"a 7 b x c");
  EXPECT_EQ(FormatResText(L"%s and %s", {L"one"}), L"one and %s");
  EXPECT_EQ(FormatResText(L"100%% %x %", {1}), L"100% %x %");
  EXPECT_EQ(FormatResText(L"%d|%s", {L"t", -5}), L"t|-5");
  EXPECT_EQ(FormatResText(L"%s", {"caf\xE9"}), L"caf\u00E9");
  EXPECT_EQ(FmtResStringA(SListIndexError, {-1}), "Listenindex \xFC" "berschreitet das Maximum (-1)");
}

TEST(ResStrings, TranslatorHookIsUsedOnlyWhereAsked) {
  SetResStringTranslator([](const WideString& s) { return s == L"Zeile kann nicht eingef\u00FCgt werden" ? WideString(L"Cannot insert line") : WideString(); });
  EXPECT_EQ(LoadResStringTranslated(SInsertLineError), L"Cannot insert line");
  EXPECT_EQ(LoadResStringW(SInsertLineError), L"Zeile kann nicht eingef\u00FCgt werden");
  // An empty answer (no translation) keeps the text.
  EXPECT_EQ(LoadResStringTranslated(SFOpenError), L"Datei %s kann nicht ge\u00F6ffnet werden");
  SetResStringTranslator([](const WideString&) -> WideString { throw std::runtime_error("broken"); });
  EXPECT_EQ(LoadResStringTranslated(SInsertLineError), L"Zeile kann nicht eingef\u00FCgt werden");
  SetResStringTranslator(nullptr);
  EXPECT_EQ(LoadResStringTranslated(SInsertLineError), L"Zeile kann nicht eingef\u00FCgt werden");
}
