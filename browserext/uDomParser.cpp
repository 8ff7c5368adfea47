#include "browserext/uDomParser.h"

#include <shlwapi.h>
#include <wrl/client.h>

#include <utility>
#include <vector>

#include "base/ComValues.h"
#include "base/Scope.h"
#include "browserext/trvBrowserTools.h"
#include "common/trvTools.h"
#include "common/trvZoneServices.h"

using Microsoft::WRL::ComPtr;

namespace {

// Runs Body; a failure is logged under Context and swallowed. True when Body ran through.
template <class F>
bool Guarded(const wchar_t* Context, F&& Body) {
  try {
    Body();
    return true;
  } catch (const Exception& E) {
    LogException(Context, E);
  } catch (const std::exception& E) {
    LogException(Context, E);
  }
  return false;
}

// Runs Body; a failure is logged under Context and raised again.
template <class F>
void LoggedAndRaised(const wchar_t* Context, F&& Body) {
  try {
    Body();
  } catch (const Exception& E) {
    LogException(Context, E);
    throw;
  } catch (const std::exception& E) {
    LogException(Context, E);
    throw;
  }
}

// OleCheck for the calls made once per element: the raising call only on a failure.
inline void Check(HRESULT Result) {
  if (FAILED(Result)) OleCheck(Result);
}

VARIANT IntVariant(LONG Value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = Value;
  return v;
}

// The variant's object, as a cast of a variant to an interface gives it: empty gives nothing, a
// value that is no object raises.
ComPtr<IUnknown> VariantObject(const VARIANT& V) {
  switch (V.vt) {
    case VT_EMPTY: return nullptr;
    case VT_DISPATCH: return ComPtr<IUnknown>(V.pdispVal);
    case VT_UNKNOWN: return ComPtr<IUnknown>(V.punkVal);
    default: throw EInvalidCast("Invalid variant type conversion");
  }
}

template <class I>
ComPtr<I> Offers(IUnknown* Object) {
  ComPtr<I> result;
  if (Object) Object->QueryInterface(IID_PPV_ARGS(&result));
  return result;
}

// EMBED, OBJECT and SCRIPT: the feature counts only when the element offers its tag's interface.
// Once the feature is set no element can change it, so the test is not asked again.
template <class I>
void MarkWhenOffered(const wchar_t* Context, IHTMLElement* Element, bool& Feature) {
  if (Feature) return;
  Guarded(Context, [&] {
    if (Offers<I>(Element)) Feature = true;
  });
}

enum class TTag { Other, Base, Applet, Embed, Frame, Object, Script };

// The tag a tagName names once upper-cased, as UpperCaseAscii and an exact comparison would
// tell, without copying the text: it runs once per element of every page.
TTag TagOf(const wchar_t* Text, size_t Length) {
  if (!Text) return TTag::Other;
  auto is = [&](const wchar_t* Upper) { return UpperCaseAsciiEquals(Text, Length, Upper); };
  switch (Length) {
    case 4: return is(L"BASE") ? TTag::Base : TTag::Other;
    case 5:
      if (is(L"EMBED")) return TTag::Embed;
      return is(L"FRAME") ? TTag::Frame : TTag::Other;
    case 6:
      if (is(L"APPLET")) return TTag::Applet;
      if (is(L"IFRAME")) return TTag::Frame;
      if (is(L"OBJECT")) return TTag::Object;
      return is(L"SCRIPT") ? TTag::Script : TTag::Other;
    default: return TTag::Other;
  }
}

// A sheet's address resolved against Base, as the browser resolves it (as written when it cannot
// be resolved), without the fragment, which names no other sheet.
WideString ResolvedAddress(const WideString& Base, const WideString& Address) {
  WideString resolved = Address;
  if (!Base.empty()) {
    std::vector<wchar_t> buffer(Base.size() + Address.size() + 64);
    DWORD size = static_cast<DWORD>(buffer.size());
    if (SUCCEEDED(UrlCombineW(Base.c_str(), Address.c_str(), buffer.data(), &size, 0)))
      resolved = buffer.data();
  }
  return resolved.substr(0, resolved.find(L'#'));
}

}  // namespace

TDomParser::TDomParser() : FDomainList(std::make_unique<TDomainList>()) {}

TDomParser::~TDomParser() = default;

TvgtUrlDomain* TDomParser::NewDomain(TUrlCrackerDomain* Cracker) {
  return new TvgtUrlDomain(CopyCracker(*Cracker));
}

TvgtUrlDomain* TDomParser::FindOrAddDomain(TUrlCrackerDomain* Cracker) {
  if (!Cracker->Valid()) return nullptr;
  if (TvgtUrlDomain* found = FDomainList->Find(Cracker->Domain())) return found;
  TvgtUrlDomain* entry = NewDomain(Cracker);
  FDomainList->Add(entry);  // owns it from here, also when the add fails
  return entry;
}

