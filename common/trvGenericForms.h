// The text routines of the library's message box.
#pragma once

#include <functional>

#include "classlib/System.h"

// The width a text takes when it is word-wrapped at most MaxWidth wide (wider only where a run of
// text cannot be wrapped).
using TWrappedTextWidth = std::function<int(const WideString& Text)>;

// Text with a line break (CR LF) put in front of every character at which a run without a place
// to wrap would grow wider than MaxWidth, so that each line fits. Nothing of Text is lost: taking
// the inserted CR LFs out gives Text again. A surrogate pair is never split; a lone surrogate
// counts as a character of its own. A character wider than MaxWidth by itself gets a line of its
// own.
WideString BreakLongText(const WideString& Text, int MaxWidth, const TWrappedTextWidth& WrappedWidth);

// Text with every two-character sequence "\n" (backslash, n) made a line break (CR LF).
WideString ExpandEscapedLineBreaks(const WideString& Text);
