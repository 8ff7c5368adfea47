// The zone services against the platform's real urlmon: every change made through them must be
// seen by the platform's own managers, made fresh with CoInternetCreate*Manager.
#include <gtest/gtest.h>
#include <windows.h>
#include <urlmon.h>
#include <wrl/client.h>

#include <string>

#include "base/RegKey.h"
#include "common/trvZoneServices.h"
#include "tests/support/ComEnvironment.h"
#include "tests/support/FixedZoneManagers.h"
#include "tests/support/PlatformZones.h"

using Microsoft::WRL::ComPtr;

namespace {

// ---- moving sites between zones ----

TEST(ZoneMapping, MovedIntoTrustedThenRestrictedThenRemoved) {
  auto sm = CreateSecurityManager();
  const WideString url = L"https://www.mover.vgt-test.example";
  ASSERT_EQ(PlatformZoneOf(url.c_str()), 3u);

  ASSERT_EQ(AddZoneMapping(sm.Get(), 2, url), S_OK);
  EXPECT_EQ(PlatformZoneOf(L"https://www.mover.vgt-test.example/a/page.html?q=1"), 2u);
  EXPECT_EQ(MapUrlToZone(sm.Get(), url), 2u);

  // The dialog's move: out of the current zone, into the chosen one.
  ASSERT_EQ(RemoveZoneMapping(sm.Get(), 2, url), S_OK);
  ASSERT_EQ(AddZoneMapping(sm.Get(), 4, url), S_OK);
  EXPECT_EQ(PlatformZoneOf(url.c_str()), 4u);

  ASSERT_EQ(RemoveZoneMapping(sm.Get(), 4, url), S_OK);
  EXPECT_EQ(PlatformZoneOf(url.c_str()), 3u);
}

TEST(ZoneMapping, RemovalLeavesOtherSitesAndSchemesAlone) {
  auto sm = CreateSecurityManager();
  ASSERT_EQ(AddZoneMapping(sm.Get(), 2, L"http://a.keep-vgt.example"), S_OK);
  ASSERT_EQ(AddZoneMapping(sm.Get(), 4, L"https://a.keep-vgt.example"), S_OK);
  ASSERT_EQ(AddZoneMapping(sm.Get(), 4, L"http://b.keep-vgt.example"), S_OK);
  ASSERT_EQ(AddZoneMapping(sm.Get(), 2, L"http://keep-vgt.example"), S_OK);

  ASSERT_EQ(RemoveZoneMapping(sm.Get(), 2, L"http://a.keep-vgt.example"), S_OK);
  EXPECT_EQ(PlatformZoneOf(L"https://a.keep-vgt.example"), 4u);
  EXPECT_EQ(PlatformZoneOf(L"http://b.keep-vgt.example"), 4u);
  EXPECT_EQ(PlatformZoneOf(L"http://keep-vgt.example"), 2u);

  // Once a sub-domain has no mapping left its key goes, and the domain's own mapping reaches it
  // again (the platform stops at a sub-domain key it finds, mapped or not).
  ASSERT_EQ(RemoveZoneMapping(sm.Get(), 4, L"https://a.keep-vgt.example"), S_OK);
  EXPECT_EQ(PlatformZoneOf(L"http://a.keep-vgt.example"), 2u);
  EXPECT_EQ(PlatformZoneOf(L"http://b.keep-vgt.example"), 4u);
  ASSERT_EQ(RemoveZoneMapping(sm.Get(), 4, L"http://b.keep-vgt.example"), S_OK);
  ASSERT_EQ(RemoveZoneMapping(sm.Get(), 2, L"http://keep-vgt.example"), S_OK);
  TRegKey key;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER,
                          L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\"
                          L"Domains\\keep-vgt.example",
                          0, KEY_READ, key.Out()),
            ERROR_FILE_NOT_FOUND)
      << "a domain without mappings leaves no key behind";
}

