// The headers declare the platform's URL parser (IUri) only for its later versions; it is looked
// up at run time, so the program still starts where the system lacks it.
#undef _WIN32_IE
#define _WIN32_IE 0x0700
#include "platform/ZoneRegistry.h"

#include <cwctype>
#include <vector>

#include <wrl/client.h>

#include "base/ComValues.h"
#include "base/RegKey.h"
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

bool IsHiddenControlCharacter(wchar_t C) {
  if (C < 0x20 || (C >= 0x7F && C <= 0x9F)) return true;
  switch (C) {
    case 0x00AD:  // soft hyphen
    case 0x034F:  // combining grapheme joiner
    case 0x061C:  // Arabic letter mark
    case 0x115F:
    case 0x1160:  // Hangul fillers
    case 0x17B4:
    case 0x17B5:
    case 0x180E:  // Mongolian vowel separator
    case 0x3164:  // Hangul filler
    case 0xFEFF:  // byte-order mark, zero-width no-break space
    case 0xFFA0:
      return true;
    default:
      break;
  }
  return (C >= 0x200B && C <= 0x200F) ||  // zero-width space, joiners, directional marks
         (C >= 0x2028 && C <= 0x202E) ||  // line and paragraph separators, embeddings, overrides
         (C >= 0xFE00 && C <= 0xFE0F) ||  // variation selectors
         (C >= 0x2060 && C <= 0x206F) ||  // word joiner, invisible operators, isolates
         (C >= 0xFFF9 && C <= 0xFFFB);    // interlinear annotation
}

bool HasHiddenControlCharacter(const std::wstring& Text) {
  for (wchar_t c : Text)
    if (IsHiddenControlCharacter(c)) return true;
  return false;
}

TZoneMapKey ZoneMapKeyOfHost(const std::wstring& Host) {
  TZoneMapKey result;
  result.Domain = Host;
  // The platform compares a name that ends in a dot with a key of that very name only.
  if (IsNumericHost(Host) || (!Host.empty() && Host.back() == L'.')) return result;
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
  if (authority.empty() || authority == L".") return false;
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

bool PlatformHostOf(const std::wstring& Scheme, const std::wstring& Host, std::wstring& Result) {
  using TCreateUri = HRESULT(WINAPI*)(LPCWSTR, DWORD, DWORD_PTR, IUri**);
  // Older systems' urlmon has no parser of its own; the name then stands as written.
  static const TCreateUri createUri = [] {
    HMODULE urlmon = GetModuleHandleW(L"urlmon.dll");
    if (!urlmon) urlmon = LoadLibraryW(L"urlmon.dll");
    return urlmon ? reinterpret_cast<TCreateUri>(reinterpret_cast<void*>(GetProcAddress(urlmon, "CreateUri")))
                  : nullptr;
  }();
  if (!createUri) {
    Result = Lower(Host);
    return true;
  }
  const std::wstring url = (Scheme == L"*" ? std::wstring(L"http") : Scheme) + L"://" + Host + L"/";
  Microsoft::WRL::ComPtr<IUri> uri;
  if (FAILED(createUri(url.c_str(), 0, 0, &uri)) || !uri) return false;
  TBstr host;
  if (FAILED(uri->GetHost(host.Out())) || !host.Get()) return false;
  Result = Lower(host.Text());
  return true;
}

bool IsMappableHost(const std::wstring& Host) {
  // The platform's lookup compares host names label by label: a wildcard, an IPv6 literal or a
  // name no resolver accepts is stored but never matched.
  if (Host.empty() || Host.size() > 254) return false;
  if (Host.find_first_of(L"*[]:") != std::wstring::npos || HasHiddenControlCharacter(Host)) return false;
  const std::wstring name = Host.back() == L'.' ? Host.substr(0, Host.size() - 1) : Host;
  if (name.empty() || name.size() > 253) return false;
  for (const std::wstring& label : Labels(name))
    if (label.empty() || label.size() > 63) return false;
  return true;
}

namespace {

// The values of one key below Domains as they were, to be put back when an add is not kept.
class TKeyState {
 public:
  explicit TKeyState(const std::wstring& KeyPath) : FPath(std::wstring(DomainsKey) + L"\\" + KeyPath) {
    TRegKey key;
    FExisted = RegOpenKeyExW(HKEY_CURRENT_USER, FPath.c_str(), 0, KEY_READ, key.Out()) == ERROR_SUCCESS;
    if (FExisted) FValues = ReadValues(key.Get());
  }

  void Restore() const {
    if (!FExisted) {
      RegDeleteKeyW(HKEY_CURRENT_USER, FPath.c_str());
      return;
    }
    TRegKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, FPath.c_str(), 0, nullptr, 0, KEY_READ | KEY_SET_VALUE, nullptr,
                        key.Out(), nullptr) != ERROR_SUCCESS)
      return;
    for (const TValue& now : ReadValues(key.Get())) RegDeleteValueW(key.Get(), now.Name.c_str());
    for (const TValue& v : FValues)
      RegSetValueExW(key.Get(), v.Name.c_str(), 0, v.Type, v.Data.empty() ? nullptr : v.Data.data(),
                     static_cast<DWORD>(v.Data.size()));
  }

 private:
  struct TValue {
    std::wstring Name;
    DWORD Type;
    std::vector<BYTE> Data;
  };
  static std::vector<TValue> ReadValues(HKEY Key) {
    std::vector<TValue> values;
    for (DWORD i = 0;; ++i) {
      wchar_t name[16384];
      DWORD nameLength = 16384, type = 0, size = 0;
      if (RegEnumValueW(Key, i, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
      TValue v{std::wstring(name, nameLength), type, std::vector<BYTE>(size)};
      if (RegQueryValueExW(Key, v.Name.c_str(), nullptr, &v.Type, v.Data.empty() ? nullptr : v.Data.data(),
                           &size) == ERROR_SUCCESS) {
        v.Data.resize(size);
        values.push_back(std::move(v));
      }
    }
    return values;
  }
  std::wstring FPath;
  bool FExisted = false;
  std::vector<TValue> FValues;
};

// Whether Reader answers Zone for Url; a failed lookup answers no.
bool Answers(IInternetSecurityManager* Reader, const std::wstring& Url, DWORD Zone) {
  DWORD zone = URLZONE_INVALID;
  return SUCCEEDED(Reader->MapUrlToZone(Url.c_str(), &zone, 0)) && zone == Zone;
}

bool ReadMappingValue(const std::wstring& KeyPath, const std::wstring& Name, DWORD& Zone) {
  TRegKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, (std::wstring(DomainsKey) + L"\\" + KeyPath).c_str(), 0, KEY_QUERY_VALUE,
                    key.Out()) != ERROR_SUCCESS)
    return false;
  DWORD type = 0, size = sizeof Zone;
  return RegQueryValueExW(key.Get(), Name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&Zone), &size) ==
             ERROR_SUCCESS &&
         type == REG_DWORD && size == sizeof Zone;
}

