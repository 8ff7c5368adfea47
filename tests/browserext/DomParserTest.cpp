// The page walk over the page host: the sample pages give the right domains in first-seen order,
// and every failure the host can be asked for ends in a log line, with the walk going on or
// stopping where it should.
#include "tests/browserext/WalkFixture.h"

using pagehost::Browser;
using pagehost::Document;
using pagehost::HtmlElementData;

namespace {

constexpr uint32_t Frames = 0x01, InFrame = 0x02, Script = 0x04, ActiveX = 0x08, Applet = 0x10,
                   Cookies = 0x20, NoHtml = 0x40, FontFace = 0x80;

using Row = WalkFixture::Row;

// ---- the sample pages

TEST_F(WalkFixture, NewsPageGivesItsDomainsInFirstSeenOrder) {
  LoadSamples();
  HostOf().Navigate(L"http://www.dailyherald.example/");
  WalkAll(false);
  std::vector<Row> expected{
      {L"www.dailyherald.example", L"http://www.dailyherald.example", 3,
       Frames | Script | ActiveX | Applet | Cookies | FontFace},
      // the BASE address; the relative weather frame resolves there
      {L"static.dailyherald.example", L"http://static.dailyherald.example", 3, InFrame},
      {L"ads.adnet.example", L"http://ads.adnet.example", 3, Frames | InFrame | Script | Cookies},
      {L"widgets.social.example", L"http://widgets.social.example", 3, InFrame | Script},
      {L"https://secure.dailyherald.example", L"https://secure.dailyherald.example", 4,
       InFrame | Script | Cookies},
      {L"files.docstore.example", L"http://files.docstore.example", 3, InFrame | NoHtml},
      // met only inside the advertisement's frame
      {L"pixel.trackers.co.zz", L"http://pixel.trackers.co.zz", 3, InFrame | Cookies},
  };
  EXPECT_EQ(Rows(), expected);
  EXPECT_TRUE(LogLines().empty());
}

TEST_F(WalkFixture, HighLevelReducesTheNewsPagesDomains) {
  LoadSamples();
  HostOf().Navigate(L"http://www.dailyherald.example/");
  WalkAll(true);
  std::vector<Row> expected{
      // www and static are one domain now; the relative frame marks it too
      {L"dailyherald.example", L"http://dailyherald.example", 3,
       Frames | InFrame | Script | ActiveX | Applet | Cookies | FontFace},
      {L"adnet.example", L"http://adnet.example", 3, Frames | InFrame | Script | Cookies},
      {L"social.example", L"http://social.example", 3, InFrame | Script},
      {L"https://dailyherald.example", L"https://dailyherald.example", 4,
       InFrame | Script | Cookies},
      {L"docstore.example", L"http://docstore.example", 3, InFrame | NoHtml},
      {L"trackers.co.zz", L"http://trackers.co.zz", 3, InFrame | Cookies},
  };
  EXPECT_EQ(Rows(), expected);
}

TEST_F(WalkFixture, PlainPageGivesItsOwnDomainAlone) {
  LoadSamples();
  HostOf().Navigate(L"http://intranet/");
  WalkAll(true);
  EXPECT_EQ(Rows(), (std::vector<Row>{{L"intranet", L"http://intranet", 3, 0}}));
}

TEST_F(WalkFixture, BlankPageIsAnEntryOfItsOwn) {
  HostOf().Navigate(L"about:blank");
  WalkAll(false);
  EXPECT_EQ(Rows(), (std::vector<Row>{{L"about:blank", L"about:blank", 0, 0}}));
}

// ---- elements

TEST_F(WalkFixture, LowerCaseTagNamesCountLikeUpperCase) {
  Document* doc = Show(L"http://a.example/",
                       "<script></script><embed src='x'><applet></applet>"
                       "<iframe src='http://b.example/'></iframe>");
  for (const auto& e : doc->Elements()) e->LowerCaseTag = true;
  WalkDocument(doc);
  EXPECT_EQ(Rows(), (std::vector<Row>{
                        {L"a.example", L"http://a.example", 3, Frames | Script | ActiveX | Applet},
                        {L"b.example", L"http://b.example", 3, InFrame}}));
}

TEST_F(WalkFixture, EachTagMarksItsOwnFeature) {
  const std::pair<const char*, uint32_t> cases[] = {
      {"<applet></applet>", Applet},
      {"<embed src='x'>", ActiveX},
      {"<object></object>", ActiveX},
      {"<script></script>", Script},
      {"<frameset><frame></frameset>", Frames | InFrame},
      {"<iframe></iframe>", Frames | InFrame},
      {"<base href='http://a.example/sub/'>", 0},
      {"<p>x</p><form><input></form><img src='i.gif'><link rel='icon' href='f.ico'>", 0}};
  for (const auto& [html, flags] : cases) {
    TDomParser parser;
    Document* doc = Show(L"http://a.example/", html);
    parser.ParseDom(static_cast<IHTMLDocument2*>(doc), false);
    ASSERT_EQ(parser.DomainList()->Count(), 1) << html;
    EXPECT_EQ(parser.DomainList()->Items(0)->GetFlags(), flags) << html;
  }
}

TEST_F(WalkFixture, ElementsThatRefuseTheirInterfacesChangeNothing) {
  Document* doc = Show(L"http://a.example/",
                       "<script></script><object></object><iframe src='http://b.example/'>"
                       "</iframe><embed src='x'><p>z</p>");
  for (auto* e : doc->ElementsByTag(L"SCRIPT")) e->RefuseTagInterface = true;
  for (auto* e : doc->ElementsByTag(L"OBJECT")) e->RefuseTagInterface = true;
  for (auto* e : doc->ElementsByTag(L"IFRAME")) e->RefuseTagInterface = true;
  for (auto* e : doc->ElementsByTag(L"EMBED")) e->RefuseElement = true;  // skipped altogether
  WalkDocument(doc);
  EXPECT_EQ(Rows(), (std::vector<Row>{{L"a.example", L"http://a.example", 3, 0}}));
  EXPECT_TRUE(LogLines().empty());
}

TEST_F(WalkFixture, FrameWithoutSourceMarksTheCurrentDomain) {
  Document* doc = Show(L"http://a.example/", "<iframe></iframe>");
  WalkDocument(doc);
  EXPECT_EQ(Rows(), (std::vector<Row>{{L"a.example", L"http://a.example", 3, Frames | InFrame}}));
}

TEST_F(WalkFixture, BaseWithoutSchemeTakesTheCurrentSchemeAndMovesTheCurrentDomain) {
  Document* doc = Show(L"https://a.example/",
                       "<base href='b.example/'><frame src='relative.html'>"
                       "<frame src='http://c.example/x.html'>");
  WalkDocument(doc);
  EXPECT_EQ(Rows(), (std::vector<Row>{
                        {L"https://a.example", L"https://a.example", 4, Frames},
                        // the BASE domain, not the document's, gets the relative frame
                        {L"https://b.example", L"https://b.example", 4, InFrame},
                        {L"c.example", L"http://c.example", 3, InFrame}}));
}

TEST_F(WalkFixture, FailingElementHandlersAreLoggedAndTheWalkGoesOn) {
  Document* doc = Show(L"http://a.example/",
                       "<base href='http://b.example/'><iframe src='http://c.example/'></iframe>"
                       "<script></script>");
  doc->ElementsByTag(L"BASE")[0]->FailHref = true;
  doc->ElementsByTag(L"IFRAME")[0]->FailSrc = true;
  WalkDocument(doc);
  // HasFrames is set before the source is read.
  EXPECT_EQ(Rows(), (std::vector<Row>{{L"a.example", L"http://a.example", 3, Frames | Script}}));
  auto lines = LogLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind("TDomParser.ParseBaseElement: EOleSysError - \"", 0), 0u) << lines[0];
  EXPECT_EQ(lines[0].back(), '"');
  EXPECT_EQ(lines[1].rfind("TDomParser.ParseFrameBaseElement: EOleSysError", 0), 0u) << lines[1];
}

