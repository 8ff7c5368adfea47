// Zone mappings at their edges, each checked against what the platform's own MapUrlToZone
// answers in a fresh process: a refused add leaves nothing behind, an add succeeds only for a
// pattern the platform applies, and a removal finds a mapping in either key layout.
#include <gtest/gtest.h>
#include <windows.h>
#include <urlmon.h>
#include <wrl/client.h>

#include <set>
#include <string>
#include <vector>

#include "common/trvZoneServices.h"
#include "base/RegKey.h"
#include "tests/support/ComEnvironment.h"
#include "tests/support/ComTestSupport.h"

using Microsoft::WRL::ComPtr;

namespace {

const wchar_t kDomains[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\Domains";

// The platform's zone for Url, asked by a process of its own (ZoneOfUrl.exe beside this program).
DWORD FreshZoneOf(const std::wstring& Url) {
  const TStartedProcess process(ProgramBesideTest(L"ZoneOfUrl.exe"), L"\"" + Url + L"\"");
  if (!process.Started()) return 1000;
  process.EndsWithin(INFINITE);
  return process.ExitCode(1000);
}

// Every key and value below ZoneMap\Domains of the user.
std::set<std::wstring> DomainsSnapshot() { return RegistrySnapshot(HKEY_CURRENT_USER, kDomains); }

std::string NarrowForTest(const std::wstring& Text) {
  std::string narrow;
  for (wchar_t c : Text) narrow += c < 0x80 ? static_cast<char>(c) : '?';
  return narrow;
}

bool DomainKeyExists(const std::wstring& Name) {
  TRegKey key;
  return RegOpenKeyExW(HKEY_CURRENT_USER, (std::wstring(kDomains) + L"\\" + Name).c_str(), 0, KEY_READ,
                       key.Out()) == ERROR_SUCCESS;
}

// A mapping written the way other tools keep it: the whole host as one key below Domains.
void WriteFlatMapping(const std::wstring& Host, const std::wstring& Scheme, DWORD Zone) {
  TRegKey key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(kDomains) + L"\\" + Host).c_str(), 0, nullptr, 0,
                            KEY_SET_VALUE, nullptr, key.Out(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(key.Get(), Scheme.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&Zone), sizeof Zone),
            ERROR_SUCCESS);
}

TEST(ZoneMappingEdges, ARefusedAddLeavesNoKeyBehind) {
  auto sm = CreateSecurityManager();
  const auto before = DomainsSnapshot();

  std::wstring longHost;
  while (longHost.size() < 5000) longHost += L"abcdefghijklmnopqrstuvwxyz0123456789abcdefghij.";
  longHost += L"refused-vgt.example";
  const std::wstring longLabel = std::wstring(300, L'b') + L".refused-vgt.example";
  const std::wstring tooLongHost = std::wstring(60, L'c') + L"." + std::wstring(60, L'd') + L"." +
                                   std::wstring(60, L'e') + L"." + std::wstring(60, L'f') + L".refused-vgt.example";
  for (const std::wstring& host : {longHost, longLabel, tooLongHost}) {
    const std::wstring url = L"http://" + host + L"/";
    EXPECT_TRUE(FAILED(AddZoneMapping(sm.Get(), 2, url))) << host.size();
    EXPECT_FALSE(DomainKeyExists(L"refused-vgt.example")) << host.size();
  }
  EXPECT_EQ(DomainsSnapshot(), before);
  EXPECT_EQ(FreshZoneOf(L"http://" + longLabel), 3u);
}

TEST(ZoneMappingEdges, APatternThePlatformDoesNotApplyIsRefused) {
  auto sm = CreateSecurityManager();
  const auto before = DomainsSnapshot();
  for (const wchar_t* pattern :
       {L"*.wild-vgt.example", L"http://*.wild-vgt.example", L"http://[::1]", L"http://[::1]:8080/x", L"*",
        L"http://*.*", L"http://*", L"http://www.*.wild-vgt.example", L"http://a..wild-vgt.example"}) {
    EXPECT_TRUE(FAILED(AddZoneMapping(sm.Get(), 4, pattern))) << pattern;
  }
  EXPECT_EQ(DomainsSnapshot(), before);
  EXPECT_EQ(FreshZoneOf(L"http://www.wild-vgt.example"), 3u);
}

