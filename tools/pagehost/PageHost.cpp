// PageHost: loads a page into the page host and prints what the browser would hold: each browser
// of the window (top first, frames depth first) with its location, its document's elements,
// style sheets (imports followed) and cookie.
//   PageHost [/sites <folder>] [/walk [/highlevel]] [/dll <path>] [/observer <clsid or name>]
//            [/button <clsid or name>] [/press] [/wait] <url or file>
// /walk then walks every browser as the extension does and prints the domains it collected.
// /observer and /button load the extension's objects (from the library /dll names, else as
// registered) and site them before the page loads; /press presses the button once the page is
// there; /wait keeps the browser window open until it is closed; the browser then closes as it
// does, telling the extension.
// Without /sites the program reads pages\sites.txt beside itself, so the sample pages' addresses
// (http://www.dailyherald.example/ and friends) work as they are.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <string>

#include "browserext/uDomParser.h"
#include "common/trvZoneServices.h"
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
  std::fflush(stdout);
}

WideString Hex(HRESULT hr) {
  wchar_t buffer[16];
  swprintf(buffer, 16, L"0x%08lX", static_cast<unsigned long>(hr));
  return buffer;
}

// The zone as the zone dialog names its choices (the others by number).
WideString ZoneName(DWORD zone) {
  switch (zone) {
    case URLZONE_TRUSTED: return L"Trusted";
    case URLZONE_INTERNET: return L"Internet";
    case URLZONE_UNTRUSTED: return L"Restricted";
    default: return std::to_wstring(zone);
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
    Print(L"  " + d->Domain + L"  zone URL " + d->VGTDomain + L"  zone " +
          ZoneName(GetUrlZoneOrInternet(d->VGTDomain)) + L"  scheme " +
          std::to_wstring(d->Scheme) + L"  flags " + std::to_wstring(d->GetFlags()) + features +
          L"\n");
  }
}

void PrintBrowsers(Host& host) {
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
    Print(DescribeStyleSheets(doc->StyleSheets(), indent + L"  "));
  }
}

const wchar_t kUsage[] =
    L"usage: PageHost [/sites <folder>] [/walk [/highlevel]] [/dll <path>] [/observer <clsid>]\n"
    L"                [/button <clsid>] [/press] [/wait] <url or file>\n";

struct Options {
  WideString Sites = PagesBesideProgram(), Target, Dll, Observer, Button;
  bool Walk = false, Highlevel = false, Press = false, Wait = false;
};

// False, with the reason printed, for a command line it cannot follow.
bool ReadOptions(int argc, wchar_t** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    WideString a = argv[i];
    if (!a.empty() && a[0] == L'-') a[0] = L'/';
    auto value = [&](WideString& into) {
      if (i + 1 >= argc) return false;
      into = argv[++i];
      return true;
    };
    bool ok = true;
    if (a == L"/sites") ok = value(o.Sites);
    else if (a == L"/dll") ok = value(o.Dll);
    else if (a == L"/observer") ok = value(o.Observer);
    else if (a == L"/button") ok = value(o.Button);
    else if (a == L"/walk") o.Walk = true;
    else if (a == L"/highlevel") o.Highlevel = true;
    else if (a == L"/press") o.Press = true;
    else if (a == L"/wait") o.Wait = true;
    else if (!a.empty() && a[0] == L'/') {
      Print(L"unknown switch " + a + L"\n");
      return false;
    } else {
      o.Target = a;
    }
    if (!ok) {
      Print(a + L" needs a value\n");
      return false;
    }
  }
  if (o.Target.empty()) return false;
  if (o.Press && o.Button.empty()) {
    Print(L"/press needs /button\n");
    return false;
  }
  return true;
}

// Loads one of the extension's objects; false, with the reason printed, when it cannot.
bool Load(Host& host, const WideString& what, const WideString& clsidText, const WideString& dll) {
  CLSID clsid;
  // A class identifier, or the name a registered class goes by ("Veilgate.vgtToolbutton").
  if (FAILED(CLSIDFromString(clsidText.c_str(), &clsid)) &&
      FAILED(CLSIDFromProgID(clsidText.c_str(), &clsid))) {
    Print(L"not a class identifier or registered class name: " + clsidText + L"\n");
    return false;
  }
  HRESULT hr = what == L"button" ? host.AddButton(clsid, dll) : host.AddObserver(clsid, dll);
  if (FAILED(hr)) {
    Print(L"cannot load the " + what + L" " + clsidText + L": " + Hex(hr) + L"\n");
    return false;
  }
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options o;
  if (!ReadOptions(argc, argv, o)) {
    Print(kUsage);
    return 2;
  }
  CoInitialize(nullptr);
  int result = 0;
  {
    auto map = std::make_shared<SiteMap>();
    map->LoadMapFile(o.Sites);
    if (o.Target.find(L"://") == WideString::npos && o.Target.find(L"about:") != 0)
      o.Target = SiteMap::FileUrl(o.Target);
    Host host(map);
    if ((!o.Observer.empty() && !Load(host, L"observer", o.Observer, o.Dll)) ||
        (!o.Button.empty() && !Load(host, L"button", o.Button, o.Dll))) {
      result = 1;
    } else {
      host.Navigate(o.Target);
      PrintBrowsers(host);
      if (o.Walk) PrintWalk(host, o.Highlevel);
      if (o.Press) host.PressButton();
      if (o.Wait) {
        MSG m;
        while (!host.Closed() && GetMessageW(&m, nullptr, 0, 0) > 0) {
          TranslateMessage(&m);
          DispatchMessageW(&m);
        }
      }
      host.Close();
    }
  }
  CoUninitialize();
  return result;
}
