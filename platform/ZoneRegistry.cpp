#include "platform/ZoneRegistry.h"

#include <cwctype>
#include <vector>

#include "platform/RegKey.h"
#include "platform/ZoneTemplates.h"

namespace {

const wchar_t DomainsKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\Domains";
const wchar_t ZonesKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones";

std::wstring Lower(std::wstring s) {
  for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(c));
  return s;
}

std::wstring ZoneKeyPath(DWORD Zone) { return std::wstring(ZonesKey) + L"\\" + std::to_wstring(Zone); }

bool IsNumericHost(const std::wstring& Host) {
  if (Host.find(L':') != std::wstring::npos) return true;  // IPv6 literal
  for (wchar_t c : Host)
    if (!(c == L'.' || (c >= L'0' && c <= L'9'))) return false;
  return !Host.empty();
}

std::vector<std::wstring> Labels(const std::wstring& Host) {
  std::vector<std::wstring> labels;
  size_t start = 0;
  for (;;) {
    size_t dot = Host.find(L'.', start);
    labels.push_back(Host.substr(start, dot == std::wstring::npos ? std::wstring::npos : dot - start));
    if (dot == std::wstring::npos) break;
    start = dot + 1;
  }
  return labels;
}

bool KeyIsEmpty(HKEY Key) {
  DWORD subKeys = 0, values = 0;
  if (RegQueryInfoKeyW(Key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                       nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return false;
  return subKeys == 0 && values == 0;
}

// Deletes Parent\Name when it holds neither values nor sub-keys.
void DeleteIfEmpty(HKEY Parent, const std::wstring& Name) {
  bool empty = false;
  {
    TRegKey key;
    if (RegOpenKeyExW(Parent, Name.c_str(), 0, KEY_READ, key.Out()) != ERROR_SUCCESS) return;
    empty = KeyIsEmpty(key.Get());
  }
  if (empty) RegDeleteKeyW(Parent, Name.c_str());
}

HRESULT FromWin32(LONG Error) { return HRESULT_FROM_WIN32(static_cast<DWORD>(Error)); }

}  // namespace

bool ZoneExists(DWORD Zone) {
  const std::wstring path = ZoneKeyPath(Zone);
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    TRegKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.Out()) == ERROR_SUCCESS) return true;
  }
  return false;
}

TZoneMapKey ZoneMapKeyOfHost(const std::wstring& Host) {
  TZoneMapKey result;
  result.Domain = Host;
  if (IsNumericHost(Host)) return result;
  std::vector<std::wstring> labels = Labels(Host);
  if (labels.size() <= 2) return result;
  // The registered domain is the last two labels; a two-letter country code below which the
  // registries hand out two-letter second levels ("co.uk") takes one label more.
  size_t take = 2;
  const size_t n = labels.size();
  if (labels[n - 1].size() == 2 && labels[n - 2].size() == 2) take = 3;
  if (take >= n) return result;
  size_t start = 0;
  for (size_t i = 0; i < n - take; ++i) start += labels[i].size() + 1;
  result.Domain = Host.substr(start);
  result.SubDomain = Host.substr(0, start - 1);
  return result;
}

bool SplitZonePattern(const std::wstring& Pattern, std::wstring& Scheme, std::wstring& Host) {
  std::wstring rest = Pattern;
  size_t sep = rest.find(L"://");
  if (sep != std::wstring::npos) {
    Scheme = Lower(rest.substr(0, sep));
    rest = rest.substr(sep + 3);
    if (Scheme.empty()) return false;
  } else {
    if (rest.find(L':') != std::wstring::npos && rest.find(L'[') == std::wstring::npos) {
      // "about:blank", "mailto:x": a scheme without an authority has no host to map.
      size_t colon = rest.find(L':');
      size_t slash = rest.find_first_of(L"/?#");
      bool isPort = colon + 1 < rest.size() && std::iswdigit(rest[colon + 1]);
      if (!isPort && (slash == std::wstring::npos || colon < slash)) return false;
    }
    Scheme = L"*";
  }
  size_t end = rest.find_first_of(L"/?#\\");
  std::wstring authority = rest.substr(0, end);
  size_t at = authority.rfind(L'@');
  if (at != std::wstring::npos) authority = authority.substr(at + 1);
  if (!authority.empty() && authority[0] == L'[') {
    size_t close = authority.find(L']');
    if (close == std::wstring::npos) return false;
    authority = authority.substr(0, close + 1);
  } else {
    size_t colon = authority.find(L':');
    if (colon != std::wstring::npos) authority = authority.substr(0, colon);
  }
  while (!authority.empty() && authority.back() == L'.') authority.pop_back();
  if (authority.empty()) return false;
  for (wchar_t c : authority)
    if (c <= L' ' || c == L'\\') return false;
  Host = Lower(authority);
  return true;
}

