// The registry keys of COM registration. Classes and type libraries belong under
// HKEY_CLASSES_ROOT; where a key cannot be written there (a user without the machine's rights),
// it goes to the user's own classes, HKEY_CURRENT_USER\Software\Classes, which the platform
// reads as well.
#pragma once

#include <windows.h>

#include "classlib/System.h"

// Creates Key (a path below the classes root) with the text value ValueName ("" for the default
// value). Raises EOleRegistrationError when neither place takes it.
void CreateRegKey(const WideString& Key, const WideString& ValueName, const WideString& Value);

// Deletes Key (which must have no sub-keys left) from both places; failures are ignored, since
// a key may exist in either or neither.
void DeleteRegKey(const WideString& Key);