TEST_F(WalkFixture, FrameSourceThatCannotBeCanonicalisedIsLoggedAndTheWalkGoesOn) {
  AnsiString longUrl = "http://c.example/" + AnsiString(2100, 'x');
  Document* doc = Show(L"http://a.example/",
                       "<iframe src='" + longUrl + "'></iframe><script></script>");
  WalkDocument(doc);
  EXPECT_EQ(Rows(), (std::vector<Row>{{L"a.example", L"http://a.example", 3, Frames | Script}}));
  EXPECT_EQ(Logged("TDomParser.ParseFrameBaseElement", "EOSError"), 1u);
}

TEST_F(WalkFixture, OwnAddressThatCannotBeCanonicalisedEndsTheWalkButABaseOneDoesNot) {
  const AnsiString tooLong = "http://c.example/" + AnsiString(2100, 'x');
  Document* doc = Show(L"http://a.example/",
                       "<base href='" + tooLong + "'><iframe src='rel.html'></iframe>");
  WalkDocument(doc);
  // the BASE handler logs, the current domain stays, the walk goes on
  EXPECT_EQ(Rows(), (std::vector<Row>{{L"a.example", L"http://a.example", 3, Frames | InFrame}}));
  EXPECT_EQ(Logged("TDomParser.ParseBaseElement", "EOSError"), 1u);

  const WideString own(tooLong.begin(), tooLong.end());
  doc = Show(own, "<script></script>");
  WalkAll(false);
  WalkDocument(doc);
  EXPECT_EQ(Rows().size(), 1u);  // nothing added
  EXPECT_EQ(Logged("TDomParser.ParseDom(Browser, Highlevel)", "EOSError"), 1u);
  EXPECT_EQ(Logged("TDomParser.ParseDom(HTMLDoc, Highlevel)", "EOSError"), 1u);
}

