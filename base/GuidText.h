// A GUID as the registry and type libraries write it: {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.
#pragma once

#include <windows.h>

#include <string>

std::wstring GuidText(REFGUID Guid);