void TDomParser::ParseDom(IWebBrowser2* Browser, bool Highlevel) {
  if (!Browser) return;
  Guarded(L"TDomParser.ParseDom(Browser, Highlevel)", [&] {
    TBstr url;
    OleCheck(Browser->get_LocationURL(url.Out()));
    const auto location = TUrlCrackerDomain::Create(Highlevel, url.Text());
    TvgtUrlDomain* entry = FindOrAddDomain(location.get());
    // A domain once found to show something other than HTML is not walked again.
    if (!entry || entry->NoHtml) return;
    ComPtr<IDispatch> document;
    try {
      OleCheck(Browser->get_Document(&document));
    } catch (const Exception&) {
      document.Reset();
    }
    if (auto html = Offers<IHTMLDocument2>(document.Get())) {
      FLocationParser = location.get();
      ParseDom(html.Get(), Highlevel);
      FLocationParser = nullptr;
      return;
    }
    entry->NoHtml = true;
  });
}

void TDomParser::ParseDom(IHTMLDocument2* HTMLDoc, bool Highlevel) {
  Guarded(L"TDomParser.ParseDom(HTMLDoc, Highlevel)", [&] {
    if (!HTMLDoc) throw EOleSysError("No document", E_POINTER);
    TBstr url;
    OleCheck(HTMLDoc->get_URL(url.Out()));
    // The BASE and frame handlers reuse the document's parser for their addresses.
    const WideString docUrl = url.Text();
    const TUrlCrackerDomain* location = std::exchange(FLocationParser, nullptr);
    const auto docParser = location && location->Url() == docUrl &&
                                   location->Highlevel() == Highlevel
                               ? CopyCracker(*location)
                               : TUrlCrackerDomain::Create(Highlevel, docUrl);
    TvgtUrlDomain* docDomain = FindOrAddDomain(docParser.get());
    if (!docDomain) throw ETRVException(L"TDomParser.ParseDom: no domain");
    if (docDomain->NoHtml) return;
    TvgtUrlDomain* current = docDomain;

    TBstr cookie;
    OleCheck(HTMLDoc->get_cookie(cookie.Out()));
    if (!cookie.Text().empty()) docDomain->HasCookies = true;

    ComPtr<IHTMLElementCollection> all;
    OleCheck(HTMLDoc->get_all(&all));
    if (!all) throw EOleSysError("The document has no element collection", E_POINTER);
    // The length is asked again before every pass: elements added meanwhile are visited too.
    for (LONG i = 0;; ++i) {
      LONG length = 0;
      Check(all->get_length(&length));
      if (i >= length) break;
      ComPtr<IDispatch> item;
      Check(all->item(IntVariant(i), IntVariant(0), &item));
      auto element = Offers<IHTMLElement>(item.Get());
      if (!element) continue;
      LoggedAndRaised(L"TDomParser.ParseDom(HTMLDoc, Highlevel)[loop]", [&] {
        TBstr tagName;
        Check(element->get_tagName(tagName.Out()));
        switch (TagOf(tagName.Get(), SysStringLen(tagName.Get()))) {
          case TTag::Base: ParseBaseElement(element.Get(), docParser.get(), current); break;
          case TTag::Applet: ParseAppletElement(element.Get(), docDomain); break;
          case TTag::Embed: ParseEmbedElement(element.Get(), docDomain); break;
          case TTag::Frame:
            ParseFrameBaseElement(element.Get(), docParser.get(), docDomain, current);
            break;
          case TTag::Object: ParseObjectElement(element.Get(), docDomain); break;
          case TTag::Script: ParseScriptElement(element.Get(), docDomain); break;
          case TTag::Other: break;
        }
      });
    }
    ParseStyleSheets(HTMLDoc, docDomain);
  });
}

void TDomParser::ParseBaseElement(IHTMLElement* Element, TUrlCrackerDomain* DocParser,
                                  TvgtUrlDomain*& CurrentDomain) {
  Guarded(L"TDomParser.ParseBaseElement", [&] {
    auto base = Offers<IHTMLBaseElement>(Element);
    if (!base) return;
    TBstr href;
    OleCheck(base->get_href(href.Out()));
    DocParser->SetUrl(href.Text());
    // An address without a scheme is tried again with the scheme of where we are.
    if (!DocParser->Valid())
      DocParser->SetUrl(CurrentDomain->Cracker()->Scheme() + L"://" + href.Text());
    if (TvgtUrlDomain* entry = FindOrAddDomain(DocParser)) CurrentDomain = entry;
  });
}

void TDomParser::ParseAppletElement(IHTMLElement*, TvgtUrlDomain* DocDomain) {
  DocDomain->HasApplet = true;
}

void TDomParser::ParseEmbedElement(IHTMLElement* Element, TvgtUrlDomain* DocDomain) {
  MarkWhenOffered<IHTMLEmbedElement>(L"TDomParser.ParseEmbedElement", Element,
                                     DocDomain->HasActiveX);
}

