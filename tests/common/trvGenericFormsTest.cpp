// The message box's text routines: long runs without a place to wrap broken into lines that fit,
// with every character kept and surrogate pairs whole; "\n" made a line break.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "base/DeviceContext.h"
#include "common/trvGenericForms.h"
#include "common/trvTools.h"
#include "tests/support/TextLines.h"

namespace {

// Characters of a fixed width; lines wrap at blanks and line breaks, so only a run without
// either can be wider than the maximum. A surrogate pair is one character.
struct TFixedWidthText {
  int CharWidth;
  int MaxWidth;
  mutable int Calls = 0;
  int operator()(const WideString& Text) const {
    ++Calls;
    int widest = 0, run = 0;
    for (size_t i = 0; i < Text.size(); ++i) {
      const wchar_t c = Text[i];
      if (c == L' ' || c == L'\r' || c == L'\n') {
        run = 0;
        continue;
      }
      if (c >= 0xDC00 && c <= 0xDFFF && i > 0 && Text[i - 1] >= 0xD800 && Text[i - 1] <= 0xDBFF) continue;
      run += CharWidth;
      if (run > widest) widest = run;
    }
    return std::max(widest, std::min(static_cast<int>(Text.size()) * CharWidth, MaxWidth));
  }
};

WideString Broken(const WideString& Text, int CharWidth, int MaxWidth) {
  return BreakLongText(Text, MaxWidth, TFixedWidthText{CharWidth, MaxWidth});
}

WideString WithoutBreaks(const WideString& Text) {
  WideString joined;
  for (const WideString& line : TextLines(Text)) joined += line;
  return joined;
}

TEST(BreakLongText, BreaksInFrontOfTheCharacterThatOverflows) {
  EXPECT_EQ(Broken(L"abcdefg", 10, 30), L"abc\r\ndef\r\ng");
  EXPECT_EQ(Broken(L"abcdef", 10, 30), L"abc\r\ndef");
  EXPECT_EQ(Broken(L"abc", 10, 30), L"abc");
  EXPECT_EQ(Broken(L"", 10, 30), L"");
}

TEST(BreakLongText, TextThatWrapsByItselfIsLeftAlone) {
  const WideString words = L"one two three four five six seven eight nine ten";
  EXPECT_EQ(Broken(words, 10, 60), words);
  EXPECT_EQ(Broken(L"ab cdefgh ij", 10, 30), L"ab cde\r\nfgh ij");
}

TEST(BreakLongText, TenThousandCharactersWithoutABlankEndAndKeepEveryCharacter) {
  WideString text;
  for (int i = 0; i < 10000; ++i) text.push_back(static_cast<wchar_t>(L'a' + i % 26));
  const TFixedWidthText width{7, 630};
  const WideString result = BreakLongText(text, 630, width);
  EXPECT_EQ(WithoutBreaks(result), text);
  const std::vector<WideString> lines = TextLines(result);
  EXPECT_EQ(lines.size(), 112u);  // 90 characters of 7 fit 630
  for (const WideString& line : lines) EXPECT_LE(width(line), 630);
  // A few measurements per line, not one per character.
  EXPECT_LT(width.Calls, 3000);
}

// Broken for ever, or never ending, when one character is wider than the maximum by itself.
TEST(BreakLongText, ACharacterWiderThanTheMaximumGetsALineOfItsOwn) {
  EXPECT_EQ(Broken(L"abc", 10, 5), L"a\r\nb\r\nc");
  const WideString pairs = L"\xD83D\xDE00\xD83D\xDE01";
  EXPECT_EQ(Broken(pairs, 10, 5), L"\xD83D\xDE00\r\n\xD83D\xDE01");
  WideString long_(2000, L'x');
  EXPECT_EQ(WithoutBreaks(Broken(long_, 10, 0)), long_);
  EXPECT_EQ(TextLines(Broken(long_, 10, 0)).size(), 2000u);
}

TEST(BreakLongText, SurrogatePairsAreNeverSplit) {
  WideString text;
  for (int i = 0; i < 500; ++i) text += L"\xD83D\xDE00";
  text = L"x" + text;  // puts every pair across an odd break position
  const WideString result = Broken(text, 10, 30);
  EXPECT_EQ(WithoutBreaks(result), text);
  for (const WideString& line : TextLines(result)) {
    ASSERT_FALSE(line.empty());
    EXPECT_FALSE(line.front() >= 0xDC00 && line.front() <= 0xDFFF);
    EXPECT_FALSE(line.back() >= 0xD800 && line.back() <= 0xDBFF);
  }
  EXPECT_EQ(Broken(L"ab\xD83D\xDE00" L"cd", 10, 30), L"ab\xD83D\xDE00\r\ncd");
}

// A lone low surrogate was taken for the end of a pair: it and the character before it went.
TEST(BreakLongText, LoneSurrogatesAreKeptAsCharactersOfTheirOwn) {
  EXPECT_EQ(Broken(L"ab\xDC00" L"cd", 10, 30), L"ab\xDC00\r\ncd");
  EXPECT_EQ(Broken(L"abc\xDC00" L"d", 10, 30), L"abc\r\n\xDC00" L"d");
  EXPECT_EQ(Broken(L"ab\xD800" L"cd", 10, 30), L"ab\xD800\r\ncd");
  EXPECT_EQ(Broken(L"abcd\xD800", 10, 30), L"abc\r\nd\xD800");
  WideString text;
  for (int i = 0; i < 300; ++i) text += (i % 7 == 3) ? L'\xDC01' : L'q';
  EXPECT_EQ(WithoutBreaks(Broken(text, 10, 40)), text);
}

// Measured as a word-wrapped label measures: the platform's text layout in the dialog font.
TEST(BreakLongText, EveryLineFitsWhenThePlatformMeasures) {
  const TMemoryDC dc;
  ASSERT_TRUE(dc.Get());
  LOGFONTW lf{};
  lf.lfHeight = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
  lf.lfCharSet = DEFAULT_CHARSET;
  wcscpy(lf.lfFaceName, GetDialogFontName().c_str());
  const TGdiObject<HFONT> font(CreateFontIndirectW(&lf));
  const TSelectedObject selected(dc, font);
  const int maxWidth = 300;
  const auto wrappedWidth = [&](const WideString& Text) {
    RECT r{0, 0, maxWidth, 0};
    DrawTextW(dc, Text.c_str(), static_cast<int>(Text.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    return static_cast<int>(r.right - r.left);
  };
  WideString text = L"Zone change failed for ";
  for (int i = 0; i < 2000; ++i) text.push_back(static_cast<wchar_t>(L'A' + i % 26));
  text += L" and a few words after it.";
  const WideString result = BreakLongText(text, maxWidth, wrappedWidth);
  EXPECT_EQ(WithoutBreaks(result), text);
  EXPECT_GT(TextLines(result).size(), 5u);
  EXPECT_LE(wrappedWidth(result), maxWidth);
}

TEST(ExpandEscapedLineBreaks, BackslashNBecomesALineBreakAndNothingElseChanges) {
  EXPECT_EQ(ExpandEscapedLineBreaks(L"first\\nsecond"), L"first\r\nsecond");
  EXPECT_EQ(ExpandEscapedLineBreaks(L"\\n\\n"), L"\r\n\r\n");
  EXPECT_EQ(ExpandEscapedLineBreaks(L"c:\\new\\x"), L"c:\r\new\\x");
  EXPECT_EQ(ExpandEscapedLineBreaks(L"ends with \\"), L"ends with \\");
  EXPECT_EQ(ExpandEscapedLineBreaks(L"\\N and \\\\"), L"\\N and \\\\");
  EXPECT_EQ(ExpandEscapedLineBreaks(L""), L"");
}

}  // namespace
