#include "tools/pagehost/HtmlReader.h"

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>
#include <windows.h>

#include <memory>

#include "tools/pagehost/HostText.h"

namespace pagehost {
namespace {

WideString FromUtf8(const xmlChar* text) {
  return text ? Utf8ToWide(reinterpret_cast<const char*>(text)) : WideString();
}

HtmlElementData ElementOf(xmlNode* node) {
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
  return e;
}

// Document order without recursion: elements the parser does not know as empty (EMBED, for one)
// nest everything after them, so real pages can be thousands of levels deep.
void Collect(xmlNode* root, std::vector<HtmlElementData>& out) {
  xmlNode* node = root;
  while (node) {
    if (node->type == XML_ELEMENT_NODE) out.push_back(ElementOf(node));
    if (node->type == XML_ELEMENT_NODE && node->children) {
      node = node->children;
      continue;
    }
    while (node && !node->next) {
      node = node->parent;
      if (node == root->parent) node = nullptr;
    }
    if (node) node = node->next;
  }
}

}  // namespace

const WideString* HtmlElementData::FindAttribute(const WideString& name) const {
  for (const auto& a : Attributes)
    if (SameAscii(a.first, name)) return &a.second;
  return nullptr;
}

WideString HtmlElementData::Attribute(const WideString& name) const {
  const WideString* value = FindAttribute(name);
  return value ? *value : WideString();
}

bool HtmlElementData::HasAttribute(const WideString& name) const {
  for (const auto& a : Attributes)
    if (SameAscii(a.first, name)) return true;
  return false;
}

std::vector<HtmlElementData> ReadHtml(const AnsiString& bytes) {
  std::vector<HtmlElementData> out;
  if (bytes.empty()) return out;
  // HUGE lifts the parser's nesting limit, which such pages would otherwise hit and be cut at.
  const int options = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                      HTML_PARSE_NONET | XML_PARSE_HUGE;
  std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc(
      htmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, "UTF-8", options),
      xmlFreeDoc);
  if (doc) Collect(xmlDocGetRootElement(doc.get()), out);
  return out;
}

}  // namespace pagehost
