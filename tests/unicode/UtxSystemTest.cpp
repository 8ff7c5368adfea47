// Codecs, the wide command line and resource strings.
#include <gtest/gtest.h>

#include "classlib/ResStrings.h"
#include "tests/unicode/UtxTestSupport.h"
#include "unicode/UtxSysUtils.h"
#include "unicode/UtxSystem.h"

namespace {

AnsiString Bytes(std::initializer_list<int> b) {
  AnsiString s;
  for (int c : b) s += static_cast<char>(c);
  return s;
}

TEST(UtxCommandLine, QuotesJoinAndBlanksSplit) {
  const wchar_t* line = L"prog  \"a b\"c  d";
  EXPECT_EQ(WideParamFromCommandLine(line, 0), L"prog");
  EXPECT_EQ(WideParamFromCommandLine(line, 1), L"a bc");
  EXPECT_EQ(WideParamFromCommandLine(line, 2), L"d");
  EXPECT_EQ(WideParamFromCommandLine(line, 3), L"");
  EXPECT_EQ(WideParamFromCommandLine(line, -1), L"");
}

TEST(UtxCommandLine, EmptyQuotesOpenRunsAndProgramPaths) {
  // Two quotes alone are skipped: the next parameter takes their place in the count.
  EXPECT_EQ(WideParamFromCommandLine(L"prog \"\" x y", 1), L"x");
  EXPECT_EQ(WideParamFromCommandLine(L"prog \"\"\"\" x", 1), L"x");
  // A quoted run left open runs to the end of the line, blanks included.
  EXPECT_EQ(WideParamFromCommandLine(L"prog \"a  b", 1), L"a  b");
  EXPECT_EQ(WideParamFromCommandLine(L"\"c:\\my dir\\p.exe\" -x", 0), L"c:\\my dir\\p.exe");
  EXPECT_EQ(WideParamFromCommandLine(L"\"c:\\my dir\\p.exe\" -x", 1), L"-x");
  // Control characters separate like blanks.
  EXPECT_EQ(WideParamFromCommandLine(L"p\ta\x01" L"b", 2), L"b");
  EXPECT_EQ(WideParamFromCommandLine(L"", 0), L"");
  EXPECT_EQ(WideParamFromCommandLine(nullptr, 0), L"");

  WideString param;
  const wchar_t* text = L"  one two";
  const wchar_t* rest = ParseWideParam(text, param);
  EXPECT_EQ(param, L"one");
  EXPECT_EQ(rest, text + 5);
}

TEST(UtxCommandLine, OverLongParameterIsCut) {
  const WideString line = L"prog " + WideString(5000, L'x') + L" next";
  EXPECT_EQ(WideParamFromCommandLine(line.c_str(), 1), WideString(4096, L'x'));
  EXPECT_EQ(WideParamFromCommandLine(line.c_str(), 2), L"next");
}

TEST(UtxCommandLine, ParameterZeroIsTheFullProgramName) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  EXPECT_EQ(GetWideParamStr(0), self);
  EXPECT_EQ(GetWideParamStr(-3), L"");
}

TEST(UtxUTF8, EncodesEachUnitByItself) {
  EXPECT_EQ(EncodeUTF8(L""), "");
  EXPECT_EQ(EncodeUTF8(L"A\u00E9"), Bytes({0x41, 0xC3, 0xA9}));
  EXPECT_EQ(EncodeUTF8(L"\u20AC"), Bytes({0xE2, 0x82, 0xAC}));
  EXPECT_EQ(EncodeUTF8(L"\u07FF\u0800"), Bytes({0xDF, 0xBF, 0xE0, 0xA0, 0x80}));
  // A surrogate pair: two three-byte sequences.
  EXPECT_EQ(EncodeUTF8(L"\xD83D\xDE00"), Bytes({0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80}));
}

TEST(UtxUTF8, DecodesByBitFiveOfTheLeadByte) {
  EXPECT_EQ(DecodeUTF8(""), L"");
  EXPECT_EQ(DecodeUTF8(Bytes({0x41, 0xC3, 0xA9, 0xE2, 0x82, 0xAC})), L"A\u00E9\u20AC");
  EXPECT_EQ(DecodeUTF8(EncodeUTF8(L"\xD83D\xDE00 x")), L"\xD83D\xDE00 x");
  // $A0-$BF have bit 5 set: three bytes. $80-$9F: two bytes.
  EXPECT_EQ(DecodeUTF8(Bytes({0xA1, 0x81, 0x81})), L"\u1041");
  EXPECT_EQ(DecodeUTF8(Bytes({0x9F, 0xBF})), L"\u07FF");
  // $F0-$FF start three-byte sequences: a four-byte form leaves a cut-off fourth byte.
  EXPECT_EQ(DecodeUTF8(Bytes({0xF0, 0x9F, 0x98, 0x80})), L"");
  // Overlong forms are taken as they come.
  EXPECT_EQ(DecodeUTF8(Bytes({0xC1, 0x81})), L"A");
}

TEST(UtxUTF8, BadInputGivesAnEmptyText) {
  EXPECT_EQ(DecodeUTF8(Bytes({0x41, 0xC3})), L"");
  EXPECT_EQ(DecodeUTF8(Bytes({0x41, 0xC3, 0x41})), L"");
  EXPECT_EQ(DecodeUTF8(Bytes({0xE2, 0x82})), L"");
  EXPECT_EQ(DecodeUTF8(Bytes({0xE2, 0x82, 0xC3})), L"");
}