namespace {

bool KeyExists(HKEY Root, const std::wstring& Path) {
  TRegKey key;
  return RegOpenKeyExW(Root, Path.c_str(), 0, KEY_READ, key.Out()) == ERROR_SUCCESS;
}

// Takes the value Scheme out of Domains\KeyPath when it maps into Zone (any zone when AnyZone),
// then drops the keys this leaves empty, up to Domains. ERROR_FILE_NOT_FOUND when the key holds
// no such mapping.
LONG RemoveMappingValue(const std::wstring& KeyPath, const std::wstring& Scheme, DWORD Zone, bool AnyZone) {
  const std::wstring path = std::wstring(DomainsKey) + L"\\" + KeyPath;
  {
    TRegKey key;
    LONG rc = RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE, key.Out());
    if (rc != ERROR_SUCCESS) return rc;
    DWORD type = 0, value = 0, size = sizeof value;
    rc = RegQueryValueExW(key.Get(), Scheme.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (rc != ERROR_SUCCESS) return rc;
    if (!AnyZone && (type != REG_DWORD || size != sizeof value || value != Zone)) return ERROR_FILE_NOT_FOUND;
    rc = RegDeleteValueW(key.Get(), Scheme.c_str());
    if (rc != ERROR_SUCCESS) return rc;
  }
  // Keys left without any mapping would hide a mapping of the whole domain from its sub-domain.
  TRegKey domains;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, DomainsKey, 0, KEY_READ | KEY_WRITE, domains.Out()) != ERROR_SUCCESS)
    return ERROR_SUCCESS;
  const size_t slash = KeyPath.find(L'\\');
  if (slash != std::wstring::npos) {
    TRegKey domainKey;
    if (RegOpenKeyExW(domains.Get(), KeyPath.substr(0, slash).c_str(), 0, KEY_READ | KEY_WRITE, domainKey.Out()) ==
        ERROR_SUCCESS)
      DeleteIfEmpty(domainKey.Get(), KeyPath.substr(slash + 1));
  }
  DeleteIfEmpty(domains.Get(), KeyPath.substr(0, slash));
  return ERROR_SUCCESS;
}

// Writes Scheme = Zone into Domains\Domain[\SubDomain]. A failed write takes back the keys it
// made, so a refused add leaves nothing behind.
LONG WriteMappingValue(const TZoneMapKey& Place, const std::wstring& Scheme, DWORD Zone) {
  const std::wstring domainPath = std::wstring(DomainsKey) + L"\\" + Place.Domain;
  const std::wstring hostPath = Place.SubDomain.empty() ? domainPath : domainPath + L"\\" + Place.SubDomain;
  const bool hadDomain = KeyExists(HKEY_CURRENT_USER, domainPath);
  const bool hadHost = KeyExists(HKEY_CURRENT_USER, hostPath);
  LONG rc;
  {
    TRegKey key;
    rc = RegCreateKeyExW(HKEY_CURRENT_USER, hostPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Out(),
                         nullptr);
    if (rc == ERROR_SUCCESS)
      rc = RegSetValueExW(key.Get(), Scheme.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&Zone), sizeof Zone);
  }
  if (rc != ERROR_SUCCESS) {
    TRegKey domains;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, DomainsKey, 0, KEY_READ | KEY_WRITE, domains.Out()) == ERROR_SUCCESS) {
      if (!hadHost && !Place.SubDomain.empty()) {
        TRegKey domainKey;
        if (RegOpenKeyExW(domains.Get(), Place.Domain.c_str(), 0, KEY_READ | KEY_WRITE, domainKey.Out()) ==
            ERROR_SUCCESS)
          DeleteIfEmpty(domainKey.Get(), Place.SubDomain);
      }
      if (!hadDomain) DeleteIfEmpty(domains.Get(), Place.Domain);
    }
  }
  return rc;
}

}  // namespace

