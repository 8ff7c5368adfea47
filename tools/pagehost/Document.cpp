#include "tools/pagehost/Document.h"

#include "tools/pagehost/HostText.h"

namespace pagehost {

namespace {

// The addresses named by the @import rules of a style sheet, in order.
std::vector<WideString> ImportAddresses(const WideString& css) {
  std::vector<WideString> out;
  size_t pos = 0;
  while ((pos = css.find(L"@import", pos)) != WideString::npos) {
    pos += 7;
    size_t p = css.find_first_not_of(L" \t\r\n", pos);
    if (p == WideString::npos) break;
    bool isUrl = css.compare(p, 4, L"url(") == 0;
    if (isUrl) p = css.find_first_not_of(L" \t\r\n", p + 4);
    if (p == WideString::npos) break;
    WideString address;
    if (css[p] == L'"' || css[p] == L'\'') {
      size_t e = css.find(css[p], p + 1);
      if (e == WideString::npos) break;
      address = css.substr(p + 1, e - p - 1);
    } else if (isUrl) {
      size_t e = css.find(L')', p);
      if (e == WideString::npos) break;
      address = css.substr(p, e - p);
      while (!address.empty() && (address.back() == L' ' || address.back() == L'\t'))
        address.pop_back();
    }
    if (!address.empty()) out.push_back(address);
  }
  return out;
}

ComPtr<StyleSheet> LoadSheet(const WideString& url, const std::shared_ptr<const SiteMap>& sites) {
  auto r = sites ? sites->Fetch(url) : std::nullopt;
  return Make<StyleSheet>(r ? Utf8ToWide(r->Bytes) : WideString(), url, sites);
}

}  // namespace

// ---- CollectionFaults

HRESULT CollectionFaults::AnswerLength(size_t count, LONG* p) const {
  if (!p) return E_POINTER;
  if (FailLength) return E_FAIL;
  *p = static_cast<LONG>(count);
  return S_OK;
}

long CollectionFaults::PositionOf(const VARIANT& v) {
  VARIANT n;
  VariantInit(&n);
  if (FAILED(VariantChangeType(&n, const_cast<VARIANT*>(&v), 0, VT_I4))) return -1;
  return n.lVal;
}

// ---- Element

Element::Element(HtmlElementData data) : FData(std::move(data)), FTag(UpperAscii(FData.Tag)) {}

void* Element::Cast(REFIID riid) {
  if (riid == IID_IUnknown || riid == IID_IDispatch) return static_cast<IHTMLElement*>(this);
  if (riid == IID_IHTMLElement) return RefuseElement ? nullptr : static_cast<IHTMLElement*>(this);
  if (RefuseTagInterface) return nullptr;
  if (riid == IID_IHTMLBaseElement && FTag == L"BASE") return static_cast<IHTMLBaseElement*>(this);
  if (riid == IID_IHTMLFrameBase && (FTag == L"FRAME" || FTag == L"IFRAME"))
    return static_cast<IHTMLFrameBase*>(this);
  if (riid == IID_IHTMLEmbedElement && FTag == L"EMBED")
    return static_cast<IHTMLEmbedElement*>(this);
  if (riid == IID_IHTMLObjectElement && FTag == L"OBJECT")
    return static_cast<IHTMLObjectElement*>(this);
  if (riid == IID_IHTMLScriptElement && FTag == L"SCRIPT")
    return static_cast<IHTMLScriptElement*>(this);
  return nullptr;
}

HRESULT Element::get_tagName(BSTR* p) {
  ++TagNameReads;
  if (FailTagName) return E_FAIL;
  return ReturnBstr(LowerCaseTag ? FData.Tag : FTag, p);
}

HRESULT Element::get_href(BSTR* p) {
  if (FailHref) return E_FAIL;
  static const WideString name = L"href", none;
  const WideString* value = FData.FindAttribute(name);
  return ReturnBstr(value ? *value : none, p);
}

HRESULT Element::get_src(BSTR* p) {
  if (FailSrc) return E_FAIL;
  static const WideString name = L"src", none;
  const WideString* value = FData.FindAttribute(name);
  return ReturnBstr(value ? *value : none, p);
}

// ---- ElementCollection

ElementCollection::ElementCollection(std::shared_ptr<ElementList> elements)
    : FElements(std::move(elements)) {}

void* ElementCollection::Cast(REFIID riid) {
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IHTMLElementCollection)
    return static_cast<IHTMLElementCollection*>(this);
  return nullptr;
}

