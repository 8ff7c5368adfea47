// Exceptions, the placeholder formatter, the platform texts and the debug log; the font and
// metrics wrappers on both paths.
#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <regex>

#include "common/trvAPI.h"
#include "common/trvTools.h"
#include "tests/support/TestFiles.h"
#include "unicode/UtxWindows.h"

namespace {

bool RunningAsWin98() {
  const char* v = std::getenv("VGT_WINVER");
  return v && std::string(v) == "win98";
}

WideString Fmt(const WideString& t, std::vector<WideString> args = {}) { return FormatIndexed(t, args); }

TEST(FormatIndexed, FillsPlaceholdersAfterTranslation) {
  EXPECT_EQ(Fmt(L"About %1", {L"Veilgate"}), L"About Veilgate");
  EXPECT_EQ(Fmt(L"Version %1%2", {L"1.2", L""}), L"Version 1.2");
  EXPECT_EQ(Fmt(L"%2 and %1", {L"a", L"b"}), L"b and a");
  EXPECT_EQ(Fmt(L"%1 %1", {L"x"}), L"x x");
  EXPECT_EQ(Fmt(L"no placeholder", {L"ignored"}), L"no placeholder");
}

TEST(FormatIndexed, PercentSignsAndMissingArguments) {
  EXPECT_EQ(Fmt(L"100%% sure"), L"100% sure");
  EXPECT_EQ(Fmt(L"%%1", {L"x"}), L"%1");           // the kept "%" is not examined again
  EXPECT_EQ(Fmt(L"%%%1", {L"x"}), L"%x");
  EXPECT_EQ(Fmt(L"%1", {L"%2", L"x"}), L"%2");     // inserted text is not scanned
  EXPECT_EQ(Fmt(L"%1%2", {L"%", L"2"}), L"%2");
  EXPECT_EQ(Fmt(L"50%", {L"x"}), L"50%");
  EXPECT_EQ(Fmt(L"%3", {L"a", L"b"}), L"%3");
  EXPECT_EQ(Fmt(L"%"), L"%");
  EXPECT_EQ(Fmt(L"%%"), L"%");
  EXPECT_EQ(Fmt(L"%a %1"), L"%a %1");
  EXPECT_EQ(Fmt(L""), L"");
}

TEST(FormatIndexed, TwoDigitPlaceholdersTakeTheLongestMatch) {
  std::vector<WideString> twelve;
  for (int i = 1; i <= 12; ++i) twelve.push_back(L"<" + std::to_wstring(i) + L">");
  EXPECT_EQ(FormatIndexed(L"%10", twelve), L"<10>");
  EXPECT_EQ(FormatIndexed(L"%12", twelve), L"<12>");
  EXPECT_EQ(FormatIndexed(L"%13", twelve), L"<1>3");
  EXPECT_EQ(Fmt(L"%10", {L"a", L"b"}), L"a0");
}

TEST(IntToWideStrMinDigits, PadsAndRefusesTooManyDigits) {
  EXPECT_EQ(IntToWideStrMinDigits(7, 3), L"007");
  EXPECT_EQ(IntToWideStrMinDigits(-5, 4), L"-0005");
  EXPECT_EQ(IntToWideStrMinDigits(123, 2), L"123");
  EXPECT_EQ(IntToWideStrMinDigits(42, 0), L"42");
  EXPECT_EQ(IntToWideStrMinDigits(0, 0), L"0");
  EXPECT_EQ(IntToWideStrMinDigits(INT_MIN, 0), L"-2147483648");
  EXPECT_EQ(IntToWideStrMinDigits(5, 32), WideString(31, L'0') + L"5");
  EXPECT_EQ(IntToWideStrMinDigits(-5, 20), L"-" + WideString(19, L'0') + L"5");
  for (int bad : {33, -1, INT_MIN}) {
    try {
      IntToWideStrMinDigits(5, bad);
      ADD_FAILURE() << bad;
    } catch (const ETRVConvertError& e) {
      EXPECT_EQ(e.WideMessage(), L"MinDigits too large");
      EXPECT_EQ(e.ClassName(), L"ETRVConvertError");
    }
  }
}

TEST(TrvExceptions, KeepTheWideMessageWhole) {
  const WideString text = L"abc \u03c9";  // omega has no form in code page 1252
  try {
    throw EMustNotHappen(text);
  } catch (const ETRVException& e) {
    EXPECT_EQ(e.WideMessage(), text);
    EXPECT_EQ(GetExceptionMessage(e), text);
    EXPECT_EQ(e.Message(), "abc ?");
    EXPECT_EQ(e.ClassName(), L"EMustNotHappen");
    EXPECT_TRUE(e.InheritsFrom(ETRVException::StaticClass()));
  }
  EXPECT_EQ(GetExceptionText(ETRVException(L"abc")), L"ETRVException: abc");
  EXPECT_EQ(GetExceptionText(EConvertError("b\xE4r")), L"EConvertError: b\u00e4r");
}

TEST(SystemTexts, ErrorTextLosesItsFullStopAndLineEnd) {
  for (bool unicode : {true, false}) {
    TUtxPlatformOverride platform(unicode, 1252);
    const WideString text = GetSystemErrorText(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), L'.');
    EXPECT_NE(text.back(), L'\n');
    EXPECT_NE(text.back(), L' ');
    EXPECT_EQ(text.find(L"\r\n"), WideString::npos);
    EXPECT_EQ(GetSystemErrorText(0x2FFFFFFF), L"");
  }
}

