// Zone mappings and zone policies written straight into the per-user registry layout that the
// platform's URL security manager and zone manager read: the completion of the managers where
// the platform leaves these writes unimplemented.
//
//   HKCU\...\Internet Settings\ZoneMap\Domains\<domain>[\<sub-domain>]  value <scheme> or "*"
//   HKCU\...\Internet Settings\Zones\<zone>                             value <action in hex>
#pragma once

#include <windows.h>
#include <urlmon.h>

#include <string>

// Where a host's mapping lives: the key of its domain and, for a longer host name, the sub-key
// of the labels in front of it ("www.example.com": "example.com" and "www"). An IP address, a
// single-label name and a bare domain have no sub-key.
struct TZoneMapKey {
  std::wstring Domain;
  std::wstring SubDomain;
};
TZoneMapKey ZoneMapKeyOfHost(const std::wstring& Host);

// Splits a mapping pattern ("https://www.example.com", "www.example.com", "*.example.com") into
// the value name (the scheme in lower case, "*" when the pattern names none) and the host in
// lower case. Port, user name and path are dropped. False when the pattern holds no host.
bool SplitZonePattern(const std::wstring& Pattern, std::wstring& Scheme, std::wstring& Host);

// Whether the platform's lookup can match a mapping of Host (lower case): no wildcard, no IPv6
// literal, at most 253 characters in labels of 1 to 63.
bool IsMappableHost(const std::wstring& Host);

// SetZoneMapping over the registry: Flags SZM_CREATE adds the pattern to the zone's site list
// (replacing the mapping the same host and scheme had in another zone, in either key layout) and
// refuses, writing nothing, a host the platform would not match; SZM_DELETE takes it out of that
// zone's list, whether it is kept under the domain's key or under a key named by the whole host,
// and leaves every other site and scheme alone.
HRESULT RegistrySetZoneMapping(DWORD Zone, LPCWSTR Pattern, DWORD Flags);

// SetZoneActionPolicy over the registry: a 4-byte policy stored under the zone's key of the
// current user (URLZONEREG_DEFAULT, URLZONEREG_HKCU) or of the machine (URLZONEREG_HKLM).
HRESULT RegistrySetZoneActionPolicy(DWORD Zone, DWORD Action, const BYTE* Policy, DWORD Size,
                                    URLZONEREG Reg);

// CopyTemplatePoliciesToZone over the registry: every policy of the template written into the
// zone's key of the current user, and the zone's current level set to the template.
HRESULT RegistryCopyTemplatePoliciesToZone(DWORD Template, DWORD Zone);

// True when the zone is one the platform knows (its key exists for the user or the machine).
bool ZoneExists(DWORD Zone);
