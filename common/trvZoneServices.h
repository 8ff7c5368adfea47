// The one place through which the zone dialog and the wizard reach the system's URL security
// manager and zone manager: creation of the managers (with a seam through which tests hand in
// managers of their own), the zone of a URL, zone mappings, zone attributes and URL-action
// policies. Managers made here are the platform's own, completed where the platform leaves a
// write unimplemented (platform/CompletedZoneManagers.h).
#pragma once

#include <windows.h>
#include <urlmon.h>
#include <wrl/client.h>

#include <functional>

#include "classlib/ComObj.h"
#include "classlib/SysUtils.h"

// Failures raise the class library's EOleSysError (classlib/ComObj.h), through its OleCheck.

using TSecurityManagerFactory = std::function<HRESULT(IInternetSecurityManager** Manager)>;
using TZoneManagerFactory = std::function<HRESULT(IInternetZoneManager** Manager)>;

// Test seam: while an object of this class lives, managers are made by the given factories
// (an empty factory keeps the current one). Nests; restores the previous factories when freed.
class TZoneManagerFactoryOverride {
 public:
  TZoneManagerFactoryOverride(TSecurityManagerFactory Security, TZoneManagerFactory Zone);
  ~TZoneManagerFactoryOverride();
  TZoneManagerFactoryOverride(const TZoneManagerFactoryOverride&) = delete;
  TZoneManagerFactoryOverride& operator=(const TZoneManagerFactoryOverride&) = delete;

 private:
  TSecurityManagerFactory FSavedSecurity;
  TZoneManagerFactory FSavedZone;
};

// CoInternetCreateSecurityManager / CoInternetCreateZoneManager (no service provider, reserved
// 0). The Try forms answer the HRESULT and leave Manager empty on failure; the others raise
// EOleSysError.
HRESULT TryCreateSecurityManager(Microsoft::WRL::ComPtr<IInternetSecurityManager>& Manager);
HRESULT TryCreateZoneManager(Microsoft::WRL::ComPtr<IInternetZoneManager>& Manager);
Microsoft::WRL::ComPtr<IInternetSecurityManager> CreateSecurityManager();
Microsoft::WRL::ComPtr<IInternetZoneManager> CreateZoneManager();

// The zone the system assigns to Url now (MapUrlToZone, flags 0); raises EOleSysError.
DWORD MapUrlToZone(IInternetSecurityManager* Manager, const WideString& Url);
// The same with a manager of its own; URLZONE_INTERNET (3) when no manager can be made or the
// call fails.
DWORD GetUrlZoneOrInternet(const WideString& Url);

// SetZoneMapping(Zone, Pattern, SZM_CREATE or SZM_DELETE); answers the HRESULT.
HRESULT AddZoneMapping(IInternetSecurityManager* Manager, DWORD Zone, const WideString& Pattern);
HRESULT RemoveZoneMapping(IInternetSecurityManager* Manager, DWORD Zone, const WideString& Pattern);

// Reads a zone's attributes into a record that is zeroed, with its size set, before the call:
// some managers answer success and write nothing, which must read as "no flag set", never as
// whatever the caller's memory held. False (and the record zeroed) when the read fails.
bool ReadZoneAttributes(IInternetZoneManager* Manager, DWORD Zone, ZONEATTRIBUTES& Attributes);
// Whether the zone's dwFlags has the bit; a failed read counts as "not set".
bool ZoneHasFlag(IInternetZoneManager* Manager, DWORD Zone, DWORD Flag);
// Clears the bit in the zone's flags and writes the attributes back (re-read first, so the other
// fields stay as the manager holds them). Answers the HRESULT of the write, or of a failed read;
// S_FALSE, writing nothing, when the re-read does not show the bit.
HRESULT ClearZoneFlag(IInternetZoneManager* Manager, DWORD Zone, DWORD Flag);
// The zone's dwTemplateRecommended; raises EOleSysError when the attributes cannot be read or
// the read leaves no template.
DWORD ZoneRecommendedTemplate(IInternetZoneManager* Manager, DWORD Zone);
// Resets every policy of the zone to its recommended template (GetZoneAttributes, then
// CopyTemplatePoliciesToZone); raises EOleSysError on either failure.
void ReloadZoneTemplate(IInternetZoneManager* Manager, DWORD Zone);

// GetZoneActionPolicy / SetZoneActionPolicy with a 4-byte policy and URLZONEREG_DEFAULT.
// ReadZonePolicy answers false on failure; WriteZonePolicy raises EOleSysError.
bool ReadZonePolicy(IInternetZoneManager* Manager, DWORD Zone, DWORD Action, DWORD& Policy);
void WriteZonePolicy(IInternetZoneManager* Manager, DWORD Zone, DWORD Action, DWORD Policy);