TEST(SystemTexts, CheckSystemResultRaisesTheLastError) {
  EXPECT_EQ(CheckSystemResult(7), 7u);
  SetLastError(ERROR_ACCESS_DENIED);
  try {
    CheckSystemResult(0);
    ADD_FAILURE();
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    // The system's own message, like every other platform failure of the system.
    EXPECT_EQ(e.WideMessage(), GetSystemErrorText(ERROR_ACCESS_DENIED));
  }
}

TEST(SystemTexts, DialogFontAndAnsiCharacters) {
  EXPECT_EQ(GetDialogFontName(), RunningAsWin98() ? L"MS Shell Dlg" : L"MS Shell Dlg 2");
  EXPECT_EQ(AnsiCharToWideChar('A'), L'A');
  EXPECT_EQ(AnsiCharToWideChar('\x80'), L'\u20ac');  // the euro sign of code page 1252
  EXPECT_EQ(AnsiCharToWideChar('\0'), L'\0');
}

TEST(SystemTexts, WindowTextOfAnyLength) {
  for (bool unicode : {true, false}) {
    TUtxPlatformOverride platform(unicode, 1252);
    for (size_t length : {0u, 10u, 254u, 255u, 256u, 600u}) {
      WideString text;
      for (size_t i = 0; i < length; ++i) text += static_cast<wchar_t>(i % 2 ? L'\u00e9' : L'a' + i % 26);
      HWND wnd = CreateWindowExW(0, L"STATIC", text.c_str(), 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
      ASSERT_TRUE(wnd);
      EXPECT_EQ(GetWindowTextWide(wnd), text) << length << (unicode ? " W" : " 8-bit");
      DestroyWindow(wnd);
      EXPECT_EQ(GetWindowTextWide(wnd), L"");
    }
  }
  EXPECT_EQ(GetWindowTextWide(nullptr), L"");
}

TEST(DebugLog, StampsHaveTheFixedPicture) {
  EXPECT_TRUE(std::regex_match(GetLogTimeStamp(), std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)")))
      << GetLogTimeStamp();
}

AnsiString ReadFileText(const AnsiString& name) {
  const std::vector<unsigned char> bytes = ReadFileBytes(WidenText(name));
  return AnsiString(bytes.begin(), bytes.end());
}

AnsiString TempLogName() {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  return AnsiString(folder) + "trvlog" + std::to_string(GetCurrentProcessId()) + ".log";
}

TEST(DebugLog, WritesNothingInTheDeliverables) {
  static_assert(DebugLogMask == 0 && DebugLogMode == 0);
  EXPECT_STREQ(DebugLogFileName, "c:\\devlog.log");
  DeleteFileA(DebugLogFileName);
  EXPECT_TRUE(DebugLog(L"never", 1));
  EXPECT_TRUE(DebugLog(L"never", 0xFFFFFFFF));
  EXPECT_EQ(GetFileAttributesA(DebugLogFileName), INVALID_FILE_ATTRIBUTES);
}

TEST(DebugLog, FileSinkAppendsStampedLines) {
  const AnsiString name = TempLogName();
  DeleteFileA(name.c_str());
  const std::regex stamp(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d )");
  {
    TDebugLogOverride log(1, DebugLogToFile, name);
    EXPECT_TRUE(DebugLog(L"a", 1));
    EXPECT_TRUE(DebugLog(L"", 1));
    EXPECT_TRUE(DebugLog(L"other level", 2));  // filtered out
    EXPECT_TRUE(DebugLog(L"caf\u00e9 \u03c9", 3));
  }
  AnsiString text = ReadFileText(name);
  EXPECT_TRUE(std::regex_match(text, std::regex(R"(\S+ \S+ a\r\n\r\n\S+ \S+ caf\xE9 \?\r\n)"))) << text;
  EXPECT_TRUE(std::regex_search(text, stamp));
  {
    // A second program run appends to what is there.
    TDebugLogOverride log(1, DebugLogToFile, name);
    DebugLog(L"b", 1);
  }
  text = ReadFileText(name);
  EXPECT_EQ(text.substr(text.size() - 3), "b\r\n");
  EXPECT_NE(text.find(" a\r\n"), AnsiString::npos);
  DeleteFileA(name.c_str());
}

TEST(DebugLog, FileSinkThatCannotBeOpenedIsSkippedAndRetried) {
  const AnsiString name = TempLogName() + ".dir";
  CreateDirectoryA(name.c_str(), nullptr);  // a folder where the file should be
  {
    TDebugLogOverride log(1, DebugLogToFile, name);
    EXPECT_TRUE(DebugLog(L"lost", 1));
    RemoveDirectoryA(name.c_str());
    EXPECT_TRUE(DebugLog(L"kept", 1));
  }
  EXPECT_NE(ReadFileText(name).find("kept\r\n"), AnsiString::npos);
  EXPECT_EQ(ReadFileText(name).find("lost"), AnsiString::npos);
  DeleteFileA(name.c_str());
}

// ---- font and metrics wrappers ----

class TrvApiPaths : public ::testing::TestWithParam<bool> {
 protected:
  TrvApiPaths() : FPlatform(GetParam(), GetParam() ? ConversionCodePage() : 1252) {}
  TUtxPlatformOverride FPlatform;
};

TEST_P(TrvApiPaths, FontFaceIsCutToThirtyBytesOnlyOnThe8BitPath) {
  LOGFONTW lf{};
  lf.lfHeight = -13;
  lf.lfWeight = FW_BOLD;
  lf.lfItalic = TRUE;
  const WideString face = L"Abcdefghijklmnopqrstuvwxyz01234";  // 31 characters
  wcscpy(lf.lfFaceName, face.c_str());
  HFONT font = ApiCreateFontIndirect(&lf);
  ASSERT_TRUE(font);
  LOGFONTA back{};
  ASSERT_TRUE(GetObjectA(font, sizeof back, &back));
  EXPECT_EQ(AnsiString(back.lfFaceName), GetParam() ? "Abcdefghijklmnopqrstuvwxyz01234" : "Abcdefghijklmnopqrstuvwxyz0123");
  EXPECT_EQ(back.lfHeight, -13);
  EXPECT_EQ(back.lfWeight, FW_BOLD);
  EXPECT_EQ(back.lfItalic, TRUE);
  DeleteObject(font);
}

TEST_P(TrvApiPaths, TextMetricsMatchTheWideCall) {
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_TRUE(dc);
  TEXTMETRICW wide{}, ours{};
  ASSERT_TRUE(GetTextMetricsW(dc, &wide));
  ASSERT_TRUE(ApiGetTextMetrics(dc, &ours));
  EXPECT_EQ(ours.tmHeight, wide.tmHeight);
  EXPECT_EQ(ours.tmAveCharWidth, wide.tmAveCharWidth);
  EXPECT_EQ(ours.tmDigitizedAspectY, wide.tmDigitizedAspectY);
  EXPECT_EQ(ours.tmCharSet, wide.tmCharSet);
  EXPECT_EQ(ours.tmWeight, wide.tmWeight);
  DeleteDC(dc);
  // A failed call leaves the record alone.
  TEXTMETRICW untouched{};
  untouched.tmHeight = 12345;
  EXPECT_FALSE(ApiGetTextMetrics(nullptr, &untouched));
  EXPECT_EQ(untouched.tmHeight, 12345);
}

INSTANTIATE_TEST_SUITE_P(Paths, TrvApiPaths, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Wide" : "EightBit"; });

}  // namespace
