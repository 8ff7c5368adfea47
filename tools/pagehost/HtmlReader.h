// The one place the page host touches an HTML parser: turns the bytes of a page into the flat,
// document-order list of its elements, which is all the host's document model needs.
#pragma once

#include <utility>
#include <vector>

#include "classlib/System.h"

namespace pagehost {

struct HtmlElementData {
  WideString Tag;  // as the parser reports it (lower case)
  std::vector<std::pair<WideString, WideString>> Attributes;  // in source order
  WideString Text;  // the element's own text content (what a STYLE element holds)

  // The value of the first attribute named so (ASCII case ignored), or empty.
  WideString Attribute(const WideString& name) const;
  // The same without a copy: nullptr when there is none.
  const WideString* FindAttribute(const WideString& name) const;
  bool HasAttribute(const WideString& name) const;
};

// Parses a page leniently, as a browser would: malformed markup is repaired, never refused.
// Elements come in document order, the implied HTML, HEAD and BODY included.
std::vector<HtmlElementData> ReadHtml(const AnsiString& bytes);

}  // namespace pagehost
