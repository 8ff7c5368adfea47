// Text helpers of the page host: ASCII case, which is all that tag names, attribute names and
// address prefixes need, and UTF-8, the encoding of every page, sheet and list the host reads.
#pragma once

#include <string_view>

#include "classlib/System.h"

namespace pagehost {

WideString UpperAscii(WideString text);
WideString LowerAscii(WideString text);
bool SameAscii(const WideString& a, const WideString& b);
WideString Utf8ToWide(std::string_view bytes);

}  // namespace pagehost
