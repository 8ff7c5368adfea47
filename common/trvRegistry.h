// Single registry values addressed by one path string ("HKEY_CURRENT_USER\Software\...").
// Every call opens the key, does one thing and closes it. Reads never fail: a missing key or
// value, or one of the wrong type, gives the caller's default. Writes create the key when needed
// and raise ETRVException with a fixed English message when they fail. An unknown root name
// raises from every call.
#pragma once

#include <windows.h>

#include <cstdint>

#include "classlib/System.h"

// The product's key, shared by the zone dialog and the wizard.
inline const WideString ProductRegistryKey = L"HKEY_CURRENT_USER\\Software\\Tervana\\Veilgate";
// REG_SZ: the gettext language code the user chose; empty or missing follows the system.
inline const WideString ProductLanguageValue = L"lang";
// REG_DWORD: 1 lists only registered domains, 0 or missing whole host names.
inline const WideString ProductHighlevelValue = L"highlevel";

// Splits a path into its predefined root key and the subkey after the first "\" (empty when
// there is none). The root name is matched without regard to case: "HKCU", "HKEY_CURRENT_USER",
// "HKLM", "HKEY_LOCAL_MACHINE", "HKEY_CLASSES_ROOT", "HKEY_DYN_DATA", "HKEY_USERS",
// "HKEY_CURRENT_CONFIG". Anything else raises "Unknown Root Registry Key: <ROOT>".
void ParseRegistryPath(const WideString& Path, HKEY& Root, WideString& SubKey);

// A REG_DWORD of exactly 4 bytes, else Default.
uint32_t ReadRegistryDWord(const WideString& Path, const WideString& Name, uint32_t Default);
// ReadRegistryDWord not 0.
bool ReadRegistryBoolean(const WideString& Path, const WideString& Name, bool Default);
// Any text type (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) without its stored terminator, and its
// type; otherwise Default and type REG_NONE. A value stored without a terminator keeps all its
// characters.
void ReadRegistryText(const WideString& Path, const WideString& Name, const WideString& Default,
                      WideString& Value, DWORD& ValueType);
// ReadRegistryText, but Default unless the value is REG_SZ.
WideString ReadRegistryString(const WideString& Path, const WideString& Name, const WideString& Default);

void WriteRegistryDWord(const WideString& Path, const WideString& Name, uint32_t Value);
void WriteRegistryBoolean(const WideString& Path, const WideString& Name, bool Value);
// Stores Value with its terminating NUL (2 x length + 2 bytes) as ValueType.
void WriteRegistryText(const WideString& Path, const WideString& Name, const WideString& Value, DWORD ValueType);
void WriteRegistryString(const WideString& Path, const WideString& Name, const WideString& Value);
