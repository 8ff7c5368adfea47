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

// Characters that change how text around them is drawn or that draw nothing at all: C0 and C1
// controls, bidirectional embeddings, overrides, isolates and marks, line and paragraph
// separators, zero-width characters, variation selectors, the soft hyphen and the byte-order
// mark. Such a character in a host name lets the name look like
// another one; a zone mapping refuses it.
bool IsHiddenControlCharacter(wchar_t C);
bool HasHiddenControlCharacter(const std::wstring& Text);

// Where a host's mapping lives: the key of its domain and, for a longer host name, the sub-key
// of the labels in front of it ("www.example.com": "example.com" and "www"). An IP address, a
// single-label name, a bare domain and a name ending in a dot have no sub-key.
struct TZoneMapKey {
  std::wstring Domain;
  std::wstring SubDomain;
};
TZoneMapKey ZoneMapKeyOfHost(const std::wstring& Host);

// Splits a mapping pattern ("https://www.example.com", "www.example.com", "*.example.com") into
// the value name (the scheme in lower case, "*" when the pattern names none) and the host in
// lower case, a final dot kept. Port, user name and path are dropped. False when the pattern
// holds no host.
bool SplitZonePattern(const std::wstring& Pattern, std::wstring& Scheme, std::wstring& Host);

// The host of Scheme://Host as the platform's own URL parser reads it where the system has one
// (%-escapes decoded, a short IPv4 form written out, lower case): the name its zone lookup
// compares. Without that parser, Host itself. False when the parser refuses the URL.
bool PlatformHostOf(const std::wstring& Scheme, const std::wstring& Host, std::wstring& Result);

// Whether the platform's lookup can match a mapping of Host (lower case): no wildcard, no IPv6
// literal, no hidden control character, at most 253 characters in labels of 1 to 63 (one final
// dot allowed).
bool IsMappableHost(const std::wstring& Host);

// SetZoneMapping over the registry, for the host the platform reads for the pattern.
// Flags SZM_CREATE adds the pattern to the zone's site list (replacing the mapping the same host
// and scheme had in another zone, in either key layout) and refuses, writing nothing, a host the
// platform would not match. Given Reader (the platform's own manager), an add is kept only when
// Reader's MapUrlToZone then answers Zone for the pattern's URL: a whole-host mapping of the same
// host that would override it is moved out of the way (into the host's own key, so the host's
// other schemes keep their zone), and when the answer still differs everything is put back and
// the add fails with ERROR_NOT_SUPPORTED. SZM_DELETE takes the pattern out of that zone's list,
// whether it is kept under the domain's key or under a key named by the whole host, and leaves
// every other site and scheme alone.
HRESULT RegistrySetZoneMapping(DWORD Zone, LPCWSTR Pattern, DWORD Flags,
                               IInternetSecurityManager* Reader = nullptr);

// SetZoneActionPolicy over the registry: a 4-byte policy stored under the zone's key of the
// current user (URLZONEREG_DEFAULT, URLZONEREG_HKCU) or of the machine (URLZONEREG_HKLM).
HRESULT RegistrySetZoneActionPolicy(DWORD Zone, DWORD Action, const BYTE* Policy, DWORD Size,
                                    URLZONEREG Reg);

// CopyTemplatePoliciesToZone over the registry: every policy of the template written into the
// zone's key of the current user, and the zone's current level set to the template.
HRESULT RegistryCopyTemplatePoliciesToZone(DWORD Template, DWORD Zone);

// True when the zone is one the platform knows (its key exists for the user or the machine).
bool ZoneExists(DWORD Zone);