TEST(ZoneMappingEdges, ASuccessfulAddIsWhatThePlatformThenAnswers) {
  auto sm = CreateSecurityManager();
  const std::wstring longestLabel = L"http://" + std::wstring(63, L'g') + L".promise-vgt.example";
  const struct {
    const wchar_t* Pattern;
    const wchar_t* Url;
  } cases[] = {
      {L"http://www.promise-vgt.example", L"http://www.promise-vgt.example/x"},
      {L"promise-vgt.example", L"https://promise-vgt.example/"},
      {L"https://a.b.promise-vgt.example:8443", L"https://a.b.promise-vgt.example/"},
      {L"http://192.168.77.5", L"http://192.168.77.5/"},
      {L"ftp://promisehost", L"ftp://promisehost/pub"},
      {longestLabel.c_str(), nullptr},
      {L"http://b\u00fccher.promise-vgt.example", L"http://b\u00fccher.promise-vgt.example/"},
      {L"http://under_score.promise-vgt.example", L"http://under_score.promise-vgt.example/"},
      {L"http://www.promise-vgt.example.", L"http://www.promise-vgt.example./"},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(AddZoneMapping(sm.Get(), 4, c.Pattern), S_OK) << c.Pattern;
    const std::wstring url = c.Url ? c.Url : c.Pattern;
    EXPECT_EQ(FreshZoneOf(url), 4u) << c.Pattern;
    ASSERT_EQ(RemoveZoneMapping(sm.Get(), 4, c.Pattern), S_OK) << c.Pattern;
    EXPECT_EQ(FreshZoneOf(url), 3u) << c.Pattern;
  }
  EXPECT_FALSE(DomainKeyExists(L"promise-vgt.example"));
}

TEST(ZoneMappingEdges, AMappingKeptInTheFlatLayoutIsRemoved) {
  auto sm = CreateSecurityManager();
  WriteFlatMapping(L"www.flat-vgt.example", L"http", 4);
  WriteFlatMapping(L"www.flat-vgt.example", L"https", 2);
  ASSERT_EQ(FreshZoneOf(L"http://www.flat-vgt.example/"), 4u);

  // Removal from another zone finds nothing and keeps it.
  EXPECT_TRUE(FAILED(RemoveZoneMapping(sm.Get(), 2, L"http://www.flat-vgt.example")));
  EXPECT_EQ(FreshZoneOf(L"http://www.flat-vgt.example/"), 4u);

  EXPECT_EQ(RemoveZoneMapping(sm.Get(), 4, L"http://www.flat-vgt.example"), S_OK);
  EXPECT_EQ(FreshZoneOf(L"http://www.flat-vgt.example/"), 3u);
  // The other scheme's mapping stays, and the key goes with the last one.
  EXPECT_EQ(FreshZoneOf(L"https://www.flat-vgt.example/"), 2u);
  EXPECT_EQ(RemoveZoneMapping(sm.Get(), 2, L"https://www.flat-vgt.example"), S_OK);
  EXPECT_EQ(FreshZoneOf(L"https://www.flat-vgt.example/"), 3u);
  EXPECT_FALSE(DomainKeyExists(L"www.flat-vgt.example"));
}

TEST(ZoneMappingEdges, AnAddReplacesTheSameSiteKeptInTheFlatLayout) {
  auto sm = CreateSecurityManager();
  WriteFlatMapping(L"www.flatmove-vgt.example", L"http", 4);
  ASSERT_EQ(FreshZoneOf(L"http://www.flatmove-vgt.example/"), 4u);
  ASSERT_EQ(AddZoneMapping(sm.Get(), 2, L"http://www.flatmove-vgt.example"), S_OK);
  EXPECT_EQ(FreshZoneOf(L"http://www.flatmove-vgt.example/"), 2u);
  ASSERT_EQ(RemoveZoneMapping(sm.Get(), 2, L"http://www.flatmove-vgt.example"), S_OK);
  EXPECT_EQ(FreshZoneOf(L"http://www.flatmove-vgt.example/"), 3u);
  EXPECT_FALSE(DomainKeyExists(L"www.flatmove-vgt.example"));
  EXPECT_FALSE(DomainKeyExists(L"flatmove-vgt.example"));
}

