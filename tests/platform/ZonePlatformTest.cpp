// The platform completion of zones: the host keys of the domain layout, the completed managers
// that step aside where the platform implements an operation and write the registry where it does
// not, and the shipped zone templates against the platform's defaults.
#include <gtest/gtest.h>
#include <windows.h>
#include <urlmon.h>
#include <wrl/client.h>

#include <string>

#include "base/RegKey.h"
#include "platform/CompletedZoneManagers.h"
#include "platform/ZoneRegistry.h"
#include "platform/ZoneTemplates.h"
#include "tests/support/ComEnvironment.h"
#include "tests/support/FixedZoneManagers.h"
#include "tests/support/PlatformZones.h"

using Microsoft::WRL::ComPtr;

namespace {

TEST(ZoneRegistry, HostKeysFollowTheDomainLayout) {
  auto k = ZoneMapKeyOfHost(L"www.example.com");
  EXPECT_EQ(k.Domain, L"example.com");
  EXPECT_EQ(k.SubDomain, L"www");
  k = ZoneMapKeyOfHost(L"a.b.example.com");
  EXPECT_EQ(k.Domain, L"example.com");
  EXPECT_EQ(k.SubDomain, L"a.b");
  k = ZoneMapKeyOfHost(L"www.bbc.co.uk");
  EXPECT_EQ(k.Domain, L"bbc.co.uk");
  EXPECT_EQ(k.SubDomain, L"www");
  k = ZoneMapKeyOfHost(L"bbc.co.uk");
  EXPECT_EQ(k.Domain, L"bbc.co.uk");
  EXPECT_EQ(k.SubDomain, L"");
  k = ZoneMapKeyOfHost(L"192.168.0.1");
  EXPECT_EQ(k.Domain, L"192.168.0.1");
  EXPECT_EQ(k.SubDomain, L"");

  std::wstring scheme, host;
  ASSERT_TRUE(SplitZonePattern(L"HTTPS://user:pw@Www.Example.COM:444/p?q#f", scheme, host));
  EXPECT_EQ(scheme, L"https");
  EXPECT_EQ(host, L"www.example.com");
  ASSERT_TRUE(SplitZonePattern(L"*.example.com", scheme, host));
  EXPECT_EQ(scheme, L"*");
  EXPECT_EQ(host, L"*.example.com");
  ASSERT_TRUE(SplitZonePattern(L"localhost:8080", scheme, host));
  EXPECT_EQ(host, L"localhost");
  EXPECT_FALSE(SplitZonePattern(L"mailto:someone", scheme, host));
}

// ---- the completion steps aside where the platform implements an operation ----

TEST(ZoneCompletion, PlatformAnswersOtherThanNotImplementedAreFinal) {
  for (HRESULT answer : {S_OK, S_FALSE, E_ACCESSDENIED}) {
    TFixedZoneManagers inner(answer);
    ComPtr<IInternetSecurityManager> sm;
    sm.Attach(CompleteSecurityManager(inner.Security()));
    ComPtr<IInternetZoneManager> zm;
    zm.Attach(CompleteZoneManager(inner.Zone()));
    EXPECT_EQ(sm->SetZoneMapping(2, L"http://final.vgt-test.example", SZM_CREATE), answer);
    DWORD policy = 3;
    EXPECT_EQ(zm->SetZoneActionPolicy(3, 0x1A03, reinterpret_cast<BYTE*>(&policy), 4,
                                      URLZONEREG_DEFAULT),
              answer);
    EXPECT_EQ(zm->CopyTemplatePoliciesToZone(URLTEMPLATE_HIGH, 3, 0), answer);
    EXPECT_EQ(inner.Calls, 3);
  }
  // Nothing reached the registry.
  EXPECT_EQ(PlatformZoneOf(L"http://final.vgt-test.example"), 3u);
  EXPECT_EQ(PlatformPolicy(3, 0x1A03), 0u);
  EXPECT_EQ(PlatformPolicy(3, 0x1200), 0u);
}

TEST(ZoneCompletion, NotImplementedFallsBackToTheRegistry) {
  TFixedZoneManagers inner(E_NOTIMPL);
  ComPtr<IInternetSecurityManager> sm;
  sm.Attach(CompleteSecurityManager(inner.Security()));
  EXPECT_EQ(sm->SetZoneMapping(4, L"http://fallback.vgt-test.example", SZM_CREATE), S_OK);
  EXPECT_EQ(inner.Calls, 1);
  EXPECT_EQ(PlatformZoneOf(L"http://fallback.vgt-test.example"), 4u);
  EXPECT_EQ(sm->SetZoneMapping(4, L"http://fallback.vgt-test.example", SZM_DELETE), S_OK);
  EXPECT_EQ(PlatformZoneOf(L"http://fallback.vgt-test.example"), 3u);
}

// ---- the shipped templates ----

// The shipped templates agree with the defaults the platform gives each zone of a new machine
// (Trusted: Low, intranet: Medium-low, Internet: Medium, Restricted: High). The machine's keys
// are compared, since tests write only the user's.
TEST(ZoneTemplates, ShippedTemplatesMatchThePlatformDefaults) {
  const struct {
    DWORD Zone, Template;
  } pairs[] = {{2, URLTEMPLATE_LOW}, {1, URLTEMPLATE_MEDLOW}, {3, URLTEMPLATE_MEDIUM},
               {4, URLTEMPLATE_HIGH}};
  for (const auto& p : pairs) {
    size_t count = 0;
    const TZoneTemplatePolicy* policies = ZoneTemplatePolicies(p.Template, count);
    ASSERT_NE(policies, nullptr);
    ASSERT_GE(count, 21u);
    TRegKey key;
    std::wstring path =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\" +
        std::to_wstring(p.Zone);
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.Out()), ERROR_SUCCESS);
    int compared = 0;
    for (size_t i = 0; i < count; ++i) {
      wchar_t name[16];
      wsprintfW(name, L"%X", policies[i].Action);
      DWORD value = 0, size = sizeof value;
      if (RegQueryValueExW(key.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS)
        continue;
      ++compared;
      EXPECT_EQ(value, policies[i].Policy)
          << "template " << std::hex << p.Template << " action " << policies[i].Action;
    }
    EXPECT_GE(compared, 21);
  }
  size_t count = 99;
  EXPECT_EQ(ZoneTemplatePolicies(0, count), nullptr);
  EXPECT_EQ(count, 0u);
}

}  // namespace
