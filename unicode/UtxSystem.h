// The layer's text codecs and run-time services: the wide command line, wide resource strings,
// UTF-8 and UTF-7, conversions through any code page, locale and keyboard code pages.
#pragma once

#include <windows.h>

#include "classlib/System.h"

// The ANSI code page of a locale (its LOCALE_IDEFAULTANSICODEPAGE entry); the system's ANSI code
// page when the entry cannot be read as a number.
UINT LocaleAnsiCodePage(LCID Locale);