// Whether the platform now reads the value just written at Place for Url. When it already
// answered Zone before, its answer proves nothing: the value is set to another zone for a moment.
bool PlatformReadsMapping(IInternetSecurityManager* Reader, const std::wstring& Url, const TZoneMapKey& Place,
                          const std::wstring& Scheme, DWORD Zone, bool AnsweredBefore) {
  if (!Answers(Reader, Url, Zone)) return false;
  if (!AnsweredBefore) return true;
  const DWORD other = Zone == URLZONE_UNTRUSTED ? URLZONE_INTERNET : URLZONE_UNTRUSTED;
  if (WriteMappingValue(Place, Scheme, other) != ERROR_SUCCESS) return false;
  const bool read = Answers(Reader, Url, other);
  return WriteMappingValue(Place, Scheme, Zone) == ERROR_SUCCESS && read && Answers(Reader, Url, Zone);
}

HRESULT CreateMapping(DWORD Zone, const std::wstring& Scheme, const std::wstring& Host,
                      IInternetSecurityManager* Reader) {
  const TZoneMapKey place = ZoneMapKeyOfHost(Host);
  const std::wstring hostKey = place.SubDomain.empty() ? place.Domain : place.Domain + L"\\" + place.SubDomain;
  // Other tools keep a host's mapping under one key named by the whole host.
  const bool hasFlatKey = !place.SubDomain.empty();
  const TKeyState domainBefore(place.Domain), hostBefore(hostKey), flatBefore(Host);
  auto putBack = [&] {
    if (hasFlatKey) flatBefore.Restore();
    hostBefore.Restore();
    domainBefore.Restore();
  };
  const std::wstring url = (Scheme == L"*" ? std::wstring(L"http") : Scheme) + L"://" + Host + L"/";
  const bool answeredBefore = Reader && Answers(Reader, url, Zone);

  const LONG rc = WriteMappingValue(place, Scheme, Zone);
  if (rc != ERROR_SUCCESS) return FromWin32(rc);
  // The same site and scheme kept in the flat layout would come back once this one is removed.
  if (hasFlatKey) RemoveMappingValue(Host, Scheme, Zone, true);
  if (!Reader || PlatformReadsMapping(Reader, url, place, Scheme, Zone, answeredBefore)) return S_OK;

  // A whole-host mapping under the flat key may be read before this one. It moves into the
  // host's own key, where a scheme's own value comes first and the other schemes keep its zone.
  DWORD wholeHost = 0;
  if (hasFlatKey && Scheme != L"*" && ReadMappingValue(Host, L"*", wholeHost)) {
    DWORD own = 0;
    if (ReadMappingValue(hostKey, L"*", own) || WriteMappingValue(place, L"*", wholeHost) == ERROR_SUCCESS) {
      RemoveMappingValue(Host, L"*", 0, true);
      if (PlatformReadsMapping(Reader, url, place, Scheme, Zone, answeredBefore)) return S_OK;
    }
  }
  putBack();
  return FromWin32(ERROR_NOT_SUPPORTED);
}

}  // namespace

HRESULT RegistrySetZoneMapping(DWORD Zone, LPCWSTR Pattern, DWORD Flags, IInternetSecurityManager* Reader) {
  if (!Pattern || (Flags != SZM_CREATE && Flags != SZM_DELETE)) return E_INVALIDARG;
  // A name that reads as another one is never written, nor looked for.
  if (HasHiddenControlCharacter(Pattern)) return E_INVALIDARG;
  std::wstring scheme, written, host;
  if (!SplitZonePattern(Pattern, scheme, written)) return E_INVALIDARG;
  if (!ZoneExists(Zone)) return E_INVALIDARG;
  // The mapping is kept under the name the platform's lookup compares, not the one written.
  if (written.find(L'*') != std::wstring::npos || written[0] == L'[') host = written;
  else if (!PlatformHostOf(scheme, written, host)) return E_INVALIDARG;

  if (Flags == SZM_CREATE) {
    // Only what the platform will then answer may be reported as added.
    if (!IsMappableHost(host)) return E_INVALIDARG;
    return CreateMapping(Zone, scheme, host, Reader);
  }

  const TZoneMapKey place = ZoneMapKeyOfHost(host);
  const std::wstring hostKey = place.SubDomain.empty() ? place.Domain : place.Domain + L"\\" + place.SubDomain;
  const bool hasFlatKey = !place.SubDomain.empty();

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