TEST(ZoneMapping, RemovalFromAnotherZoneChangesNothing) {
  auto sm = CreateSecurityManager();
  const WideString url = L"http://wrongzone.vgt-test.example";
  ASSERT_EQ(AddZoneMapping(sm.Get(), 4, url), S_OK);
  EXPECT_TRUE(FAILED(RemoveZoneMapping(sm.Get(), 2, url)));
  EXPECT_EQ(PlatformZoneOf(url.c_str()), 4u);
  EXPECT_TRUE(FAILED(RemoveZoneMapping(sm.Get(), 4, L"http://never.vgt-test.example")));
  ASSERT_EQ(RemoveZoneMapping(sm.Get(), 4, url), S_OK);
  EXPECT_EQ(PlatformZoneOf(url.c_str()), 3u);
}

TEST(ZoneMapping, AddingAgainMovesTheSite) {
  auto sm = CreateSecurityManager();
  const WideString url = L"http://Again.VGT-Test.example";
  ASSERT_EQ(AddZoneMapping(sm.Get(), 2, url), S_OK);
  ASSERT_EQ(AddZoneMapping(sm.Get(), 4, L"http://again.vgt-test.example:8080/path"), S_OK);
  EXPECT_EQ(PlatformZoneOf(L"http://again.vgt-test.example/"), 4u);
  ASSERT_EQ(RemoveZoneMapping(sm.Get(), 4, url), S_OK);
  EXPECT_EQ(PlatformZoneOf(L"http://again.vgt-test.example/"), 3u);
}

TEST(ZoneMapping, CountryDomainsIpAddressesAndSingleLabels) {
  auto sm = CreateSecurityManager();
  ASSERT_EQ(AddZoneMapping(sm.Get(), 4, L"http://www.vgttest.co.uk"), S_OK);
  EXPECT_EQ(PlatformZoneOf(L"http://www.vgttest.co.uk"), 4u);
  EXPECT_EQ(PlatformZoneOf(L"http://news.vgttest.co.uk"), 3u);
  EXPECT_EQ(PlatformZoneOf(L"http://other.co.uk"), 3u);

  ASSERT_EQ(AddZoneMapping(sm.Get(), 2, L"http://10.20.30.40"), S_OK);
  EXPECT_EQ(PlatformZoneOf(L"http://10.20.30.40/x"), 2u);
  EXPECT_EQ(PlatformZoneOf(L"http://10.20.30.41/x"), 3u);

  ASSERT_EQ(AddZoneMapping(sm.Get(), 2, L"ftp://vgtintranethost"), S_OK);
  EXPECT_EQ(PlatformZoneOf(L"ftp://vgtintranethost/pub"), 2u);
  EXPECT_EQ(PlatformZoneOf(L"http://vgtintranethost/"), 3u);

  EXPECT_EQ(RemoveZoneMapping(sm.Get(), 4, L"http://www.vgttest.co.uk"), S_OK);
  EXPECT_EQ(RemoveZoneMapping(sm.Get(), 2, L"http://10.20.30.40"), S_OK);
  EXPECT_EQ(RemoveZoneMapping(sm.Get(), 2, L"ftp://vgtintranethost"), S_OK);
  EXPECT_EQ(PlatformZoneOf(L"http://www.vgttest.co.uk"), 3u);
  EXPECT_EQ(PlatformZoneOf(L"http://10.20.30.40/x"), 3u);
}

TEST(ZoneMapping, PatternsWithoutHostOrZoneAreRefused) {
  auto sm = CreateSecurityManager();
  EXPECT_EQ(AddZoneMapping(sm.Get(), 2, L"about:blank"), E_INVALIDARG);
  EXPECT_EQ(AddZoneMapping(sm.Get(), 2, L""), E_INVALIDARG);
  EXPECT_EQ(AddZoneMapping(sm.Get(), 2, L"http://"), E_INVALIDARG);
  EXPECT_EQ(AddZoneMapping(sm.Get(), 2, L"://host"), E_INVALIDARG);
  EXPECT_EQ(AddZoneMapping(sm.Get(), 77, L"http://zone77.vgt-test.example"), E_INVALIDARG);
  EXPECT_EQ(sm->SetZoneMapping(2, L"http://flags.vgt-test.example", 5), E_INVALIDARG);
  EXPECT_EQ(PlatformZoneOf(L"http://flags.vgt-test.example"), 3u);
}

