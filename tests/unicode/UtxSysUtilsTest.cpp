// Wide string, path and file utilities.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "tests/unicode/UtxTestSupport.h"
#include "unicode/UtxSysUtils.h"

namespace {

TEST(UtxReplace, AllFirstAndIgnoringCase) {
  EXPECT_EQ(ReplaceWideText(L"a-b-a-b", L"a", L"xy", rfReplaceAll, false), L"xy-b-xy-b");
  EXPECT_EQ(ReplaceWideText(L"a-b-a-b", L"a", L"xy", 0, false), L"xy-b-a-b");
  // The hit is found in the upper-cased copy and replaced at the same place in the caller's text.
  EXPECT_EQ(ReplaceWideText(L"one Two tWo", L"TWO", L"2", rfReplaceAll | rfIgnoreCase, false),
            L"one 2 2");
  EXPECT_EQ(ReplaceWideText(L"\u00E9t\u00E9 \u00C9T\u00C9", L"\u00C9t\u00C9", L"x",
                            rfReplaceAll | rfIgnoreCase, false),
            L"x x");
  EXPECT_EQ(ReplaceWideText(L"one Two", L"TWO", L"2", rfReplaceAll, false), L"one Two");
  EXPECT_EQ(ReplaceWideText(L"", L"a", L"b", rfReplaceAll, false), L"");
  EXPECT_EQ(ReplaceWideText(L"abc", L"", L"b", rfReplaceAll, false), L"abc");
  // A longer replacement does not make the search find its own output.
  EXPECT_EQ(ReplaceWideText(L"aa", L"a", L"aa", rfReplaceAll, false), L"aaaa");
}

TEST(UtxReplace, WholeWordsOnly) {
  EXPECT_EQ(ReplaceWideText(L"cat bobcat cat", L"cat", L"dog", rfReplaceAll, true),
            L"dog bobcat dog");
  EXPECT_EQ(ReplaceWideText(L"cat, (cat). cats", L"CAT", L"dog", rfReplaceAll | rfIgnoreCase, true),
            L"dog, (dog). cats");
  EXPECT_EQ(ReplaceWideText(L"bobcat cat", L"cat", L"dog", 0, true), L"bobcat dog");
}

TEST(UtxText, LineBreaksInEveryStyle) {
  const WideString text = L"a\r\nb\rc\nd\u2028e\u2029f";
  EXPECT_EQ(AdjustWideLineBreaks(text, tlbsCRLF), L"a\r\nb\r\nc\r\nd\r\ne\u2029f");
  EXPECT_EQ(AdjustWideLineBreaks(text, tlbsLF), L"a\nb\nc\nd\ne\u2029f");
  EXPECT_EQ(AdjustWideLineBreaks(text, tlbsCR), L"a\rb\rc\rd\re\u2029f");
  // LF CR is two breaks.
  EXPECT_EQ(AdjustWideLineBreaks(L"\n\r", tlbsCRLF), L"\r\n\r\n");
  EXPECT_EQ(AdjustWideLineBreaks(L"", tlbsCRLF), L"");
}

TEST(UtxText, CaseAndSearch) {
  EXPECT_EQ(UpperCaseWide(L"ab\u00E9"), L"AB\u00C9");
  EXPECT_EQ(UpperCaseWide(L""), L"");
  EXPECT_EQ(WideTextPos(L"LO W", L"hello world"), 4);
  EXPECT_EQ(WideTextPos(L"x", L"hello"), 0);
  EXPECT_EQ(WideLastChar(L""), L'\0');
  EXPECT_EQ(WideLastChar(L"ab"), L'b');
  EXPECT_TRUE(IsWordDelimiter(0));
  EXPECT_TRUE(IsWordDelimiter(L' '));
  EXPECT_TRUE(IsWordDelimiter(L','));
  EXPECT_FALSE(IsWordDelimiter(L'a'));
  EXPECT_FALSE(IsWordDelimiter(L'\u00E9'));
  EXPECT_TRUE(GetWideCharType(L'7', CT_CTYPE1) & C1_DIGIT);
}

TEST(UtxText, AnsiEquivalentFollowsTheConversionCodePage) {
  TUtxPlatformOverride force(false, 1252);
  EXPECT_TRUE(HasAnsiEquivalent(L'a'));
  EXPECT_TRUE(HasAnsiEquivalent(L'\u20AC'));
  EXPECT_FALSE(HasAnsiEquivalent(L'\u03C9'));
  TUtxPlatformOverride greek(false, 1253);
  EXPECT_TRUE(HasAnsiEquivalent(L'\u03C9'));
}

TEST(UtxBuffers, BlocksCarryTheirSizeAndNeverWrap) {
  wchar_t* copy = WideStrNew(L"abc");
  EXPECT_STREQ(copy, L"abc");
  uint32_t bytes = 0;
  memcpy(&bytes, reinterpret_cast<const char*>(copy) - 4, 4);
  EXPECT_EQ(bytes, 2u * 4 + 4);
  EXPECT_EQ(WideStrEnd(copy), copy + 3);
  EXPECT_EQ(WideStrScan(copy, L'c'), copy + 2);
  EXPECT_EQ(WideStrScan(copy, 0), copy + 3);
  EXPECT_EQ(WideStrScan(copy, L'x'), nullptr);
  WideStrDispose(copy);
  EXPECT_EQ(WideStrNew(nullptr), nullptr);
  // A size whose byte count passes 32 bits is refused, not handed out as a tiny block.
  EXPECT_THROW(WideStrAlloc(0x80000000u), std::bad_alloc);
  EXPECT_THROW(WideStrAlloc(0xFFFFFFFFu), std::bad_alloc);
  wchar_t dest[4];
  EXPECT_STREQ(CopyWideStrMax(dest, L"abcdef", 3), L"abc");
}

TEST(UtxPaths, SplitAndJoin) {
  EXPECT_EQ(WideExtractFilePath(L"c:\\dir\\file.txt"), L"c:\\dir\\");
  EXPECT_EQ(WideExtractFileName(L"c:\\dir\\file.txt"), L"file.txt");
  EXPECT_EQ(WideExtractFilePath(L"c:file.txt"), L"c:");
  EXPECT_EQ(WideExtractFileName(L"c:file.txt"), L"file.txt");
  EXPECT_EQ(WideExtractFilePath(L"file.txt"), L"");
  EXPECT_EQ(WideIncludeTrailingBackslash(L"c:\\dir\\"), L"c:\\dir\\");
  EXPECT_EQ(WideIncludeTrailingBackslash(L"c:\\dir"), L"c:\\dir\\");
  EXPECT_EQ(WideIncludeTrailingBackslash(L""), L"\\");
  EXPECT_TRUE(WideIsPathDelimiter(L"a\\", 2));
  EXPECT_FALSE(WideIsPathDelimiter(L"a\\", 3));
  EXPECT_FALSE(WideIsPathDelimiter(L"a\\", 0));
  EXPECT_EQ(WideLastDelimiter(L"\\:", L"a:b\\c"), 4);
  EXPECT_EQ(WideLastDelimiter(L"\\:", L"abc"), 0);
}

TEST(UtxOSErrors, ZeroResultRaisesTheLastError) {
  EXPECT_EQ(CheckOSResult(7), 7u);
  SetLastError(ERROR_FILE_NOT_FOUND);
  try {
    CheckOSResult(0);
    FAIL() << "no exception";
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(e.Message().empty());
  }
}

// ---- files, on both paths ----

class UtxFiles : public ::testing::TestWithParam<bool> {
 protected:
  UtxFiles() : FForce(GetParam(), GetParam() ? CP_THREAD_ACP : 1252) {}
  TUtxPlatformOverride FForce;
};

TEST_P(UtxFiles, FindSkipsSpecialEntriesUnlessAsked) {
  TTempFolder dir;
  WriteFileBytes(dir.File(L"plain.txt"), "12345");
  WriteFileBytes(dir.File(L"readonly.txt"), "");
  WriteFileBytes(dir.File(L"hidden.txt"), "");
  WriteFileBytes(dir.File(L"system.txt"), "");
  SetFileAttributesW(dir.File(L"readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesW(dir.File(L"hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesW(dir.File(L"system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM);
  CreateDirectoryW(dir.File(L"sub.txt").c_str(), nullptr);

  auto list = [&](DWORD attr) {
    std::vector<WideString> names;
    TSearchRecW f;
    int r = WideFindFirst(dir.Path() + L"\\*.txt", attr, f);
    while (r == 0) {
      names.push_back(f.Name);
      if (f.Name == L"plain.txt") {
        EXPECT_EQ(f.Size, 5);
        EXPECT_NE(f.Time, 0);
      }
      r = WideFindNext(f);
    }
    EXPECT_EQ(r, ERROR_NO_MORE_FILES);
    WideFindClose(f);
    WideFindClose(f);  // harmless twice
    EXPECT_EQ(f.FindHandle, INVALID_HANDLE_VALUE);
    std::sort(names.begin(), names.end());
    return names;
  };
  EXPECT_EQ(list(0), (std::vector<WideString>{L"plain.txt", L"readonly.txt"}));
  EXPECT_EQ(list(FILE_ATTRIBUTE_DIRECTORY),
            (std::vector<WideString>{L"plain.txt", L"readonly.txt", L"sub.txt"}));
  EXPECT_EQ(list(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
            (std::vector<WideString>{L"hidden.txt", L"plain.txt", L"readonly.txt", L"system.txt"}));

  TSearchRecW none;
  EXPECT_NE(WideFindFirst(dir.Path() + L"\\*.none", 0, none), 0);
  EXPECT_EQ(none.FindHandle, INVALID_HANDLE_VALUE);
  SetFileAttributesW(dir.File(L"readonly.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_P(UtxFiles, ExistsCreateAndOpen) {
  TTempFolder dir;
  EXPECT_FALSE(WideFileExists(dir.Path()));
  EXPECT_FALSE(WideFileExists(dir.File(L"missing")));
  EXPECT_EQ(WideFileGetAttr(dir.File(L"missing")), 0xFFFFFFFFu);

  const WideString name = dir.File(L"new.bin");
  HANDLE h = WideFileCreate(name);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  // Created exclusive: nobody else may open it meanwhile.
  EXPECT_EQ(WideFileOpen(name, 0x40), INVALID_HANDLE_VALUE);
  CloseHandle(h);
  EXPECT_TRUE(WideFileExists(name));

  HANDLE r1 = WideFileOpen(name, 0x40);
  ASSERT_NE(r1, INVALID_HANDLE_VALUE);
  HANDLE r2 = WideFileOpen(name, 0x20);  // deny write: others already read, fine
  EXPECT_NE(r2, INVALID_HANDLE_VALUE);
  EXPECT_EQ(WideFileOpen(name, 0x12), INVALID_HANDLE_VALUE);  // exclusive refused
  CloseHandle(r1);
  if (r2 != INVALID_HANDLE_VALUE) CloseHandle(r2);
  // Modes outside the tables open nothing.
  EXPECT_EQ(WideFileOpen(name, 3), INVALID_HANDLE_VALUE);
  EXPECT_EQ(WideFileOpen(name, 0x50), INVALID_HANDLE_VALUE);
  EXPECT_EQ(WideFileOpen(dir.File(L"missing"), 0), INVALID_HANDLE_VALUE);
}

TEST_P(UtxFiles, ModuleNameOfTheProgram) {
  wchar_t expected[MAX_PATH];
  GetModuleFileNameW(nullptr, expected, MAX_PATH);
  EXPECT_EQ(WideGetModuleName(nullptr), expected);
}

TEST_P(UtxFiles, ModuleNameOfAtLeast260CharactersStaysInItsBuffer) {
  TTempFolder dir;
  WideString path = dir.Path();
  while (path.size() < 280) {
    path += L"\\" + WideString(40, L'd');
    CreateDirectoryW(path.c_str(), nullptr);
  }
  const WideString copy = path + L"\\m.dll";
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (!CopyFileW(self, copy.c_str(), FALSE)) GTEST_SKIP() << "no long paths here";
  HMODULE module = LoadLibraryExW(copy.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  if (!module) GTEST_SKIP() << "cannot load from a long path here";
  const WideString name = WideGetModuleName(module);
  FreeLibrary(module);
  if (GetParam()) {
    EXPECT_EQ(name, copy);
  } else {
    // The 8-bit call holds 260 bytes: a cut name, but nothing from beyond the buffer.
    EXPECT_EQ(name.size(), static_cast<size_t>(MAX_PATH));
    EXPECT_EQ(name, copy.substr(0, name.size()));
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, UtxFiles, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Wide" : "EightBit"; });

}  // namespace
