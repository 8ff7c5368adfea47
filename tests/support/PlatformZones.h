// The platform's own answers about zones, read through managers made fresh by the platform
// (never through our completion of them): what a change made by the code under test must
// look like to everyone else.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <urlmon.h>
#include <wrl/client.h>

inline DWORD PlatformZoneOf(const wchar_t* Url) {
  Microsoft::WRL::ComPtr<IInternetSecurityManager> manager;
  EXPECT_EQ(CoInternetCreateSecurityManager(nullptr, &manager, 0), S_OK);
  DWORD zone = 99;
  EXPECT_EQ(manager->MapUrlToZone(Url, &zone, 0), S_OK) << Url;
  return zone;
}

inline DWORD PlatformPolicy(DWORD Zone, DWORD Action) {
  Microsoft::WRL::ComPtr<IInternetZoneManager> manager;
  EXPECT_EQ(CoInternetCreateZoneManager(nullptr, &manager, 0), S_OK);
  DWORD policy = 0xDEAD;
  EXPECT_EQ(manager->GetZoneActionPolicy(Zone, Action, reinterpret_cast<BYTE*>(&policy),
                                         sizeof policy, URLZONEREG_DEFAULT),
            S_OK);
  return policy;
}

inline DWORD PlatformFlags(DWORD Zone) {
  Microsoft::WRL::ComPtr<IInternetZoneManager> manager;
  EXPECT_EQ(CoInternetCreateZoneManager(nullptr, &manager, 0), S_OK);
  ZONEATTRIBUTES a{};
  a.cbSize = sizeof a;
  EXPECT_EQ(manager->GetZoneAttributes(Zone, &a), S_OK);
  return a.dwFlags;
}
