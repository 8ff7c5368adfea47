// The platform's URL security manager and zone manager, completed where the platform leaves an
// operation unimplemented. Every call goes to the platform's own manager first; only when that
// answers E_NOTIMPL for SetZoneMapping, SetZoneActionPolicy or CopyTemplatePoliciesToZone is the
// operation carried out over the registry layout that the platform's own reads use, so that its
// MapUrlToZone and GetZoneActionPolicy see the change; an added mapping is kept only when the
// platform's own MapUrlToZone then answers its zone.
#pragma once

#include <windows.h>
#include <urlmon.h>

// Wraps a manager of the platform. The wrapper holds its own reference to Inner; the result
// carries one reference for the caller. Inner must not be null.
IInternetSecurityManager* CompleteSecurityManager(IInternetSecurityManager* Inner);
IInternetZoneManager* CompleteZoneManager(IInternetZoneManager* Inner);

// CoInternetCreateSecurityManager / CoInternetCreateZoneManager with the result completed.
HRESULT CreateCompletedSecurityManager(IServiceProvider* Provider,
                                       IInternetSecurityManager** Manager, DWORD Reserved);
HRESULT CreateCompletedZoneManager(IServiceProvider* Provider, IInternetZoneManager** Manager,
                                   DWORD Reserved);