HRESULT ElementCollection::get_length(LONG* p) { return AnswerLength(FElements->size(), p); }

HRESULT ElementCollection::item(VARIANT name, VARIANT, IDispatch** pdisp) {
  if (!pdisp) return E_POINTER;
  *pdisp = nullptr;
  long i = PositionOf(name);
  if (ItemFails(i)) return E_FAIL;
  if (i < 0 || i >= static_cast<long>(FElements->size())) return S_OK;
  if (i == GrowAt) {
    GrowAt = -1;
    for (auto& data : GrowWith) FElements->push_back(Make<Element>(data));
  }
  return (*FElements)[i]->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(pdisp));
}

// ---- StyleSheet

StyleSheet::StyleSheet(WideString cssText, WideString url, std::shared_ptr<const SiteMap> sites,
                       bool inlineSheet)
    : FCssText(std::move(cssText)),
      FUrl(std::move(url)),
      FInline(inlineSheet),
      FSites(std::move(sites)) {}

void* StyleSheet::Cast(REFIID riid) {
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IHTMLStyleSheet)
    return static_cast<IHTMLStyleSheet*>(this);
  return nullptr;
}

StyleSheetCollection* StyleSheet::Imports() {
  if (!FImports) {
    FImports = Make<StyleSheetCollection>();
    for (const auto& address : ImportAddresses(FCssText))
      FImports->Add(LoadSheet(SiteMap::Combine(FUrl, address), FSites));
  }
  return FImports.Get();
}

HRESULT StyleSheet::get_cssText(BSTR* p) {
  ++CssTextReads;
  if (FailCssText) return E_FAIL;
  return ReturnBstr(FCssText, p);
}

HRESULT StyleSheet::get_imports(IHTMLStyleSheetsCollection** p) {
  if (!p) return E_POINTER;
  *p = nullptr;
  if (FailImports) return E_FAIL;
  return ReturnInterface(ComPtr<StyleSheetCollection>(Imports()), p);
}

HRESULT StyleSheet::get_href(BSTR* p) { return ReturnBstr(FInline ? WideString() : FUrl, p); }

// ---- what the host prints of them

namespace {

void DescribeSheets(StyleSheetCollection* sheets, const WideString& indent, int level,
                    std::set<WideString>& shown, WideString& out) {
  for (size_t i = 0; i < sheets->Count(); ++i) {
    StyleSheet* s = sheets->Sheet(i);
    if (!s) continue;
    const WideString address = s->Url().substr(0, s->Url().find(L'#'));
    if (!s->Inline() && !shown.insert(address).second) {
      out += indent + L"sheet " + s->Url() + L" (again)\n";
      continue;
    }
    out += indent + L"sheet " + s->Url() + L" (" + std::to_wstring(s->CssText().size()) +
           L" characters" +
           (s->CssText().find(L"@font-face") != WideString::npos ? L", @font-face" : L"") + L")\n";
    if (level < 12) DescribeSheets(s->Imports(), indent + L"  ", level + 1, shown, out);
  }
}

}  // namespace

WideString DescribeStyleSheets(StyleSheetCollection* sheets, const WideString& indent) {
  std::set<WideString> shown;
  WideString out;
  if (sheets) DescribeSheets(sheets, indent, 1, shown, out);
  return out;
}

// ---- StyleSheetCollection

void* StyleSheetCollection::Cast(REFIID riid) {
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IHTMLStyleSheetsCollection)
    return static_cast<IHTMLStyleSheetsCollection*>(this);
  return nullptr;
}

void StyleSheetCollection::InsertNonSheet(size_t pos) {
  pos = std::min(pos, FItems.size());
  FItems.insert(FItems.begin() + pos, Make<PlainObject>());
  FSheets.insert(FSheets.begin() + pos, nullptr);
}

HRESULT StyleSheetCollection::get_length(LONG* p) { return AnswerLength(FItems.size(), p); }