TEST(UtxUTF7, Encodes) {
  EXPECT_EQ(EncodeUTF7(L""), "");
  EXPECT_EQ(EncodeUTF7(L"A+B"), "A+-B");
  EXPECT_EQ(EncodeUTF7(L"\u00E9"), "+AOk");
  EXPECT_EQ(EncodeUTF7(L"\u00E9a"), "+AOk-a");
  EXPECT_EQ(EncodeUTF7(L"\u00E9 "), "+AOk ");
  EXPECT_EQ(EncodeUTF7(L"\u00E9-"), "+AOk--");
  EXPECT_EQ(EncodeUTF7(L"\u00E9."), "+AOk.");
  EXPECT_EQ(EncodeUTF7(L"Hi Mom -\u263A-!"), "Hi Mom -+Jjo--!");
  EXPECT_EQ(EncodeUTF7(L"~\\"), "+AH4AXA");
}

TEST(UtxUTF7, DecodesAndRoundTrips) {
  EXPECT_EQ(DecodeUTF7(""), L"");
  EXPECT_EQ(DecodeUTF7("+AOk-a"), L"\u00E9a");
  EXPECT_EQ(DecodeUTF7("+-"), L"+");
  EXPECT_EQ(DecodeUTF7("+AOk-+AOk"), L"\u00E9\u00E9");
  EXPECT_EQ(DecodeUTF7("Hi Mom -+Jjo--!"), L"Hi Mom -\u263A-!");
  const WideString mixed = L"a+b\u00E9\u4E2D\xD83D\xDE00-x~\\\r\n";
  EXPECT_EQ(DecodeUTF7(EncodeUTF7(mixed)), mixed);
}

TEST(UtxUTF7, MalformedInputRaises) {
  for (const AnsiString& bad : {AnsiString("+!"), AnsiString("a+"), AnsiString("+AOl"),
                                AnsiString("ok\xE9"), AnsiString("+AOk-+")}) {
    try {
      DecodeUTF7(bad);
      ADD_FAILURE() << "no error for " << bad;
    } catch (const EUtxGeneralError& e) {
      EXPECT_EQ(e.Message(), "Invalid UTF7");
    }
  }
}

TEST(UtxUTF7, ErrorTextPassesThroughTheTranslator) {
  SetResStringTranslator([](const WideString& s) {
    return s == L"Invalid UTF7" ? WideString(L"Ung\u00FCltiges UTF7") : s;
  });
  TUtxPlatformOverride force(UnicodePlatform(), 1252);
  try {
    DecodeUTF7("+!");
    ADD_FAILURE() << "no error";
  } catch (const EUtxGeneralError& e) {
    EXPECT_EQ(e.Message(), "Ung\xFCltiges UTF7");
  }
  SetResStringTranslator({});
  EXPECT_EQ(UtxResString(SUtxBufferOverflow), L"Buffer overflow");
}

TEST(UtxCodePages, ByNumber) {
  EXPECT_EQ(AnsiToWideCodePage("+AOk-a", CP_UTF7), L"\u00E9a");
  EXPECT_EQ(AnsiToWideCodePage(Bytes({0xC3, 0xA9}), CP_UTF8), L"\u00E9");
  EXPECT_EQ(AnsiToWideCodePage(Bytes({0xE9}), 1252), L"\u00E9");
  EXPECT_EQ(AnsiToWideCodePage(Bytes({0xE9}), 1251), L"\u0439");
  EXPECT_EQ(AnsiToWideCodePage("", 1252), L"");
  EXPECT_EQ(WideToAnsiCodePage(L"\u00E9a", CP_UTF7), "+AOk-a");
  EXPECT_EQ(WideToAnsiCodePage(L"\u00E9", CP_UTF8), Bytes({0xC3, 0xA9}));
  EXPECT_EQ(WideToAnsiCodePage(L"\u0439", 1251), Bytes({0xE9}));
  EXPECT_EQ(WideToAnsiCodePage(L"\u4E2D", 1252), "?");
}

TEST(UtxCodePages, OfLocalesAndKeyboard) {
  EXPECT_EQ(LocaleAnsiCodePage(0x0419), 1251u);
  EXPECT_EQ(LocaleAnsiCodePage(0x0409), 1252u);
  EXPECT_EQ(LocaleAnsiCodePage(0x0411), 932u);
  EXPECT_EQ(LocaleAnsiCodePage(0x7F7F), GetACP());
  EXPECT_NE(KeyboardCodePage(), 0u);
  EXPECT_EQ(KeyboardCharToWide('A'), L'A');
}

TEST(UtxResources, StringTableAndTextPointers) {
  for (bool unicode : {true, false}) {
    TUtxPlatformOverride force(unicode, unicode ? CP_THREAD_ACP : 1252);
    const HMODULE self = GetModuleHandleW(nullptr);
    TResStringRec table{self, 101};
    EXPECT_EQ(WideLoadResString(&table), L"\u03A9mega and \u4E2D");
    EXPECT_EQ(WideLoadResString(nullptr), L"");
    static const char utf8[] = "\xEF\xBB\xBF\xC3\xA9t\xC3\xA9";
    TResStringRec text{self, reinterpret_cast<intptr_t>(utf8)};
    EXPECT_EQ(WideLoadResString(&text), L"\u00E9t\u00E9");
    // Exactly the three marker bytes: not longer than 3, so widened as 8-bit text.
    static const char markOnly[] = "\xEF\xBB\xBF";
    TResStringRec mark{self, reinterpret_cast<intptr_t>(markOnly)};
    EXPECT_EQ(WideLoadResString(&mark), L"\u00EF\u00BB\u00BF");
    static const char plain[] = "caf\xE9";
    TResStringRec ansi{self, reinterpret_cast<intptr_t>(plain)};
    EXPECT_EQ(WideLoadResString(&ansi), L"caf\u00E9");
  }
}

}  // namespace
