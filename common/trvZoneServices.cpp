#include "common/trvZoneServices.h"

#include <cstdio>
#include <utility>

#include "platform/CompletedZoneManagers.h"

using Microsoft::WRL::ComPtr;

namespace {


TSecurityManagerFactory& SecurityFactory() {
  static TSecurityManagerFactory factory = [](IInternetSecurityManager** m) {
    return CreateCompletedSecurityManager(nullptr, m, 0);
  };
  return factory;
}

TZoneManagerFactory& ZoneFactory() {
  static TZoneManagerFactory factory = [](IInternetZoneManager** m) {
    return CreateCompletedZoneManager(nullptr, m, 0);
  };
  return factory;
}

}  // namespace

TZoneManagerFactoryOverride::TZoneManagerFactoryOverride(TSecurityManagerFactory Security,
                                                         TZoneManagerFactory Zone)
    : FSavedSecurity(SecurityFactory()), FSavedZone(ZoneFactory()) {
  if (Security) SecurityFactory() = std::move(Security);
  if (Zone) ZoneFactory() = std::move(Zone);
}

TZoneManagerFactoryOverride::~TZoneManagerFactoryOverride() {
  SecurityFactory() = std::move(FSavedSecurity);
  ZoneFactory() = std::move(FSavedZone);
}

namespace {

// A factory's manager, or its failure; a success without a manager counts as a failure too.
template <class TManager, class TFactory>
HRESULT TryCreate(const TFactory& Factory, ComPtr<TManager>& Manager) {
  Manager.Reset();
  TManager* raw = nullptr;
  HRESULT hr = Factory(&raw);
  if (SUCCEEDED(hr) && !raw) hr = E_FAIL;
  if (FAILED(hr)) {
    if (raw) raw->Release();
    return hr;
  }
  Manager.Attach(raw);
  return hr;
}

}  // namespace

HRESULT TryCreateSecurityManager(ComPtr<IInternetSecurityManager>& Manager) {
  return TryCreate(SecurityFactory(), Manager);
}

HRESULT TryCreateZoneManager(ComPtr<IInternetZoneManager>& Manager) {
  return TryCreate(ZoneFactory(), Manager);
}

ComPtr<IInternetSecurityManager> CreateSecurityManager() {
  ComPtr<IInternetSecurityManager> manager;
  OleCheck(TryCreateSecurityManager(manager));
  return manager;
}

ComPtr<IInternetZoneManager> CreateZoneManager() {
  ComPtr<IInternetZoneManager> manager;
  OleCheck(TryCreateZoneManager(manager));
  return manager;
}

DWORD MapUrlToZone(IInternetSecurityManager* Manager, const WideString& Url) {
  DWORD zone = URLZONE_INTERNET;
  OleCheck(Manager->MapUrlToZone(Url.c_str(), &zone, 0));
  return zone;
}

DWORD GetUrlZoneOrInternet(const WideString& Url) {
  ComPtr<IInternetSecurityManager> manager;
  if (FAILED(TryCreateSecurityManager(manager))) return URLZONE_INTERNET;
  DWORD zone = URLZONE_INTERNET;
  if (FAILED(manager->MapUrlToZone(Url.c_str(), &zone, 0))) return URLZONE_INTERNET;
  return zone;
}

HRESULT AddZoneMapping(IInternetSecurityManager* Manager, DWORD Zone, const WideString& Pattern) {
  return Manager->SetZoneMapping(Zone, Pattern.c_str(), SZM_CREATE);
}

HRESULT RemoveZoneMapping(IInternetSecurityManager* Manager, DWORD Zone, const WideString& Pattern) {
  return Manager->SetZoneMapping(Zone, Pattern.c_str(), SZM_DELETE);
}

bool ReadZoneAttributes(IInternetZoneManager* Manager, DWORD Zone, ZONEATTRIBUTES& Attributes) {
  ZeroMemory(&Attributes, sizeof Attributes);
  Attributes.cbSize = sizeof Attributes;
  if (SUCCEEDED(Manager->GetZoneAttributes(Zone, &Attributes))) return true;
  ZeroMemory(&Attributes, sizeof Attributes);
  Attributes.cbSize = sizeof Attributes;
  return false;
}

bool ZoneHasFlag(IInternetZoneManager* Manager, DWORD Zone, DWORD Flag) {
  ZONEATTRIBUTES attributes;
  if (!ReadZoneAttributes(Manager, Zone, attributes)) return false;
  return (attributes.dwFlags & Flag) != 0;
}

HRESULT ClearZoneFlag(IInternetZoneManager* Manager, DWORD Zone, DWORD Flag) {
  ZONEATTRIBUTES attributes;
  ZeroMemory(&attributes, sizeof attributes);
  attributes.cbSize = sizeof attributes;
  HRESULT hr = Manager->GetZoneAttributes(Zone, &attributes);
  if (FAILED(hr)) return hr;
  // A manager may answer success and write nothing: writing that empty record back would wipe
  // the zone's names, templates and flags. Only a record that shows the bit is written.
  if ((attributes.dwFlags & Flag) == 0) return S_FALSE;
  attributes.cbSize = sizeof attributes;
  attributes.dwFlags &= ~Flag;
  return Manager->SetZoneAttributes(Zone, &attributes);
}

DWORD ZoneRecommendedTemplate(IInternetZoneManager* Manager, DWORD Zone) {
  ZONEATTRIBUTES attributes;
  ZeroMemory(&attributes, sizeof attributes);
  attributes.cbSize = sizeof attributes;
  OleCheck(Manager->GetZoneAttributes(Zone, &attributes));
  // Every template level is at least URLTEMPLATE_LOW: a zero means the manager wrote nothing,
  // and copying "template 0" into the zone must not be attempted.
  if (attributes.dwTemplateRecommended == 0) throw EOleSysError(E_FAIL);
  return attributes.dwTemplateRecommended;
}

void ReloadZoneTemplate(IInternetZoneManager* Manager, DWORD Zone) {
  DWORD level = ZoneRecommendedTemplate(Manager, Zone);
  OleCheck(Manager->CopyTemplatePoliciesToZone(level, Zone, 0));
}

bool ReadZonePolicy(IInternetZoneManager* Manager, DWORD Zone, DWORD Action, DWORD& Policy) {
  DWORD value = 0;
  if (FAILED(Manager->GetZoneActionPolicy(Zone, Action, reinterpret_cast<BYTE*>(&value),
                                          sizeof value, URLZONEREG_DEFAULT)))
    return false;
  Policy = value;
  return true;
}

void WriteZonePolicy(IInternetZoneManager* Manager, DWORD Zone, DWORD Action, DWORD Policy) {
  OleCheck(Manager->SetZoneActionPolicy(Zone, Action, reinterpret_cast<BYTE*>(&Policy),
                                        sizeof Policy, URLZONEREG_DEFAULT));
}