TEST_F(WalkFixture, FailingTagNameEndsTheLoopAndSkipsTheStyleSheets) {
  Document* doc = Show(L"http://a.example/",
                       "<script></script><p>x</p><object></object>"
                       "<style>@font-face { font-family: x; }</style>",
                       L"a=1");
  doc->ElementsByTag(L"P")[0]->FailTagName = true;
  WalkDocument(doc);
  // what was found before stays
  EXPECT_EQ(Rows(), (std::vector<Row>{{L"a.example", L"http://a.example", 3, Script | Cookies}}));
  EXPECT_EQ(doc->StyleSheets()->Sheet(0)->CssTextReads, 0);
  // logged by the loop, then once more by the document's handler
  EXPECT_EQ(Logged("TDomParser.ParseDom(HTMLDoc, Highlevel)[loop]", "EOleSysError"), 1u);
  EXPECT_EQ(Logged("TDomParser.ParseDom(HTMLDoc, Highlevel)", "EOleSysError"), 1u);
}

TEST_F(WalkFixture, FailingCollectionEndsTheWalkWithOneLogLine) {
  Document* doc = Show(L"http://a.example/", "<script></script><object></object>");
  const auto& elements = doc->Elements();
  for (size_t i = 0; i < elements.size(); ++i)
    if (elements[i]->Tag() == L"OBJECT") doc->All()->FailItemAt = static_cast<long>(i);
  WalkDocument(doc);
  EXPECT_EQ(Rows(), (std::vector<Row>{{L"a.example", L"http://a.example", 3, Script}}));
  EXPECT_EQ(LogLines().size(), 1u);
  EXPECT_EQ(Logged("TDomParser.ParseDom(HTMLDoc, Highlevel)", "EOleSysError"), 1u);

  TDomParser second;
  doc->All()->FailLength = true;
  second.ParseDom(static_cast<IHTMLDocument2*>(doc), false);
  EXPECT_EQ(second.DomainList()->Items(0)->GetFlags(), 0u);
}

TEST_F(WalkFixture, ElementsAddedDuringTheWalkAreVisited) {
  Document* doc = Show(L"http://a.example/", "<p>x</p>");
  doc->All()->GrowAt = 0;
  doc->All()->GrowWith = {HtmlElementData{L"applet", {}, {}},
                          HtmlElementData{L"iframe", {{L"src", L"http://late.example/"}}, {}}};
  WalkDocument(doc);
  EXPECT_EQ(Rows(), (std::vector<Row>{{L"a.example", L"http://a.example", 3, Frames | Applet},
                                      {L"late.example", L"http://late.example", 3, InFrame}}));
}

// ---- documents and browsers

