// The signal that opens the zone dialog: the toolbar button sets a browser property, and every
// browser observer of the window that sees the property change starts a dialog session.
#pragma once

#include <windows.h>

#include "classlib/System.h"

// The browser property the button sets: the text form of IZoneDialog's interface identifier, so
// no page or other add-on picks it by chance. Observers compare it exactly, case included.
WideString ZoneDialogSignalProperty();
// The value the button gives the property, a 32-bit integer.
inline constexpr LONG ZoneDialogSignalValue = 1;