// ---- policies and templates ----

TEST(ZonePolicy, WrittenPolicyIsReadBackByThePlatform) {
  auto zm = CreateZoneManager();
  WriteZonePolicy(zm.Get(), 3, 0x1201, URLPOLICY_QUERY);
  EXPECT_EQ(PlatformPolicy(3, 0x1201), static_cast<DWORD>(URLPOLICY_QUERY));
  WriteZonePolicy(zm.Get(), 2, 0x1A02, URLPOLICY_DISALLOW);
  EXPECT_EQ(PlatformPolicy(2, 0x1A02), static_cast<DWORD>(URLPOLICY_DISALLOW));
  DWORD policy = 99;
  ASSERT_TRUE(ReadZonePolicy(zm.Get(), 2, 0x1A02, policy));
  EXPECT_EQ(policy, static_cast<DWORD>(URLPOLICY_DISALLOW));
  // Other zones keep theirs.
  EXPECT_EQ(PlatformPolicy(4, 0x1A02), static_cast<DWORD>(URLPOLICY_DISALLOW));
  EXPECT_EQ(PlatformPolicy(3, 0x1A02), static_cast<DWORD>(URLPOLICY_ALLOW));

  EXPECT_THROW(WriteZonePolicy(zm.Get(), 42, 0x1200, 0), EOleSysError);
  EXPECT_FALSE(ReadZonePolicy(zm.Get(), 42, 0x1200, policy));
  BYTE shortPolicy[2] = {};
  EXPECT_TRUE(FAILED(zm->SetZoneActionPolicy(3, 0x1200, shortPolicy, 2, URLZONEREG_DEFAULT)));
}

TEST(ZonePolicy, TemplateReloadResetsTheZone) {
  auto zm = CreateZoneManager();
  WriteZonePolicy(zm.Get(), 3, 0x1200, URLPOLICY_DISALLOW);
  WriteZonePolicy(zm.Get(), 3, 0x1406, URLPOLICY_ALLOW);
  WriteZonePolicy(zm.Get(), 3, 0x1201, URLPOLICY_ALLOW);
  WriteZonePolicy(zm.Get(), 4, 0x1400, URLPOLICY_ALLOW);

  ReloadZoneTemplate(zm.Get(), 3);  // recommended: Medium
  EXPECT_EQ(PlatformPolicy(3, 0x1200), static_cast<DWORD>(URLPOLICY_ALLOW));
  EXPECT_EQ(PlatformPolicy(3, 0x1406), static_cast<DWORD>(URLPOLICY_DISALLOW));
  EXPECT_EQ(PlatformPolicy(3, 0x1201), static_cast<DWORD>(URLPOLICY_DISALLOW));
  EXPECT_EQ(PlatformPolicy(4, 0x1400), static_cast<DWORD>(URLPOLICY_ALLOW)) << "zone 4 untouched";

  ReloadZoneTemplate(zm.Get(), 4);  // High
  EXPECT_EQ(PlatformPolicy(4, 0x1400), static_cast<DWORD>(URLPOLICY_DISALLOW));

  // Another template into a zone: Low into the Internet zone, then back.
  OleCheck(zm->CopyTemplatePoliciesToZone(URLTEMPLATE_LOW, 3, 0));
  EXPECT_EQ(PlatformPolicy(3, 0x1406), static_cast<DWORD>(URLPOLICY_ALLOW));
  EXPECT_EQ(PlatformPolicy(3, 0x1004), static_cast<DWORD>(URLPOLICY_QUERY));
  ReloadZoneTemplate(zm.Get(), 3);
  EXPECT_EQ(PlatformPolicy(3, 0x1004), static_cast<DWORD>(URLPOLICY_DISALLOW));

  EXPECT_TRUE(FAILED(zm->CopyTemplatePoliciesToZone(0x10123, 3, 0)));
  EXPECT_TRUE(FAILED(zm->CopyTemplatePoliciesToZone(URLTEMPLATE_HIGH, 42, 0)));
  // An unknown zone has no recommended template: nothing to reload, and the reload says so.
  EXPECT_THROW(ReloadZoneTemplate(zm.Get(), 42), EOleSysError);
}


