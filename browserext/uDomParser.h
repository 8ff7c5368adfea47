// The page walk: collects the distinct domains that the pages of one browser window draw on, with
// the page features of each, into a domain list. It reads the browser and its documents only
// through their published interfaces, so any document tree that offers them can drive it.
#pragma once

#include <exdisp.h>
#include <mshtml.h>

#include <cstdint>
#include <memory>

#include "browserext/uUrlCollector.h"
#include "classlib/System.h"

class TDomParser : public TObject {
  VGT_CLASS(TDomParser, TObject)
 public:
  TDomParser();
  ~TDomParser() override;
  TDomParser(const TDomParser&) = delete;
  TDomParser& operator=(const TDomParser&) = delete;

  // The domains found so far, in the order in which the walk first met them.
  TDomainList* DomainList() const { return FDomainList.get(); }

  // Walks what one browser shows (nothing for nullptr). Raises nothing: failures are logged.
  void ParseDom(IWebBrowser2* Browser, bool Highlevel);
  // Walks one HTML document. Raises nothing: failures are logged.
  void ParseDom(IHTMLDocument2* HTMLDoc, bool Highlevel);

  // The entry for the parser's domain, added when missing; nullptr when the parser is not Valid.
  TvgtUrlDomain* FindOrAddDomain(TUrlCrackerDomain* Cracker);
  // A new entry over its own copy of the parser.
  TvgtUrlDomain* NewDomain(TUrlCrackerDomain* Cracker);

 protected:
  // Element handlers; each catches and logs its own failures.
  void ParseBaseElement(IHTMLElement* Element, TUrlCrackerDomain* DocParser,
                        TvgtUrlDomain*& CurrentDomain);
  void ParseAppletElement(IHTMLElement* Element, TvgtUrlDomain* DocDomain);
  void ParseEmbedElement(IHTMLElement* Element, TvgtUrlDomain* DocDomain);
  void ParseFrameBaseElement(IHTMLElement* Element, TUrlCrackerDomain* DocParser,
                             TvgtUrlDomain* DocDomain, TvgtUrlDomain* CurrentDomain);
  void ParseObjectElement(IHTMLElement* Element, TvgtUrlDomain* DocDomain);
  void ParseScriptElement(IHTMLElement* Element, TvgtUrlDomain* DocDomain);

  void ParseStyleSheets(IHTMLDocument2* HTMLDoc, TvgtUrlDomain* Domain);
  void ParseStyleSheets(IHTMLStyleSheetsCollection* StyleSheets, TvgtUrlDomain* Domain,
                        int32_t Level);

 private:
  std::unique_ptr<TDomainList> FDomainList;
  // While a browser's document is walked: the parser of the browser's location, which the
  // document's own URL usually repeats.
  const TUrlCrackerDomain* FLocationParser = nullptr;
};

// Imports are followed this deep: top-level sheets are level 1.
inline constexpr int32_t MaxStyleSheetLevel = 10;