bool IsMappableHost(const std::wstring& Host) {
  // The platform's lookup compares host names label by label: a wildcard, an IPv6 literal or a
  // name no resolver accepts is stored but never matched.
  if (Host.empty() || Host.size() > 253) return false;
  if (Host.find_first_of(L"*[]:") != std::wstring::npos) return false;
  for (const std::wstring& label : Labels(Host))
    if (label.empty() || label.size() > 63) return false;
  return true;
}

HRESULT RegistrySetZoneMapping(DWORD Zone, LPCWSTR Pattern, DWORD Flags) {
  if (!Pattern || (Flags != SZM_CREATE && Flags != SZM_DELETE)) return E_INVALIDARG;
  std::wstring scheme, host;
  if (!SplitZonePattern(Pattern, scheme, host)) return E_INVALIDARG;
  if (!ZoneExists(Zone)) return E_INVALIDARG;
  const TZoneMapKey place = ZoneMapKeyOfHost(host);
  const std::wstring hostKey = place.SubDomain.empty() ? place.Domain : place.Domain + L"\\" + place.SubDomain;
  // Other tools keep a host's mapping under one key named by the whole host.
  const bool hasFlatKey = !place.SubDomain.empty();

  if (Flags == SZM_CREATE) {
    // Only what the platform will then answer may be reported as added.
    if (!IsMappableHost(host)) return E_INVALIDARG;
    const LONG rc = WriteMappingValue(place, scheme, Zone);
    if (rc != ERROR_SUCCESS) return FromWin32(rc);
    // The same site and scheme kept in the flat layout would come back once this one is removed.
    if (hasFlatKey) RemoveMappingValue(host, scheme, Zone, true);
    return S_OK;
  }

  // Removal: only a mapping of this host and scheme into this very zone is taken out, in
  // whichever layout it is kept.
  LONG rc = RemoveMappingValue(hostKey, scheme, Zone, false);
  if (hasFlatKey) {
    const LONG flat = RemoveMappingValue(host, scheme, Zone, false);
    if (flat == ERROR_SUCCESS) rc = ERROR_SUCCESS;
  }
  return rc == ERROR_SUCCESS ? S_OK : FromWin32(rc);
}

HRESULT RegistrySetZoneActionPolicy(DWORD Zone, DWORD Action, const BYTE* Policy, DWORD Size,
                                    URLZONEREG Reg) {
  if (!Policy || Size != sizeof(DWORD)) return E_INVALIDARG;
  HKEY root;
  switch (Reg) {
    case URLZONEREG_DEFAULT:
    case URLZONEREG_HKCU:
      root = HKEY_CURRENT_USER;
      break;
    case URLZONEREG_HKLM:
      root = HKEY_LOCAL_MACHINE;
      break;
    default:
      return E_INVALIDARG;
  }
  if (!ZoneExists(Zone)) return E_INVALIDARG;
  wchar_t name[16];
  wsprintfW(name, L"%X", Action);
  TRegKey key;
  LONG rc = RegCreateKeyExW(root, ZoneKeyPath(Zone).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            key.Out(), nullptr);
  if (rc != ERROR_SUCCESS) return FromWin32(rc);
  rc = RegSetValueExW(key.Get(), name, 0, REG_DWORD, Policy, Size);
  return rc == ERROR_SUCCESS ? S_OK : FromWin32(rc);
}

HRESULT RegistryCopyTemplatePoliciesToZone(DWORD Template, DWORD Zone) {
  size_t count = 0;
  const TZoneTemplatePolicy* policies = ZoneTemplatePolicies(Template, count);
  if (!policies || !ZoneExists(Zone)) return E_INVALIDARG;
  TRegKey key;
  LONG rc = RegCreateKeyExW(HKEY_CURRENT_USER, ZoneKeyPath(Zone).c_str(), 0, nullptr, 0,
                            KEY_SET_VALUE, nullptr, key.Out(), nullptr);
  if (rc != ERROR_SUCCESS) return FromWin32(rc);
  for (size_t i = 0; i < count; ++i) {
    wchar_t name[16];
    wsprintfW(name, L"%X", policies[i].Action);
    rc = RegSetValueExW(key.Get(), name, 0, REG_DWORD,
                        reinterpret_cast<const BYTE*>(&policies[i].Policy), sizeof(DWORD));
    if (rc != ERROR_SUCCESS) return FromWin32(rc);
  }
  rc = RegSetValueExW(key.Get(), L"CurrentLevel", 0, REG_DWORD,
                      reinterpret_cast<const BYTE*>(&Template), sizeof Template);
  return rc == ERROR_SUCCESS ? S_OK : FromWin32(rc);
}
