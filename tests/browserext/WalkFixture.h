// A page host, a page walk over it, and the debug log captured in a file for the test to read.
#pragma once

#include <cstdio>
#include <memory>
#include <vector>

#include "browserext/uDomParser.h"
#include "common/trvTools.h"
#include "tests/browserext/PageHostFixture.h"

class WalkFixture : public PageHostFixture {
 protected:
  void SetUp() override {
    PageHostFixture::SetUp();
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    FLogPath = WideString(dir) + L"vgt_walk_" + std::to_wstring(GetCurrentProcessId()) + L".log";
    DeleteFileW(FLogPath.c_str());
    FLog = std::make_unique<TDebugLogOverride>(1, DebugLogToFile, NarrowPath());
    FParser = std::make_unique<TDomParser>();
  }
  void TearDown() override {
    FParser.reset();
    FLog.reset();
    DeleteFileW(FLogPath.c_str());
    PageHostFixture::TearDown();
  }

  TDomParser& Parser() { return *FParser; }

  // Walks every browser of the window in the order the observer first sees them.
  void WalkAll(bool highlevel) {
    for (pagehost::Browser* b : HostOf().Browsers()) Parser().ParseDom(b, highlevel);
  }
  void WalkDocument(pagehost::Document* doc, bool highlevel = false) {
    Parser().ParseDom(static_cast<IHTMLDocument2*>(doc), highlevel);
  }
  // Shows html at url in the top browser.
  pagehost::Document* Show(const WideString& url, const AnsiString& html,
                           const WideString& cookie = {}) {
    HostOf().Sites().AddPage(url, html, pagehost::ResourceKind::Html, cookie);
    HostOf().Navigate(url);
    return HostOf().Top()->Html();
  }


 public:
  struct Row {
    WideString Domain, VGTDomain;
    int32_t Scheme;
    uint32_t Flags;
    bool operator==(const Row&) const = default;
    friend void PrintTo(const Row& r, std::ostream* os) {
      *os << "{" << ::testing::PrintToString(r.Domain) << ", "
          << ::testing::PrintToString(r.VGTDomain) << ", " << r.Scheme << ", 0x" << std::hex
          << r.Flags << std::dec << "}";
    }
  };

 protected:
  std::vector<Row> Rows() const {
    std::vector<Row> out;
    TDomainList* list = FParser->DomainList();
    for (int i = 0; i < list->Count(); ++i) {
      TvgtUrlDomain* d = list->Items(i);
      out.push_back({d->Domain, d->VGTDomain, d->Scheme, d->GetFlags()});
    }
    return out;
  }
  std::vector<WideString> Domains() const {
    std::vector<WideString> out;
    for (const auto& r : Rows()) out.push_back(r.Domain);
    return out;
  }
  TvgtUrlDomain* Entry(const WideString& domain) const {
    return FParser->DomainList()->Find(domain);
  }

  // The log lines written so far, time stamps cut off (each line ends with the message).
  std::vector<AnsiString> LogLines() {
    FLog.reset();  // closes the file
    std::vector<AnsiString> lines;
    if (FILE* f = _wfopen(FLogPath.c_str(), L"rb")) {
      char buffer[4096];
      while (std::fgets(buffer, sizeof buffer, f)) {
        AnsiString line = buffer;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        // "yyyy-MM-dd HH:mm:ss " in front of every message
        lines.push_back(line.size() >= 20 ? line.substr(20) : line);
      }
      std::fclose(f);
    }
    FLog = std::make_unique<TDebugLogOverride>(1, DebugLogToFile, NarrowPath());
    return lines;
  }
  // How many lines start with the context and name the exception class.
  size_t Logged(const AnsiString& context, const AnsiString& exceptionClass = {}) {
    size_t n = 0;
    for (const auto& l : LogLines())
      if (l.rfind(context + ": " + exceptionClass, 0) == 0) ++n;
    return n;
  }

 private:
  AnsiString NarrowPath() const {
    AnsiString s;
    for (wchar_t c : FLogPath) s += static_cast<char>(c);
    return s;
  }
  WideString FLogPath;
  std::unique_ptr<TDebugLogOverride> FLog;
  std::unique_ptr<TDomParser> FParser;
};
