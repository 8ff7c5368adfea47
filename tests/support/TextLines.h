// A text's lines as tests compare them: a message box's or a label's text, broken with CR LF.
#pragma once

#include <vector>

#include "classlib/System.h"

// The lines of Text between its CR LF pairs (an empty text is one empty line).
inline std::vector<WideString> TextLines(const WideString& Text) {
  std::vector<WideString> lines;
  size_t start = 0;
  for (;;) {
    const size_t at = Text.find(L"\r\n", start);
    lines.push_back(Text.substr(start, at == WideString::npos ? WideString::npos : at - start));
    if (at == WideString::npos) return lines;
    start = at + 2;
  }
}
