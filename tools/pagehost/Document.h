// The page host's document model: an HTML document with its flat element collection, its style
// sheets (STYLE and LINK, imports followed to the files they name), its window, and a document
// that is not HTML. Every object offers the published MSHTML interface the extension reads, and
// public fault switches that make an operation fail or answer oddly on request.
#pragma once

#include <memory>
#include <set>
#include <vector>

#include "tools/pagehost/ComBase.h"
#include "tools/pagehost/ComStubs.h"
#include "tools/pagehost/HtmlReader.h"
#include "tools/pagehost/SiteMap.h"

namespace pagehost {

class Element final
    : public ComObject<StubIHTMLElement, StubIHTMLBaseElement, StubIHTMLFrameBase,
                       StubIHTMLEmbedElement, StubIHTMLObjectElement, StubIHTMLScriptElement> {
 public:
  explicit Element(HtmlElementData data);

  const WideString& Tag() const { return FTag; }  // upper case, as the browser reports it
  WideString Attribute(const WideString& name) const { return FData.Attribute(name); }

  // Faults.
  bool RefuseElement = false;       // no IHTMLElement
  bool RefuseTagInterface = false;  // no IHTMLBaseElement, IHTMLFrameBase, ... for its tag
  bool FailTagName = false;
  bool LowerCaseTag = false;  // tagName in lower case
  bool FailHref = false;
  bool FailSrc = false;
  mutable int TagNameReads = 0;

  HRESULT STDMETHODCALLTYPE get_tagName(BSTR* p) override;
  HRESULT STDMETHODCALLTYPE get_href(BSTR* p) override;  // BASE
  HRESULT STDMETHODCALLTYPE get_src(BSTR* p) override;   // FRAME, IFRAME (and EMBED, SCRIPT)

 protected:
  void* Cast(REFIID riid) override;

 private:
  HtmlElementData FData;
  WideString FTag;
};

using ElementList = std::vector<ComPtr<Element>>;

// The faults both collections can be asked for.
struct CollectionFaults {
  bool FailLength = false;
  long FailItemAt = -1;  // item at this position fails

 protected:
  // length: the count, or a failure on request.
  HRESULT AnswerLength(size_t count, LONG* p) const;
  // The position an item call names (a variant read as an integer), -1 when it names none.
  static long PositionOf(const VARIANT& v);
  bool ItemFails(long position) const { return position >= 0 && position == FailItemAt; }
};

// The document's all collection: a live view of its elements.
class ElementCollection final : public ComObject<StubIHTMLElementCollection>,
                                public CollectionFaults {
 public:
  explicit ElementCollection(std::shared_ptr<ElementList> elements);

  // Faults.
  // When the element at GrowAt is fetched, these elements are appended (once).
  long GrowAt = -1;
  std::vector<HtmlElementData> GrowWith;

  HRESULT STDMETHODCALLTYPE get_length(LONG* p) override;
  HRESULT STDMETHODCALLTYPE item(VARIANT name, VARIANT index, IDispatch** pdisp) override;

 protected:
  void* Cast(REFIID riid) override;

 private:
  std::shared_ptr<ElementList> FElements;
};

class StyleSheetCollection;

class StyleSheet final : public ComObject<StubIHTMLStyleSheet> {
 public:
  // url: where the sheet came from (the document's base for a STYLE element), for its imports.
  // A STYLE element's sheet has no address of its own: its href is empty.
  StyleSheet(WideString cssText, WideString url, std::shared_ptr<const SiteMap> sites,
             bool inlineSheet = false);

  const WideString& CssText() const { return FCssText; }
  const WideString& Url() const { return FUrl; }
  bool Inline() const { return FInline; }
  // The imported sheets, read on first use so that cyclic imports cost nothing until followed.
  StyleSheetCollection* Imports();

  // Faults.
  bool FailCssText = false;
  bool FailImports = false;
  mutable int CssTextReads = 0;

  HRESULT STDMETHODCALLTYPE get_cssText(BSTR* p) override;
  HRESULT STDMETHODCALLTYPE get_imports(IHTMLStyleSheetsCollection** p) override;
  HRESULT STDMETHODCALLTYPE get_href(BSTR* p) override;