HRESULT StyleSheetCollection::item(VARIANT* index, VARIANT* result) {
  if (!index || !result) return E_POINTER;
  VariantInit(result);
  long i = PositionOf(*index);
  if (ItemFails(i)) return E_FAIL;
  if (i < 0 || i >= static_cast<long>(FItems.size())) return E_INVALIDARG;
  result->vt = VT_DISPATCH;
  result->pdispVal = FItems[i].Get();
  result->pdispVal->AddRef();
  return S_OK;
}

// ---- Window and plain objects

void* Window::Cast(REFIID riid) {
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IHTMLFramesCollection2 ||
      riid == IID_IHTMLWindow2)
    return static_cast<IHTMLWindow2*>(this);
  return nullptr;
}

HRESULT Window::get_closed(VARIANT_BOOL* p) {
  if (!p) return E_POINTER;
  if (FailClosed) return E_FAIL;
  *p = Closed ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

void* PlainObject::Cast(REFIID riid) {
  if (riid == IID_IUnknown || riid == IID_IDispatch) return static_cast<IDispatch*>(this);
  return nullptr;
}

// ---- Document

Document::Document(WideString url, const Resource& page, std::shared_ptr<const SiteMap> sites)
    : Cookie(page.Cookie),
      FUrl(std::move(url)),
      FElements(std::make_shared<ElementList>()),
      FAll(Make<ElementCollection>(FElements)),
      FStyleSheets(Make<StyleSheetCollection>()),
      FWindow(Make<pagehost::Window>()) {
  auto data = ReadHtml(page.Bytes);
  FBaseUrl = FUrl;
  for (const auto& e : data)
    if (UpperAscii(e.Tag) == L"BASE" && e.HasAttribute(L"href")) {
      FBaseUrl = SiteMap::Combine(FUrl, e.Attribute(L"href"));
      break;
    }
  for (auto& e : data) {
    WideString tag = UpperAscii(e.Tag);
    if (tag == L"STYLE") {
      FStyleSheets->Add(Make<StyleSheet>(e.Text, FBaseUrl, sites, true));
    } else if (tag == L"LINK" && e.HasAttribute(L"href") &&
               UpperAscii(e.Attribute(L"rel")).find(L"STYLESHEET") != WideString::npos) {
      FStyleSheets->Add(LoadSheet(SiteMap::Combine(FBaseUrl, e.Attribute(L"href")), sites));
    }
    FElements->push_back(Make<Element>(std::move(e)));
  }
}

void* Document::Cast(REFIID riid) {
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IHTMLDocument ||
      riid == IID_IHTMLDocument2)
    return static_cast<IHTMLDocument2*>(this);
  return nullptr;
}

std::vector<Element*> Document::ElementsByTag(const WideString& tag) const {
  std::vector<Element*> out;
  for (const auto& e : *FElements)
    if (e->Tag() == tag) out.push_back(e.Get());
  return out;
}

std::vector<WideString> Document::FrameUrls() const {
  std::vector<WideString> out;
  for (const auto& e : *FElements) {
    if (e->Tag() != L"FRAME" && e->Tag() != L"IFRAME") continue;
    WideString src = e->Attribute(L"src");
    out.push_back(src.empty() ? WideString(L"about:blank") : SiteMap::Combine(FBaseUrl, src));
  }
  return out;
}

HRESULT Document::get_URL(BSTR* p) {
  if (FailUrl) return E_FAIL;
  return ReturnBstr(FUrl, p);
}

HRESULT Document::get_cookie(BSTR* p) {
  if (FailCookie) return E_FAIL;
  return ReturnBstr(Cookie, p);
}

HRESULT Document::get_all(IHTMLElementCollection** p) {
  if (p) *p = nullptr;
  if (FailAll) return E_FAIL;
  return ReturnInterface(FAll, p);
}

HRESULT Document::get_styleSheets(IHTMLStyleSheetsCollection** p) {
  if (p) *p = nullptr;
  if (FailStyleSheets) return E_FAIL;
  return ReturnInterface(FStyleSheets, p);
}

HRESULT Document::get_parentWindow(IHTMLWindow2** p) {
  if (p) *p = nullptr;
  if (FailParentWindow) return E_FAIL;
  return ReturnInterface(FWindow, p);
}

}  // namespace pagehost
