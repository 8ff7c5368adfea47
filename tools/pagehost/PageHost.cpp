// PageHost: loads a page into the page host and prints what the browser would hold: each browser
// of the window (top first, frames depth first) with its location, its document's elements,
// style sheets (imports followed) and cookie.
//   PageHost [/sites <folder>] [/walk [/highlevel]] <url or file>
// /walk then walks every browser as the extension does and prints the domains it collected.
// Without /sites the program reads pages\sites.txt beside itself, so the sample pages' addresses
// (http://www.dailyherald.example/ and friends) work as they are.
#include <windows.h>

#include <cstdio>
#include <string>

#include "browserext/uDomParser.h"
#include "tools/pagehost/Browser.h"

using namespace pagehost;

namespace {

void Print(const WideString& text) {
  AnsiString out;
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  out.resize(n);
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  std::fwrite(out.data(), 1, out.size(), stdout);
}

void PrintSheets(StyleSheetCollection* sheets, const WideString& indent, int level) {
  for (size_t i = 0; i < sheets->Count(); ++i) {
    StyleSheet* s = sheets->Sheet(i);
    if (!s) continue;
    Print(indent + L"sheet " + s->Url() + L" (" + std::to_wstring(s->CssText().size()) +
          L" characters" +
          (s->CssText().find(L"@font-face") != WideString::npos ? L", @font-face" : L"") + L")\n");
    if (level < 12) PrintSheets(s->Imports(), indent + L"  ", level + 1);
  }
}

void PrintWalk(Host& host, bool highlevel) {
  TDomParser parser;
  for (Browser* b : host.Browsers()) parser.ParseDom(b, highlevel);
  static const wchar_t* const names[] = {L"frames", L"in-frame", L"script",  L"activex",
                                         L"applet", L"cookies",  L"no-html", L"font-face"};
  Print(WideString(L"domains") + (highlevel ? L" (high level)" : L"") + L":\n");
  TDomainList* list = parser.DomainList();
  for (int i = 0; i < list->Count(); ++i) {
    TvgtUrlDomain* d = list->Items(i);
    WideString features;
    for (int bit = 0; bit < 8; ++bit)
      if (d->GetFlags() & (1u << bit)) features += L" " + WideString(names[bit]);
    Print(L"  " + d->Domain + L"  zone URL " + d->VGTDomain + L"  scheme " +
          std::to_wstring(d->Scheme) + L"  flags " + std::to_wstring(d->GetFlags()) + features +
          L"\n");
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  WideString sites = PagesBesideProgram(), target;
  bool walk = false, highlevel = false;
  for (int i = 1; i < argc; ++i) {
    WideString a = argv[i];
    if ((a == L"/sites" || a == L"-sites") && i + 1 < argc)
      sites = argv[++i];
    else if (a == L"/walk" || a == L"-walk")
      walk = true;
    else if (a == L"/highlevel" || a == L"-highlevel")
      highlevel = true;
    else
      target = a;
  }
  if (target.empty()) {
    Print(L"usage: PageHost [/sites <folder>] [/walk [/highlevel]] <url or file>\n");
    return 2;
  }
  auto map = std::make_shared<SiteMap>();
  map->LoadMapFile(sites);
  if (target.find(L"://") == WideString::npos && target.find(L"about:") != 0)
    target = SiteMap::FileUrl(target);
  Host host(map);
  host.Navigate(target);
  for (Browser* b : host.Browsers()) {
    int depth = 0;
    for (Browser* p = b->Parent(); p; p = p->Parent()) ++depth;
    WideString indent(2 * depth, L' ');
    Print(indent + L"browser " + b->LocationUrl() + L"\n");
    Document* doc = b->Html();
    if (!doc) {
      Print(indent + L"  (not an HTML document)\n");
      continue;
    }
    WideString tags;
    for (const auto& e : doc->Elements()) tags += L" " + e->Tag();
    Print(indent + L"  elements:" + tags + L"\n");
    if (!doc->Cookie.empty()) Print(indent + L"  cookie: " + doc->Cookie + L"\n");
    PrintSheets(doc->StyleSheets(), indent + L"  ", 1);
  }
  if (walk) PrintWalk(host, highlevel);
  return 0;
}