void TDomParser::ParseFrameBaseElement(IHTMLElement* Element, TUrlCrackerDomain* DocParser,
                                       TvgtUrlDomain* DocDomain, TvgtUrlDomain* CurrentDomain) {
  Guarded(L"TDomParser.ParseFrameBaseElement", [&] {
    auto frame = Offers<IHTMLFrameBase>(Element);
    if (!frame) return;
    DocDomain->HasFrames = true;
    TBstr src;
    OleCheck(frame->get_src(src.Out()));
    DocParser->SetUrl(src.Text());
    if (DocParser->Valid()) {
      if (TvgtUrlDomain* entry = FindOrAddDomain(DocParser)) entry->InFrame = true;
    } else {
      // An empty or relative source shows a page of where we are.
      CurrentDomain->InFrame = true;
    }
  });
}

void TDomParser::ParseObjectElement(IHTMLElement* Element, TvgtUrlDomain* DocDomain) {
  MarkWhenOffered<IHTMLObjectElement>(L"TDomParser.ParseObjectElement", Element,
                                      DocDomain->HasActiveX);
}

void TDomParser::ParseScriptElement(IHTMLElement* Element, TvgtUrlDomain* DocDomain) {
  MarkWhenOffered<IHTMLScriptElement>(L"TDomParser.ParseScriptElement", Element,
                                      DocDomain->HasScript);
}

void TDomParser::ParseStyleSheets(IHTMLDocument2* HTMLDoc, TvgtUrlDomain* Domain) {
  if (Domain->HasFontFace) return;
  Guarded(L"TDomParser.ParseStyleSheets(HTMLDoc, Domain)", [&] {
    ComPtr<IHTMLStyleSheetsCollection> sheets;
    OleCheck(HTMLDoc->get_styleSheets(&sheets));
    if (!sheets) throw EOleSysError("The document has no style-sheet collection", E_POINTER);
    TSheetsSeen seen;
    TBstr url;
    if (SUCCEEDED(HTMLDoc->get_URL(url.Out()))) seen.Base = url.Text();
    TSheetsSeen* const outer = std::exchange(FSheetsSeen, &seen);
    auto restore = ScopeExit([&] { FSheetsSeen = outer; });
    ParseStyleSheets(sheets.Get(), Domain, 1);
  });
}

void TDomParser::ParseStyleSheets(IHTMLStyleSheetsCollection* StyleSheets, TvgtUrlDomain* Domain,
                                  int32_t Level) {
  if (Level > MaxStyleSheetLevel) return;
  if (!FSheetsSeen) {
    // A collection walked on its own, outside a document's walk: it remembers for itself.
    TSheetsSeen seen;
    FSheetsSeen = &seen;
    auto restore = ScopeExit([&] { FSheetsSeen = nullptr; });
    ParseStyleSheets(StyleSheets, Domain, Level);
    return;
  }
  if (!StyleSheets) throw EOleSysError("No style-sheet collection", E_POINTER);
  LONG length = 0;
  OleCheck(StyleSheets->get_length(&length));
  for (LONG k = length - 1; k >= 0; --k) {
    bool found = false;
    Guarded(L"TDomParser.ParseStyleSheets(StyleSheets, Domain, Level)", [&] {
      ComPtr<IUnknown> object;
      {
        VARIANT index = IntVariant(k);
        TVariant result;
        OleCheck(StyleSheets->item(&index, result.Get()));
        object = VariantObject(*result.Get());
      }
      auto sheet = Offers<IHTMLStyleSheet>(object.Get());
      if (!sheet) return;
      TSheetsSeen& seen = *FSheetsSeen;
      WideString address;
      TBstr href;
      if (SUCCEEDED(sheet->get_href(href.Out())) && SysStringLen(href.Get()) > 0)
        address = ResolvedAddress(seen.Base, href.Text());
      if (SeenBefore(seen, object.Get(), address, Level)) return;
      TBstr css;
      OleCheck(sheet->get_cssText(css.Out()));
      if (css.Text().find(L"@font-face") != WideString::npos) {
        Domain->HasFontFace = true;
        found = true;
        return;
      }
      ComPtr<IHTMLStyleSheetsCollection> imports;
      OleCheck(sheet->get_imports(&imports));
      // The imports resolve their addresses against this sheet's; the next sheet against ours.
      WideString outerBase = seen.Base;
      if (!address.empty()) seen.Base = address;
      auto restore = ScopeExit([&] { seen.Base = std::move(outerBase); });
      ParseStyleSheets(imports.Get(), Domain, Level + 1);
      found = Domain->HasFontFace;
    });
    if (found) return;
  }
}

bool TDomParser::SeenBefore(TSheetsSeen& Seen, IUnknown* Sheet, const WideString& Address,
                            int32_t Level) {
  auto mark = [Level](int32_t& ReadAt) {
    if (ReadAt <= Level) return true;
    ReadAt = Level;
    return false;
  };
  if (!Address.empty()) {
    auto [it, added] = Seen.ByAddress.try_emplace(Address, Level);
    return !added && mark(it->second);
  }
  ComPtr<IUnknown> identity;
  if (!Sheet || FAILED(Sheet->QueryInterface(IID_PPV_ARGS(&identity))) || !identity) return false;
  auto [it, added] = Seen.ByIdentity.try_emplace(identity.Get(), identity, Level);
  return !added && mark(it->second.second);
}