// The key is the host the platform's lookup compares for the URL, not the text as written: a
// final dot stays (the name without it is another host), a short IPv4 form is written out and
// %-escapes are decoded.
TEST(ZoneMappingEdges, AMappingIsForTheHostThePlatformReads) {
  auto sm = CreateSecurityManager();
  const auto before = DomainsSnapshot();
  const struct {
    const wchar_t* Pattern;
    const wchar_t* Url;
    const wchar_t* Untouched;
  } cases[] = {
      {L"http://dot-vgt.example.", L"http://dot-vgt.example./", L"http://dot-vgt.example/"},
      {L"http://www.dot-vgt.example.", L"http://www.dot-vgt.example./", L"http://www.dot-vgt.example/"},
      {L"http://3.4", L"http://3.4/", L"http://3.4.5.6/"},
      {L"http://pct-vgt.ex%61mple", L"http://pct-vgt.ex%61mple/", L"http://pct-vgt.examples/"},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(AddZoneMapping(sm.Get(), 4, c.Pattern), S_OK) << c.Pattern;
    EXPECT_EQ(FreshZoneOf(c.Url), 4u) << c.Pattern;
    EXPECT_EQ(FreshZoneOf(c.Untouched), 3u) << c.Pattern;
    ASSERT_EQ(RemoveZoneMapping(sm.Get(), 4, c.Pattern), S_OK) << c.Pattern;
    EXPECT_EQ(FreshZoneOf(c.Url), 3u) << c.Pattern;
  }
  EXPECT_EQ(DomainsSnapshot(), before);
}

// A host written with characters that draw nothing or reorder its text looks like another one;
// the platform drops some of them when it reads a URL, so the mapping would land elsewhere.
TEST(ZoneMappingEdges, AHostWithHiddenControlCharactersIsRefused) {
  auto sm = CreateSecurityManager();
  const auto before = DomainsSnapshot();
  for (const wchar_t* pattern : {L"http://a\u202Eb.hidden-vgt.example", L"http://a\u200Bb.hidden-vgt.example",
                                 L"http://ab.hidden-vgt.example\u200F", L"a\u2066b.hidden-vgt.example",
                                 L"http://a\u00ADb.hidden-vgt.example", L"http://\uFEFFab.hidden-vgt.example"}) {
    EXPECT_EQ(AddZoneMapping(sm.Get(), 4, pattern), E_INVALIDARG) << NarrowForTest(pattern);
  }
  EXPECT_EQ(DomainsSnapshot(), before);
  EXPECT_EQ(FreshZoneOf(L"http://ab.hidden-vgt.example/"), 3u);
}

// Another tool's whole-host mapping ("*" under a key named by the whole host) is read before the
// host's own key when it sorts first: a move takes it out of the way, and the host's other
// schemes keep the zone it gave them.
TEST(ZoneMappingEdges, AWholeHostMappingOfTheSameHostMakesWay) {
  auto sm = CreateSecurityManager();
  const auto before = DomainsSnapshot();
  WriteFlatMapping(L"a.zz-vgt.example", L"*", 4);
  ASSERT_EQ(FreshZoneOf(L"http://a.zz-vgt.example/"), 4u);
  for (DWORD zone : {2u, 3u}) {
    ASSERT_EQ(AddZoneMapping(sm.Get(), zone, L"http://a.zz-vgt.example"), S_OK) << zone;
    EXPECT_EQ(FreshZoneOf(L"http://a.zz-vgt.example/"), zone);
    EXPECT_EQ(FreshZoneOf(L"https://a.zz-vgt.example/"), 4u) << zone;
  }
  EXPECT_FALSE(DomainKeyExists(L"a.zz-vgt.example"));
  ASSERT_EQ(RemoveZoneMapping(sm.Get(), 3, L"http://a.zz-vgt.example"), S_OK);
  ASSERT_EQ(RemoveZoneMapping(sm.Get(), 4, L"a.zz-vgt.example"), S_OK);
  EXPECT_EQ(FreshZoneOf(L"https://a.zz-vgt.example/"), 3u);
  EXPECT_EQ(DomainsSnapshot(), before);
}

}  // namespace