// ---- zone attributes: the record is initialised before every read ----

TEST(ZoneAttributes, RecordIsZeroedAndSizedBeforeTheRead) {
  TFixedZoneManagers fake(S_OK);
  fake.WriteAttributes = false;  // answers success and writes nothing
  ZONEATTRIBUTES a;
  memset(&a, 0xFF, sizeof a);
  EXPECT_TRUE(ReadZoneAttributes(fake.Zone(), 2, a));
  EXPECT_EQ(fake.SeenOnEntry.cbSize, sizeof(ZONEATTRIBUTES));
  EXPECT_EQ(fake.SeenOnEntry.dwFlags, 0u);
  EXPECT_EQ(a.dwFlags, 0u);
  EXPECT_FALSE(ZoneHasFlag(fake.Zone(), 2, ZAFLAGS_REQUIRE_VERIFICATION));
  EXPECT_EQ(fake.SeenOnEntry.cbSize, sizeof(ZONEATTRIBUTES));

  fake.WriteAttributes = true;
  fake.FlagsToWrite = ZAFLAGS_REQUIRE_VERIFICATION | 1;
  EXPECT_TRUE(ZoneHasFlag(fake.Zone(), 2, ZAFLAGS_REQUIRE_VERIFICATION));

  // A failed read counts as "bit not set", whatever the manager left in the record.
  fake.AttributesAnswer = E_FAIL;
  EXPECT_FALSE(ZoneHasFlag(fake.Zone(), 2, ZAFLAGS_REQUIRE_VERIFICATION));
  EXPECT_FALSE(ReadZoneAttributes(fake.Zone(), 2, a));
  EXPECT_EQ(a.dwFlags, 0u);
  EXPECT_THROW(ZoneRecommendedTemplate(fake.Zone(), 2), EOleSysError);
  EXPECT_EQ(fake.SeenOnEntry.cbSize, sizeof(ZONEATTRIBUTES));
  EXPECT_EQ(ClearZoneFlag(fake.Zone(), 2, ZAFLAGS_REQUIRE_VERIFICATION), E_FAIL);
}

TEST(ZoneAttributes, RevertReadsTheTemplateFromAnInitialisedRecord) {
  TFixedZoneManagers fake(S_OK);
  fake.WriteAttributes = true;
  fake.TemplateToWrite = URLTEMPLATE_MEDIUM;
  ReloadZoneTemplate(fake.Zone(), 3);
  EXPECT_EQ(fake.SeenOnEntry.cbSize, sizeof(ZONEATTRIBUTES));
  EXPECT_EQ(fake.SeenOnEntry.dwTemplateRecommended, 0u);
  EXPECT_EQ(fake.CopiedTemplate, static_cast<DWORD>(URLTEMPLATE_MEDIUM));

  TFixedZoneManagers refusing(E_ACCESSDENIED);
  refusing.WriteAttributes = true;
  refusing.TemplateToWrite = URLTEMPLATE_HIGH;
  try {
    ReloadZoneTemplate(refusing.Zone(), 4);
    FAIL() << "no exception";
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.ErrorCode, E_ACCESSDENIED);
  }
}

// A read that answers success and writes nothing must never be written back, nor its empty
// template copied into the zone.
TEST(ZoneAttributes, AnEmptyReadIsNeverWrittenBack) {
  TFixedZoneManagers fake(S_OK);
  EXPECT_EQ(ClearZoneFlag(fake.Zone(), 2, ZAFLAGS_REQUIRE_VERIFICATION), S_FALSE);
  EXPECT_EQ(fake.Calls, 0);
  EXPECT_THROW(ReloadZoneTemplate(fake.Zone(), 3), EOleSysError);
  EXPECT_EQ(fake.Calls, 0);

  fake.WriteAttributes = true;
  fake.FlagsToWrite = ZAFLAGS_REQUIRE_VERIFICATION | 0x43;
  EXPECT_EQ(ClearZoneFlag(fake.Zone(), 2, ZAFLAGS_REQUIRE_VERIFICATION), S_OK);
  EXPECT_EQ(fake.Calls, 1);
  EXPECT_EQ(fake.FlagsToWrite, 0x43u) << "only the bit is cleared";
}