TEST_F(WalkFixture, DocumentWithoutDomainIsLogged) {
  Document* doc = Show(L"notaurl", "<script></script>");
  WalkDocument(doc);
  EXPECT_TRUE(Rows().empty());
  auto lines = LogLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0],
            "TDomParser.ParseDom(HTMLDoc, Highlevel): ETRVException - \"TDomParser.ParseDom: no "
            "domain\"");
}

TEST_F(WalkFixture, FailingDocumentReadsAddNothing) {
  Document* doc = Show(L"http://a.example/", "<script></script>", L"a=1");
  doc->FailUrl = true;
  WalkDocument(doc);
  EXPECT_TRUE(Rows().empty());
  doc->FailUrl = false;
  doc->FailCookie = true;
  WalkDocument(doc);
  EXPECT_EQ(Rows(), (std::vector<Row>{{L"a.example", L"http://a.example", 3, 0}}));
  EXPECT_EQ(Logged("TDomParser.ParseDom(HTMLDoc, Highlevel)", "EOleSysError"), 2u);
}

TEST_F(WalkFixture, BrowserWithoutLocationAddsNothing) {
  Show(L"http://a.example/", "<script></script>");
  HostOf().Top()->FailLocationUrl = true;
  WalkAll(false);
  Parser().ParseDom(static_cast<IWebBrowser2*>(nullptr), false);
  EXPECT_TRUE(Rows().empty());
  EXPECT_EQ(Logged("TDomParser.ParseDom(Browser, Highlevel)", "EOleSysError"), 1u);
}

TEST_F(WalkFixture, BrowserWithoutHtmlMarksItsDomainAndItIsNotWalkedAgain) {
  HostOf().Sites().AddPage(L"http://a.example/",
                           "<iframe src='http://a.example/doc.pdf'></iframe>"
                           "<iframe src='http://a.example/b.html'></iframe>");
  HostOf().Sites().AddPage(L"http://a.example/doc.pdf", "%PDF", pagehost::ResourceKind::Other);
  HostOf().Sites().AddPage(L"http://a.example/b.html", "<script></script>",
                           pagehost::ResourceKind::Html, L"b=1");
  HostOf().Navigate(L"http://a.example/");
  auto browsers = HostOf().Browsers();
  ASSERT_EQ(browsers.size(), 3u);
  // The top document is walked first; then the PDF marks the domain; then b.html, of the same
  // domain, adds neither its script nor its cookie.
  WalkAll(false);
  EXPECT_EQ(Rows(),
            (std::vector<Row>{{L"a.example", L"http://a.example", 3, Frames | InFrame | NoHtml}}));
}

TEST_F(WalkFixture, MissingOrFailingDocumentCountsAsNotHtml) {
  HostOf().Sites().AddPage(L"http://a.example/", "<iframe src='http://b.example/'></iframe>");
  HostOf().Sites().AddPage(L"http://b.example/", "<script></script>");
  HostOf().Navigate(L"http://a.example/");
  HostOf().Top()->NoDocument = true;
  HostOf().Browsers()[1]->FailDocument = true;
  WalkAll(false);
  EXPECT_EQ(Rows(), (std::vector<Row>{{L"a.example", L"http://a.example", 3, NoHtml},
                                      {L"b.example", L"http://b.example", 3, NoHtml}}));
  EXPECT_TRUE(LogLines().empty());
}

TEST_F(WalkFixture, DocumentOfANoHtmlDomainAddsNotEvenItsCookies) {
  Document* doc = Show(L"http://a.example/", "<script></script>", L"a=1");
  HostOf().Top()->NoDocument = true;
  WalkAll(false);
  WalkDocument(doc);
  EXPECT_EQ(Rows(), (std::vector<Row>{{L"a.example", L"http://a.example", 3, NoHtml}}));
}

TEST_F(WalkFixture, DomainsAreMatchedWithoutRegardToCaseKeepingTheFirstSpelling) {
  HostOf().Sites().AddPage(L"http://A.Example/",
                           "<iframe src='http://a.example/x.html'></iframe>");
  HostOf().Navigate(L"http://A.Example/");
  WalkDocument(HostOf().Top()->Html());
  ASSERT_EQ(Domains().size(), 1u);
  EXPECT_EQ(Entry(L"a.example")->GetFlags(), Frames | InFrame);
}

// ---- style sheets

