#include "tools/pagehost/HtmlReader.h"

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>
#include <windows.h>

#include <memory>

namespace pagehost {
namespace {

WideString FromUtf8(const xmlChar* text) {
  if (!text) return {};
  const char* s = reinterpret_cast<const char*>(text);
  int n = MultiByteToWideChar(CP_UTF8, 0, s, -1, nullptr, 0);
  if (n <= 1) return {};
  WideString out(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s, -1, out.data(), n);
  out.resize(n - 1);
  return out;
}

bool SameAscii(const WideString& a, const WideString& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    wchar_t x = a[i], y = b[i];
    if (x >= L'A' && x <= L'Z') x += 32;
    if (y >= L'A' && y <= L'Z') y += 32;
    if (x != y) return false;
  }
  return true;
}

void Collect(xmlNode* node, std::vector<HtmlElementData>& out) {
  for (; node; node = node->next) {
    if (node->type != XML_ELEMENT_NODE) continue;
    HtmlElementData e;
    e.Tag = FromUtf8(node->name);
    for (xmlAttr* a = node->properties; a; a = a->next) {
      xmlChar* value = xmlNodeListGetString(node->doc, a->children, 1);
      e.Attributes.emplace_back(FromUtf8(a->name), FromUtf8(value));
      if (value) xmlFree(value);
    }
    for (xmlNode* c = node->children; c; c = c->next)
      if (c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE)
        e.Text += FromUtf8(c->content);
    out.push_back(std::move(e));
    Collect(node->children, out);
  }
}

}  // namespace

WideString HtmlElementData::Attribute(const WideString& name) const {
  for (const auto& a : Attributes)
    if (SameAscii(a.first, name)) return a.second;
  return {};
}

bool HtmlElementData::HasAttribute(const WideString& name) const {
  for (const auto& a : Attributes)
    if (SameAscii(a.first, name)) return true;
  return false;
}

std::vector<HtmlElementData> ReadHtml(const AnsiString& bytes) {
  std::vector<HtmlElementData> out;
  if (bytes.empty()) return out;
  const int options = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                      HTML_PARSE_NONET;
  std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc(
      htmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, "UTF-8", options),
      xmlFreeDoc);
  if (doc) Collect(xmlDocGetRootElement(doc.get()), out);
  return out;
}

}  // namespace pagehost
