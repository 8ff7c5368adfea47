// WalkBench: how much the page walk costs over merely touching every element. Generates a page of
// 10,000 elements drawing on 200 domains (20 of them in frames), loads it into the page host, and
// prints the walk's time next to a bare loop that reads every element's tagName through the same
// host, as a ratio. The first walk also parses every address of the page; the later ones, like a
// refresh of the zone dialog, find them parsed. Not a test: run it by hand (under Wine) when the
// walk changes.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/ComValues.h"
#include "browserext/uDomParser.h"
#include "tests/support/BenchFigures.h"
#include "tools/pagehost/Browser.h"

using namespace pagehost;
using Microsoft::WRL::ComPtr;

namespace {

constexpr int kElements = 10000, kDomains = 200, kFrames = 20, kRuns = 7;

// The page: its own domain, 179 BASE elements and 20 IFRAMEs naming the other 199 domains, spread
// among scripts, embeds, objects, applets and plain elements; one style sheet with an import chain
// of three.
AnsiString MakePage(SiteMap& sites) {
  AnsiString html =
      "<html><head><title>bench</title><link rel='stylesheet' href='s1.css'>"
      "<style>p { margin: 0 }</style></head><body>\n";
  int made = 7;  // HTML HEAD TITLE LINK STYLE BODY, and the closing SCRIPT
  const int spread = (kElements - made) / (kDomains - 1);
  for (int d = 0; d < kDomains - 1; ++d) {
    std::string host = "www" + std::to_string(d) + ".site" + std::to_string(d % 50) + ".example";
    if (d % (kDomains / kFrames) == 0) {
      html += "<iframe src='http://" + host + "/frame.html'></iframe>";
      sites.AddPage(L"http://" + std::wstring(host.begin(), host.end()) + L"/frame.html",
                    "<p>frame " + std::to_string(d) + "</p>");
    } else {
      html += "<base href='http://" + host + "/'>";
    }
    ++made;
    for (int i = 1; i < spread && made < kElements; ++i, ++made) {
      switch (i % 10) {
        case 1: html += "<script>var x = 1;</script>"; break;
        case 2: html += "<embed src='movie.swf'>"; break;
        case 3: html += "<object data='clip.mov'></object>"; break;
        case 4: html += "<applet code='A.class'></applet>"; break;
        default: html += "<span>text</span>"; break;
      }
    }
    html += "\n";
  }
  while (made < kElements) {
    html += "<span>filler</span>";
    ++made;
  }
  html += "<script>var done = true;</script></body></html>";
  sites.AddPage(L"http://bench.example/s1.css", "@import 's2.css'; p {}", ResourceKind::StyleSheet);
  sites.AddPage(L"http://bench.example/s2.css", "@import 's3.css'; q {}", ResourceKind::StyleSheet);
  sites.AddPage(L"http://bench.example/s3.css", "@font-face { font-family: x; }",
                ResourceKind::StyleSheet);
  return html;
}

double Now() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}

// Reads every element's tagName of every browser's document, nothing else.
long BareLoop(Host& host) {
  long count = 0;
  for (Browser* b : host.Browsers()) {
    ComPtr<IDispatch> disp;
    ComPtr<IHTMLDocument2> doc;
    ComPtr<IHTMLElementCollection> all;
    if (FAILED(b->get_Document(&disp)) || !disp || FAILED(disp.As(&doc))) continue;
    if (FAILED(doc->get_all(&all))) continue;
    LONG length = 0;
    all->get_length(&length);
    for (LONG i = 0; i < length; ++i) {
      ComPtr<IDispatch> item;
      ComPtr<IHTMLElement> element;
      if (FAILED(all->item(IntVariant(i), IntVariant(0), &item)) || !item || FAILED(item.As(&element))) continue;
      TBstr tag;
      if (SUCCEEDED(element->get_tagName(tag.Out()))) ++count;
    }
  }
  return count;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main() {
  auto sites = std::make_shared<SiteMap>();
  sites->AddPage(L"http://bench.example/", MakePage(*sites));
  Host host(sites);
  host.Navigate(L"http://bench.example/");
  auto browsers = host.Browsers();

  std::vector<double> walks, bares;
  int domains = 0;
  long tags = 0;
  for (int run = 0; run < kRuns; ++run) {
    double t0 = Now();
    {
      TDomParser parser;
      for (Browser* b : browsers) parser.ParseDom(b, false);
      domains = parser.DomainList()->Count();
    }
    double t1 = Now();
    tags = BareLoop(host);
    double t2 = Now();
    walks.push_back(t1 - t0);
    bares.push_back(t2 - t1);
  }
  double walk = Median(walks), bare = Median(bares);
  std::printf(
      "page: %zu elements in the top document, %zu browsers, %d domains found, %ld tag names "
      "read\n",
      host.Top()->Html()->Elements().size(), browsers.size(), domains, tags);
  std::printf("first walk:%8.2f ms (every address parsed anew)\n", walks.front());
  std::printf("walk:      %8.2f ms (median of %d)\n", walk, kRuns);
  std::printf("bare loop: %8.2f ms (median of %d)\n", bare, kRuns);
  std::printf("ratio walk / bare loop: %.2f (first walk: %.2f)\n", bare > 0 ? walk / bare : 0.0,
              bare > 0 ? walks.front() / bare : 0.0);
  bench::Figure("walk: bare loop over 10,000 elements", bare);
  bench::Figure("walk: first pass", walks.front(), "ms", "walk: bare loop over 10,000 elements");
  bench::Figure("walk: repeated pass", walk, "ms", "walk: bare loop over 10,000 elements");
  return 0;
}
