// The platform switch and the wrappers, on the W path and on the 8-bit path (forced on NT, and for
// real in the Windows 98 copy of this program).
#include <gtest/gtest.h>

#include <cwchar>
#include <vector>

#include "tests/unicode/UtxTestSupport.h"
#include "unicode/UtxWindows.h"

namespace {

TEST(UtxPlatform, ValuesFollowTheReportedPlatform) {
  if (RunningAsWin98()) {
    EXPECT_FALSE(UnicodePlatform());
    EXPECT_FALSE(PlatformIsXPOrLater());
    // Off NT the code page is the thread locale's own ANSI code page, not CP_THREAD_ACP.
    EXPECT_EQ(ConversionCodePage(), 1252u);
  } else {
    EXPECT_TRUE(UnicodePlatform());
    EXPECT_TRUE(PlatformIsXPOrLater());
    EXPECT_EQ(ConversionCodePage(), static_cast<UINT>(CP_THREAD_ACP));
  }
}

TEST(UtxPlatform, OverrideIsRestoredAndNests) {
  const bool unicode = UnicodePlatform();
  const UINT cp = ConversionCodePage();
  {
    TUtxPlatformOverride outer(false, 1252);
    EXPECT_FALSE(UnicodePlatform());
    {
      TUtxPlatformOverride inner(true, 932);
      EXPECT_TRUE(UnicodePlatform());
      EXPECT_EQ(ConversionCodePage(), 932u);
    }
    EXPECT_FALSE(UnicodePlatform());
    EXPECT_EQ(ConversionCodePage(), 1252u);
  }
  EXPECT_EQ(UnicodePlatform(), unicode);
  EXPECT_EQ(ConversionCodePage(), cp);
}

TEST(UtxConversion, UsesTheConversionCodePage) {
  TUtxPlatformOverride force(false, 1252);
  EXPECT_EQ(NarrowText(L""), "");
  EXPECT_EQ(WidenText(AnsiString()), L"");
  EXPECT_EQ(NarrowText(static_cast<const wchar_t*>(nullptr)), "");
  EXPECT_EQ(NarrowText(L"caf\u00E9"), "caf\xE9");
  EXPECT_EQ(WidenText("caf\xE9"), L"caf\u00E9");
  // No 8-bit form: the code page's default character.
  EXPECT_EQ(NarrowText(L"\u03C9"), "?");
  // Embedded NULs travel with an explicit length.
  EXPECT_EQ(NarrowText(WideString(L"a\0b", 3)), AnsiString("a\0b", 3));
}

// Every test below runs once per path: true = W calls, false = 8-bit calls.
class UtxWrapper : public ::testing::TestWithParam<bool> {
 protected:
  UtxWrapper() : FForce(GetParam(), GetParam() ? CP_THREAD_ACP : 1252) {}
  TUtxPlatformOverride FForce;
};

TEST_P(UtxWrapper, ModuleFileNameTruncatesAsTheWideCall) {
  wchar_t expected[MAX_PATH];
  const DWORD len = GetModuleFileNameW(nullptr, expected, MAX_PATH);
  ASSERT_GT(len, 5u);

  wchar_t buffer[MAX_PATH + 2];
  wmemset(buffer, L'#', MAX_PATH + 2);
  EXPECT_EQ(WideGetModuleFileName(nullptr, buffer, MAX_PATH), len);
  EXPECT_STREQ(buffer, expected);

  // Room for exactly the name: the W contract copies Size characters without a terminator.
  wmemset(buffer, L'#', MAX_PATH + 2);
  EXPECT_EQ(WideGetModuleFileName(nullptr, buffer, len), len);
  EXPECT_EQ(WideString(buffer, len), WideString(expected, len));
  if (!GetParam()) {
    EXPECT_EQ(buffer[len], L'#');
  }

  wmemset(buffer, L'#', MAX_PATH + 2);
  EXPECT_EQ(WideGetModuleFileName(nullptr, buffer, 5), 5u);
  EXPECT_EQ(WideString(buffer, 5), WideString(expected, 5));
  if (!GetParam()) {
    EXPECT_EQ(buffer[5], L'#');
  }
}

TEST_P(UtxWrapper, LoadStringKeepsUtf16AndReportsLengths) {
  HINSTANCE self = GetModuleHandleW(nullptr);
  wchar_t buffer[64];
  EXPECT_EQ(WideLoadString(self, 100, buffer, 64), 5);
  EXPECT_STREQ(buffer, L"Hello");
  EXPECT_EQ(WideLoadString(self, 101, buffer, 64), 11);
  EXPECT_STREQ(buffer, L"\u03A9mega and \u4E2D");
  // A short buffer gets Size - 1 characters and a terminator.
  EXPECT_EQ(WideLoadString(self, 100, buffer, 3), 2);
  EXPECT_STREQ(buffer, L"He");
  // No string there, in a block that exists and in one that does not.
  buffer[0] = L'#';
  EXPECT_EQ(WideLoadString(self, 102, buffer, 64), 0);
  EXPECT_EQ(WideLoadString(self, 4000, buffer, 64), 0);
}

TEST_P(UtxWrapper, CharUpperHandlesCharactersAndTexts) {
  auto upper = [](wchar_t c) {
    return static_cast<wchar_t>(reinterpret_cast<uintptr_t>(
        WideCharUpper(reinterpret_cast<LPWSTR>(static_cast<uintptr_t>(c)))));
  };
  EXPECT_EQ(upper(L'a'), L'A');
  EXPECT_EQ(upper(L'\u00E9'), L'\u00C9');
  EXPECT_EQ(upper(L'1'), L'1');
  wchar_t text[] = L"ab\u00E9z";
  EXPECT_EQ(WideCharUpper(text), text);
  EXPECT_STREQ(text, L"AB\u00C9Z");
  wchar_t buff[] = L"xy\u00E9q";
  EXPECT_EQ(WideCharUpperBuff(buff, 3), 3u);
  EXPECT_STREQ(buff, L"XY\u00C9q");
}

TEST_P(UtxWrapper, StringTypeFillsOneEntryPerCharacter) {
  WORD types[5];
  std::fill(std::begin(types), std::end(types), 0xBEEF);
  ASSERT_TRUE(WideGetStringTypeEx(LOCALE_USER_DEFAULT, CT_CTYPE1, L"a1 .", 4, types));
  EXPECT_TRUE(types[0] & C1_LOWER);
  EXPECT_TRUE(types[1] & C1_DIGIT);
  EXPECT_TRUE(types[2] & C1_SPACE);
  EXPECT_TRUE(types[3] & C1_PUNCT);
  EXPECT_EQ(types[4], 0xBEEF);
}

TEST_P(UtxWrapper, FindAndCreateSeeFileNames) {
  TTempFolder dir;
  const WideString name = dir.File(L"caf\u00E9.txt");
  HANDLE h = WideCreateFile(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  WriteFileBytes(dir.File(L"second.txt"), "x");
  EXPECT_NE(WideGetFileAttributes(name.c_str()), INVALID_FILE_ATTRIBUTES);

  WIN32_FIND_DATAW fd{};
  HANDLE f = WideFindFirstFile((dir.Path() + L"\\*.txt").c_str(), &fd);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  std::vector<WideString> names{fd.cFileName};
  while (WideFindNextFile(f, &fd)) names.push_back(fd.cFileName);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
  FindClose(f);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<WideString>{L"caf\u00E9.txt", L"second.txt"}));