TEST(ZoneAttributes, PlatformTrustedZoneVerificationBit) {
  auto zm = CreateZoneManager();
  // Unknown zone: the platform answers success and writes nothing; nothing is written back.
  EXPECT_FALSE(ZoneHasFlag(zm.Get(), 7, ZAFLAGS_REQUIRE_VERIFICATION));
  EXPECT_EQ(ClearZoneFlag(zm.Get(), 7, ZAFLAGS_REQUIRE_VERIFICATION), S_FALSE);
  ASSERT_TRUE(ZoneHasFlag(zm.Get(), 2, ZAFLAGS_REQUIRE_VERIFICATION));
  const DWORD before = PlatformFlags(2);
  ASSERT_EQ(ClearZoneFlag(zm.Get(), 2, ZAFLAGS_REQUIRE_VERIFICATION), S_OK);
  EXPECT_FALSE(ZoneHasFlag(zm.Get(), 2, ZAFLAGS_REQUIRE_VERIFICATION));
  EXPECT_EQ(PlatformFlags(2), before & ~static_cast<DWORD>(ZAFLAGS_REQUIRE_VERIFICATION));
  // Put it back for the other tests of this program.
  ZONEATTRIBUTES a;
  ASSERT_TRUE(ReadZoneAttributes(zm.Get(), 2, a));
  a.dwFlags = before;
  ASSERT_EQ(zm->SetZoneAttributes(2, &a), S_OK);
  EXPECT_TRUE(ZoneHasFlag(zm.Get(), 2, ZAFLAGS_REQUIRE_VERIFICATION));
}

// ---- the seam: managers that cannot be made ----

TEST(ZoneFactories, FailingFactoriesAreReportedAndRestored) {
  {
    TZoneManagerFactoryOverride failing(
        [](IInternetSecurityManager** m) {
          *m = nullptr;
          return E_OUTOFMEMORY;
        },
        [](IInternetZoneManager** m) {
          *m = nullptr;
          return REGDB_E_CLASSNOTREG;
        });
    ComPtr<IInternetSecurityManager> sm;
    EXPECT_EQ(TryCreateSecurityManager(sm), E_OUTOFMEMORY);
    EXPECT_EQ(sm.Get(), nullptr);
    try {
      CreateZoneManager();
      FAIL() << "no exception";
    } catch (const EOleSysError& e) {
      EXPECT_EQ(e.ErrorCode, REGDB_E_CLASSNOTREG);
      EXPECT_FALSE(e.Message().empty());
    }
    EXPECT_THROW(CreateSecurityManager(), EOleSysError);
    EXPECT_EQ(GetUrlZoneOrInternet(L"http://anything.vgt-test.example"), 3u);

    // A factory that claims success without a manager is a failure too.
    TZoneManagerFactoryOverride empty([](IInternetSecurityManager** m) {
      *m = nullptr;
      return S_OK;
    }, nullptr);
    EXPECT_EQ(TryCreateSecurityManager(sm), E_FAIL);
    ComPtr<IInternetZoneManager> none;
    EXPECT_EQ(TryCreateZoneManager(none), REGDB_E_CLASSNOTREG);
  }
  ComPtr<IInternetZoneManager> zm;
  EXPECT_EQ(TryCreateZoneManager(zm), S_OK);
  EXPECT_NE(zm.Get(), nullptr);
}

TEST(ZoneFactories, ZoneOfUrlFallsBackToInternetWhenTheLookupFails) {
  TFixedZoneManagers failing(E_FAIL);
  TZoneManagerFactoryOverride seam(
      [&](IInternetSecurityManager** m) {
        *m = failing.Security();
        failing.Security()->AddRef();
        return S_OK;
      },
      nullptr);
  EXPECT_EQ(GetUrlZoneOrInternet(L"http://x.vgt-test.example"), 3u);
  EXPECT_THROW(MapUrlToZone(failing.Security(), L"http://x.vgt-test.example"), EOleSysError);
}

}  // namespace