 protected:
  void* Cast(REFIID riid) override;

 private:
  WideString FCssText;
  WideString FUrl;
  bool FInline;
  std::shared_ptr<const SiteMap> FSites;
  ComPtr<StyleSheetCollection> FImports;
};

// What the page host prints of a document's style sheets, one line each with its imports indented
// below it: "sheet <address> (<n> characters[, @font-face])". A sheet whose address was printed
// before is named again, marked "(again)", without its imports, so that sheets importing
// themselves or each other print once; imports are followed down to the twelfth level.
WideString DescribeStyleSheets(StyleSheetCollection* sheets, const WideString& indent);

class StyleSheetCollection final : public ComObject<StubIHTMLStyleSheetsCollection>,
                                   public CollectionFaults {
 public:
  void Add(ComPtr<StyleSheet> sheet) { FItems.push_back(sheet); FSheets.push_back(sheet); }
  // Puts an object that is no style sheet at position pos (clamped to the end).
  void InsertNonSheet(size_t pos);
  size_t Count() const { return FItems.size(); }
  StyleSheet* Sheet(size_t i) const { return FSheets[i].Get(); }  // nullptr for a non-sheet

  HRESULT STDMETHODCALLTYPE get_length(LONG* p) override;
  HRESULT STDMETHODCALLTYPE item(VARIANT* index, VARIANT* result) override;

 protected:
  void* Cast(REFIID riid) override;

 private:
  std::vector<ComPtr<IDispatch>> FItems;
  std::vector<ComPtr<StyleSheet>> FSheets;
};

class Window final : public ComObject<StubIHTMLWindow2> {
 public:
  bool Closed = false;
  bool FailClosed = false;

  HRESULT STDMETHODCALLTYPE get_closed(VARIANT_BOOL* p) override;

 protected:
  void* Cast(REFIID riid) override;
};

// A plain automation object: stands for whatever a browser shows that is not HTML, and for an
// entry of a style-sheet collection that is no style sheet.
class PlainObject final : public ComObject<IDispatch> {
 protected:
  void* Cast(REFIID riid) override;
};

class Document final : public ComObject<StubIHTMLDocument2> {
 public:
  // Builds the document of url from the page's bytes.
  Document(WideString url, const Resource& page, std::shared_ptr<const SiteMap> sites);

  const WideString& Url() const { return FUrl; }
  // What relative addresses resolve against: the first BASE href, else the URL.
  const WideString& BaseUrl() const { return FBaseUrl; }
  WideString Cookie;
  const ElementList& Elements() const { return *FElements; }
  std::vector<Element*> ElementsByTag(const WideString& tag) const;  // tag in upper case
  ElementCollection* All() const { return FAll.Get(); }
  StyleSheetCollection* StyleSheets() const { return FStyleSheets.Get(); }
  pagehost::Window* Window() const { return FWindow.Get(); }
  // The addresses of its FRAME and IFRAME elements in document order, resolved (an empty source
  // gives about:blank).
  std::vector<WideString> FrameUrls() const;

  // Faults.
  bool FailUrl = false;
  bool FailCookie = false;
  bool FailAll = false;
  bool FailStyleSheets = false;
  bool FailParentWindow = false;

  HRESULT STDMETHODCALLTYPE get_URL(BSTR* p) override;
  HRESULT STDMETHODCALLTYPE get_cookie(BSTR* p) override;
  HRESULT STDMETHODCALLTYPE get_all(IHTMLElementCollection** p) override;
  HRESULT STDMETHODCALLTYPE get_styleSheets(IHTMLStyleSheetsCollection** p) override;
  HRESULT STDMETHODCALLTYPE get_parentWindow(IHTMLWindow2** p) override;

 protected:
  void* Cast(REFIID riid) override;

 private:
  WideString FUrl;
  WideString FBaseUrl;
  std::shared_ptr<ElementList> FElements;
  ComPtr<ElementCollection> FAll;
  ComPtr<StyleSheetCollection> FStyleSheets;
  ComPtr<pagehost::Window> FWindow;
};

}  // namespace pagehost