  SetLastError(0);
  EXPECT_EQ(WideGetFileAttributes(dir.File(L"missing").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_P(UtxWrapper, VersionStringsComeBackAsUtf16) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  DWORD handle = 0;
  const DWORD size = WideGetFileVersionInfoSize(self, &handle);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> block(size);
  ASSERT_TRUE(WideGetFileVersionInfo(self, 0, size, block.data()));

  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(WideVerQueryValue(block.data(), L"\\stringFILEinfo\\040904E4\\FileDescription",
                                &value, &length));
  const WideString text(static_cast<const wchar_t*>(value), length);
  // The length counts UTF-16 characters (with the terminator where the platform counts it).
  EXPECT_EQ(WideString(text.c_str()), L"Caf\u00E9 test");
  EXPECT_LE(length, 10u);
  EXPECT_GE(length, 9u);

  ASSERT_TRUE(WideVerQueryValue(block.data(), L"\\", &value, &length));
  ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00030001u);
}

INSTANTIATE_TEST_SUITE_P(Paths, UtxWrapper, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Wide" : "EightBit"; });

// ---- the 8-bit path only ----

TEST(UtxEightBit, CharUpperLeavesCharactersWithoutAnsiFormAlone) {
  TUtxPlatformOverride force(false, 1252);
  wchar_t text[] = L"\u03C9\u4E2Dx";
  WideCharUpper(text);
  EXPECT_STREQ(text, L"\u03C9\u4E2DX");
}

TEST(UtxEightBit, StringTypeStaysInsideTheCallersArrayInADoubleByteCodePage) {
  TUtxPlatformOverride force(false, 932);
  if (NarrowText(L"\u4E2D").size() != 2) GTEST_SKIP() << "code page 932 is not available";
  const wchar_t text[] = L"\u4E2Da\u6587 ";
  for (LCID locale : {LCID(0x0409), LCID(0x0411)}) {
    WORD types[8];
    std::fill(std::begin(types), std::end(types), 0xBEEF);
    ASSERT_TRUE(WideGetStringTypeEx(locale, CT_CTYPE1, text, 4, types));
    // One entry per character, in place: the Latin letter and the blank keep their positions.
    EXPECT_TRUE(types[1] & C1_LOWER) << locale;
    EXPECT_TRUE(types[3] & C1_SPACE) << locale;
    for (int i = 4; i < 8; ++i) EXPECT_EQ(types[i], 0xBEEF) << "entry " << i << " written";
  }
  // -1 measures the text and counts the terminator, as the wide call does.
  WORD types[8];
  std::fill(std::begin(types), std::end(types), 0xBEEF);
  ASSERT_TRUE(WideGetStringTypeEx(0x0411, CT_CTYPE1, text, -1, types));
  for (int i = 5; i < 8; ++i) EXPECT_EQ(types[i], 0xBEEF) << "entry " << i << " written";
}

TEST(UtxEightBit, DrawTextNeverChangesTheCallersText) {
  TUtxPlatformOverride force(false, 1252);
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  wchar_t text[] = L"A rather long caption that cannot fit";
  const WideString before = text;
  RECT r{0, 0, 30, 20};
  WideDrawText(dc, text, -1, &r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_MODIFYSTRING);
  EXPECT_EQ(WideString(text), before);
  RECT calc{0, 0, 0, 0};
  EXPECT_GT(WideDrawText(dc, text, 6, &calc, DT_SINGLELINE | DT_CALCRECT), 0);
  EXPECT_GT(calc.right, 0);
  DeleteDC(dc);
}

TEST(UtxEightBit, LoadStringWithoutBufferGivesTheEntryLength) {
  TUtxPlatformOverride force(false, 1252);
  HINSTANCE self = GetModuleHandleW(nullptr);
  EXPECT_EQ(WideLoadString(self, 100, nullptr, 0), 5);
  wchar_t one[1] = {L'#'};
  EXPECT_EQ(WideLoadString(self, 100, one, 1), 0);
  EXPECT_EQ(one[0], L'\0');
  // An identifier whose high word is $FFFF names the same entry negated.
  EXPECT_EQ(WideLoadString(self, static_cast<UINT>(-100), nullptr, 0), 5);
}

TEST(UtxEightBit, UnrepresentableFileNameFailsAsTheCallReportsIt) {
  TUtxPlatformOverride force(false, 1252);
  TTempFolder dir;
  const WideString name = dir.File(L"\u03C9\u4E2D.txt");
  SetLastError(0);
  HANDLE h = WideCreateFile(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE);
  EXPECT_NE(GetLastError(), 0u);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

}  // namespace
