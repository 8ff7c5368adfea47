#include "common/trvGenericForms.h"

#include <vector>

namespace {

bool IsHighSurrogate(wchar_t C) { return C >= 0xD800 && C <= 0xDBFF; }
bool IsLowSurrogate(wchar_t C) { return C >= 0xDC00 && C <= 0xDFFF; }

// Where each character starts: a surrogate pair is one character, anything else (a lone
// surrogate too) one UTF-16 unit. The last entry is the text's length.
std::vector<size_t> CharacterStarts(const WideString& Text) {
  std::vector<size_t> starts;
  size_t i = 0;
  while (i < Text.size()) {
    starts.push_back(i);
    i += (IsHighSurrogate(Text[i]) && i + 1 < Text.size() && IsLowSurrogate(Text[i + 1])) ? 2 : 1;
  }
  starts.push_back(Text.size());
  return starts;
}

}  // namespace

// Line by line: the longest run of characters from the line's start that fits, found by doubling
// and then halving the count, so a long text costs a few measurements per line instead of one per
// character. A wrapped width only grows as characters are added to the end, which is what makes
// the search sound.
WideString BreakLongText(const WideString& Text, int MaxWidth, const TWrappedTextWidth& WrappedWidth) {
  const std::vector<size_t> starts = CharacterStarts(Text);
  const size_t count = starts.size() - 1;
  const auto fits = [&](size_t First, size_t Characters) {
    return WrappedWidth(Text.substr(starts[First], starts[First + Characters] - starts[First])) <= MaxWidth;
  };
  WideString result;
  result.reserve(Text.size() + Text.size() / 8);
  size_t line = 0;
  while (line < count) {
    const size_t left = count - line;
    // good: a count known to fit (at least one character, even one wider than MaxWidth, so that
    // every line takes something); bad: a count known not to, or one past the rest.
    size_t good = 1, bad = left + 1;
    for (size_t probe = 2; probe <= left; probe *= 2) {
      if (!fits(line, probe)) {
        bad = probe;
        break;
      }
      good = probe;
    }
    if (bad == left + 1 && good < left) {
      if (fits(line, left)) good = left;
      else bad = left;
    }
    while (bad - good > 1) {
      const size_t middle = good + (bad - good) / 2;
      if (fits(line, middle)) good = middle;
      else bad = middle;
    }
    result.append(Text, starts[line], starts[line + good] - starts[line]);
    line += good;
    if (line < count) result.append(L"\r\n");
  }
  return result;
}

WideString ExpandEscapedLineBreaks(const WideString& Text) {
  WideString result;
  result.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] == L'\\' && i + 1 < Text.size() && Text[i + 1] == L'n') {
      result.append(L"\r\n");
      ++i;
    } else {
      result.push_back(Text[i]);
    }
  }
  return result;
}
