// A GUID as the registry and type libraries write it: {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}; empty
// when the platform cannot make it (callers that must not go on without it raise).
#pragma once

#include <windows.h>

#include <string>

std::wstring GuidText(REFGUID Guid);