class StyleSheetWalk : public WalkFixture {
 protected:
  // c1.css imports c2.css ... up to cN.css; the last one holds the text.
  void Chain(int n, const AnsiString& lastText) {
    for (int i = 1; i <= n; ++i) {
      AnsiString text = i < n ? "@import url(\"c" + std::to_string(i + 1) + ".css\");" : lastText;
      HostOf().Sites().AddPage(L"http://a.example/c" + std::to_wstring(i) + L".css", text,
                               pagehost::ResourceKind::StyleSheet);
    }
  }
  uint32_t WalkPageWithChain() {
    Document* doc = Show(L"http://a.example/", "<link rel='stylesheet' href='c1.css'>");
    WalkDocument(doc);
    return Entry(L"a.example")->GetFlags();
  }
};

TEST_F(StyleSheetWalk, FontFaceInAnImportOfAnImportIsFoundAndEndsTheWalk) {
  HostOf().Sites().AddPage(L"http://a.example/i1.css", "@import 'i2.css';",
                           pagehost::ResourceKind::StyleSheet);
  HostOf().Sites().AddPage(L"http://a.example/i2.css", "@font-face { font-family: x; }",
                           pagehost::ResourceKind::StyleSheet);
  Document* doc = Show(L"http://a.example/",
                       "<style>p { color: red }</style><style>@import 'i1.css';</style>");
  WalkDocument(doc);
  EXPECT_EQ(Entry(L"a.example")->GetFlags(), FontFace);
  // sheets are visited from the last: the first one is never read
  EXPECT_EQ(doc->StyleSheets()->Sheet(0)->CssTextReads, 0);

  // a second document of the domain does not read its sheets again
  Document* again = Show(L"http://a.example/two.html", "<style>@font-face {}</style>");
  WalkDocument(again);
  EXPECT_EQ(again->StyleSheets()->Sheet(0)->CssTextReads, 0);
}

TEST_F(StyleSheetWalk, FontFaceInOtherCaseIsNotDetected) {
  Chain(1, "@FONT-FACE { font-family: x; }");
  EXPECT_EQ(WalkPageWithChain(), 0u);
}

TEST_F(StyleSheetWalk, ImportsAreFollowedDownToTheTenthLevel) {
  Chain(10, "@font-face { font-family: x; }");
  EXPECT_EQ(WalkPageWithChain(), FontFace);
}

TEST_F(StyleSheetWalk, SheetsBelowTheTenthLevelAreNotRead) {
  Chain(11, "@font-face { font-family: x; }");
  EXPECT_EQ(WalkPageWithChain(), 0u);
  EXPECT_TRUE(LogLines().empty());
}

// Each sheet is read once however often it is imported: a sheet importing itself, or two
// importing each other, cost a read each instead of one read per path down to the tenth level.
TEST_F(StyleSheetWalk, SheetsImportingThemselvesOrEachOtherAreReadOnce) {
  HostOf().Sites().AddPage(L"http://a.example/self.css",
                           "@import url(self.css); @import '/self.css#top';",
                           pagehost::ResourceKind::StyleSheet);
  HostOf().Sites().AddPage(L"http://a.example/x/ping.css", "@import '../y/pong.css';",
                           pagehost::ResourceKind::StyleSheet);
  HostOf().Sites().AddPage(L"http://a.example/y/pong.css",
                           "@import 'http://a.example/x/ping.css'; @import '../x/ping.css';",
                           pagehost::ResourceKind::StyleSheet);
  Document* doc = Show(L"http://a.example/",
                       "<link rel='stylesheet' href='x/ping.css'><link rel='stylesheet' "
                       "href='self.css'>");
  const long before = pagehost::LiveObjectCount();
  WalkDocument(doc);
  EXPECT_EQ(Entry(L"a.example")->GetFlags(), 0u);
  EXPECT_TRUE(LogLines().empty());
  pagehost::StyleSheet* self = doc->StyleSheets()->Sheet(1);
  EXPECT_EQ(self->CssTextReads, 1);
  // its imports are the same sheet again: loaded (the collection holds them), never read
  ASSERT_EQ(self->Imports()->Count(), 2u);
  for (size_t i = 0; i < 2; ++i) EXPECT_EQ(self->Imports()->Sheet(i)->CssTextReads, 0) << i;
  pagehost::StyleSheet* ping = doc->StyleSheets()->Sheet(0);
  pagehost::StyleSheet* pong = ping->Imports()->Sheet(0);
  EXPECT_EQ(ping->CssTextReads, 1);
  EXPECT_EQ(pong->CssTextReads, 1);
  for (size_t i = 0; i < 2; ++i) EXPECT_EQ(pong->Imports()->Sheet(i)->CssTextReads, 0) << i;
  // nothing below them was ever loaded: the walk stopped where the cycles closed
  EXPECT_LE(pagehost::LiveObjectCount() - before, 12);
}

