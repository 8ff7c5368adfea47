// SessionBench: how long the user waits from pressing the button to the zone dialog being shown,
// with a ZoneDialog of this process standing in for the dialog program (so the figure is the
// extension's own share: the signal, the browser list, the walk and one call per domain). Runs
// over the sample news page with its frames, and over a generated page of 10,000 elements with
// 200 domains, and over a page of 2,000 base elements, each naming a domain of its own. Not a
// test: tools/bench.sh runs it.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "browserext/oVeilgate.h"
#include "classlib/ComServ.h"
#include "tests/browserext/FakeZoneDialog.h"
#include "tests/support/BenchFigures.h"
#include "tools/pagehost/Browser.h"

using namespace pagehost;

namespace {

constexpr int kElements = 10000, kDomains = 200, kRuns = 9;

AnsiString MakeLargePage(SiteMap& sites) {
  AnsiString html = "<html><head><title>bench</title></head><body>\n";
  int made = 4;
  for (int d = 0; d < kDomains - 1; ++d, ++made) {
    const std::string host = "www" + std::to_string(d) + ".site" + std::to_string(d % 50) + ".example";
    if (d % 10 == 0) {
      html += "<iframe src='http://" + host + "/'></iframe>\n";
      sites.AddPage(L"http://" + std::wstring(host.begin(), host.end()) + L"/", "<p>frame</p>");
    } else {
      html += "<base href='http://" + host + "/'>\n";
    }
  }
  static const char* const plain[] = {"<p>x</p>", "<div>y</div>", "<script>z</script>",
                                      "<span>w</span>"};
  for (int i = 0; made < kElements; ++i, ++made) html += plain[i % 4];
  return html + "</body></html>";
}

AnsiString MakeBasePage(int Domains) {
  AnsiString html = "<html><head><title>bases</title></head><body>\n";
  for (int d = 0; d < Domains; ++d) html += "<base href='http://www" + std::to_string(d) + ".base" + std::to_string(d) + ".example/'>\n";
  return html + "</body></html>";
}

double Ms(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(f.QuadPart);
}

void Measure(const char* name, Host& host, FakeZoneDialogServer& server) {
  std::vector<double> times;
  size_t domains = 0;
  for (int run = 0; run < kRuns; ++run) {
    LARGE_INTEGER pressed{}, shown{};
    server.SetUpEach = [&](FakeZoneDialog& d) {
      d.OnShow = [&] { QueryPerformanceCounter(&shown); };
    };
    QueryPerformanceCounter(&pressed);
    host.PressButton();
    if (server.Made.empty() || !shown.QuadPart) {
      std::printf("%s: no dialog shown\n", name);
      return;
    }
    domains = server.Made.back()->Added.size();
    server.Made.clear();
    times.push_back(Ms(pressed, shown));
  }
  std::sort(times.begin(), times.end());
  bench::Figure((std::string("press to dialog: ") + name).c_str(), times[times.size() / 2]);
  std::printf("%-28s %4zu domains   press to dialog shown: min %8.2f ms  median %8.2f ms  max %8.2f ms\n",
              name, domains, times.front(), times[times.size() / 2], times.back());
}

}  // namespace

int main() {
  CoInitialize(nullptr);
  {
    CreateVeilgateFactories();
    ComPtr<IClassFactory> button;
    ComServer().FindFactory(CLSID_vgtToolbutton)->QueryInterface(IID_PPV_ARGS(&button));
    DWORD cookie = 0;
    CoRegisterClassObject(CLSID_vgtToolbutton, button.Get(), CLSCTX_INPROC_SERVER,
                          REGCLS_MULTIPLEUSE, &cookie);
    auto server = Make<FakeZoneDialogServer>();
    server->Register();

    Host host;
    if (!host.WindowHandle()) {
      std::printf("no display\n");
      return 1;
    }
    if (!host.Sites().LoadMapFile(PagesBesideProgram())) {
      std::printf("no pages\\sites.txt beside the program\n");
      return 1;
    }
    ComPtr<IUnknown> watcher = ComServer().FindFactory(CLSID_vgtBrowserObserver)->CreateComObject();
    host.SiteObject(watcher.Get(), static_cast<IWebBrowser2*>(host.Top()));
    watcher.Reset();
    host.AddButton(CLSID_vgtToolbutton);

    host.Navigate(L"http://www.dailyherald.example/");
    Measure("sample page with frames", host, *server.Get());

    host.Sites().AddPage(L"http://www.large.example/", MakeLargePage(host.Sites()));
    host.Navigate(L"http://www.large.example/");
    Measure("10,000-element page", host, *server.Get());

    host.Sites().AddPage(L"http://www.bases.example/", MakeBasePage(2000));
    host.Navigate(L"http://www.bases.example/");
    Measure("2,000 base elements", host, *server.Get());

    host.Close();
    server->Revoke();
    CoRevokeClassObject(cookie);
  }
  CoUninitialize();
  return 0;
}
