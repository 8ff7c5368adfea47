// The page walk: collects the distinct domains that the pages of one browser window draw on, with
// the page features of each, into a domain list. It reads the browser and its documents only
// through their published interfaces, so any document tree that offers them can drive it.
#pragma once

#include <exdisp.h>
#include <mshtml.h>
#include <wrl/client.h>

#include <cstdint>
#include <map>
#include <memory>
#include <utility>

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
  // The style sheets one document's walk has read, each with the shallowest level it was read
  // at. A sheet met again at that level or deeper is not read again: whatever its imports lead
  // to within the depth left was read the first time. A sheet importing itself is a new object
  // at every level, so sheets are known by their address; sheets without one (STYLE elements)
  // by their identity, held so that no other object can take it over during the walk.
  struct TSheetsSeen {
    std::map<WideString, int32_t> ByAddress;
    std::map<IUnknown*, std::pair<Microsoft::WRL::ComPtr<IUnknown>, int32_t>> ByIdentity;
    // What relative addresses of the sheets being visited resolve against: the document's URL,
    // then the address of the importing sheet.
    WideString Base;
  };
  // True when the sheet was read already at Level or above; else it is marked read at Level.
  // Address: the sheet's resolved address, empty when it has none.
  static bool SeenBefore(TSheetsSeen& Seen, IUnknown* Sheet, const WideString& Address,
                         int32_t Level);

  std::unique_ptr<TDomainList> FDomainList;
  // During the style-sheet walk of one document.
  TSheetsSeen* FSheetsSeen = nullptr;
  // While a browser's document is walked: the parser of the browser's location, which the
  // document's own URL usually repeats.
  const TUrlCrackerDomain* FLocationParser = nullptr;
};

// Imports are followed this deep: top-level sheets are level 1.
inline constexpr int32_t MaxStyleSheetLevel = 10;