// What a page yields stays as it was: a sheet first met too deep for its imports to be read is
// read again where it is met nearer the top, and equal relative addresses in other folders name
// other sheets.
TEST_F(StyleSheetWalk, SheetMetAgainNearerTheTopIsReadAgainAndAddressesResolvePerFolder) {
  // deep.css imports fonts.css; met first at level 10 (through c1 ... c9), fonts.css would be
  // level 11, below the limit.
  Chain(9, "@import 'deep.css';");
  HostOf().Sites().AddPage(L"http://a.example/deep.css", "@import 'fonts.css';",
                           pagehost::ResourceKind::StyleSheet);
  HostOf().Sites().AddPage(L"http://a.example/fonts.css", "@font-face { font-family: x; }",
                           pagehost::ResourceKind::StyleSheet);
  // sheets are visited from the last: the chain first, then the direct import of deep.css
  Document* doc = Show(L"http://a.example/",
                       "<style>@import 'deep.css';</style><link rel='stylesheet' href='c1.css'>");
  WalkDocument(doc);
  EXPECT_EQ(Entry(L"a.example")->GetFlags(), FontFace);

  HostOf().Sites().AddPage(L"http://b.example/one/s.css", "@import 'common.css';",
                           pagehost::ResourceKind::StyleSheet);
  HostOf().Sites().AddPage(L"http://b.example/two/s.css", "@import 'common.css';",
                           pagehost::ResourceKind::StyleSheet);
  HostOf().Sites().AddPage(L"http://b.example/one/common.css", "p {}",
                           pagehost::ResourceKind::StyleSheet);
  HostOf().Sites().AddPage(L"http://b.example/two/common.css", "@font-face { font-family: y; }",
                           pagehost::ResourceKind::StyleSheet);
  WalkDocument(Show(L"http://b.example/",
                    "<link rel='stylesheet' href='two/s.css'><link rel='stylesheet' "
                    "href='one/s.css'>"));
  EXPECT_EQ(Entry(L"b.example")->GetFlags(), FontFace);
}

TEST_F(StyleSheetWalk, FailingSheetsAreLoggedAndTheOthersStillRead) {
  Document* doc = Show(L"http://a.example/",
                       "<style>@font-face { font-family: x; }</style><style>p {}</style>"
                       "<style>q {}</style>");
  auto* sheets = doc->StyleSheets();
  sheets->Sheet(2)->FailCssText = true;
  sheets->Sheet(1)->FailImports = true;
  sheets->InsertNonSheet(1);  // no style sheet: skipped without a word
  WalkDocument(doc);
  EXPECT_EQ(Entry(L"a.example")->GetFlags(), FontFace);
  EXPECT_EQ(Logged("TDomParser.ParseStyleSheets(StyleSheets, Domain, Level)", "EOleSysError"), 2u);
}

TEST_F(StyleSheetWalk, FailingStyleSheetCollectionIsLogged) {
  Document* doc = Show(L"http://a.example/", "<style>@font-face {}</style><script></script>");
  doc->FailStyleSheets = true;
  WalkDocument(doc);
  EXPECT_EQ(Entry(L"a.example")->GetFlags(), Script);
  EXPECT_EQ(Logged("TDomParser.ParseStyleSheets(HTMLDoc, Domain)", "EOleSysError"), 1u);

  TDomParser second;
  doc->FailStyleSheets = false;
  doc->StyleSheets()->FailLength = true;
  second.ParseDom(static_cast<IHTMLDocument2*>(doc), false);
  EXPECT_EQ(Logged("TDomParser.ParseStyleSheets(HTMLDoc, Domain)", "EOleSysError"), 2u);
}

}  // namespace
