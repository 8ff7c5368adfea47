// The maker's small routines that only the browser extension links: the wide message box, the
// text form of a GUID, COM identity, the exception logger every handler of the extension calls,
// and the ASCII upper-casing the page walk compares tag names with.
#pragma once

#include <windows.h>

#include <cstddef>

#include "classlib/SysUtils.h"
#include "classlib/System.h"

// An interface reference that does not give what it was cast to.
VGT_EXCEPTION(EIntfCastError, Exception);

// MessageBoxW on the Unicode platform, else MessageBoxA with both texts narrowed. The button
// pressed, or 0 when the box could not be shown; never raises.
int WideMessageBox(HWND Wnd, const WideString& Text, const WideString& Caption, UINT Type);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with upper-case digits; raises ETRVException
// "GUIDToWideString: should not happen" when the platform cannot make it.
WideString GUIDToWideString(const GUID& Guid);

// Whether two references (either may be nullptr) denote the same COM object, compared by their
// IUnknown. A reference that refuses IUnknown raises EIntfCastError.
bool SameComObject(IUnknown* A, IUnknown* B);

// The debug log at level 1.
void DebugLogText(const WideString& Text);
// One log line: Context, ": ", the class name, " - \"", the message, "\"". Raises nothing.
void LogException(const WideString& Context, const Exception& E);
// For a failure that is not one of ours (the run-time library's own): logged as Exception with
// what it says of itself.
void LogException(const WideString& Context, const std::exception& E);

// Text with a-z turned into A-Z and every other character kept, up to the first NUL; what
// follows an embedded NUL stays as it is.
WideString UpperCaseAscii(const WideString& Text);
// Whether UpperCaseAscii of the Length characters at Text equals Upper exactly, without making
// the copy. Upper is NUL-terminated and holds no lower-case ASCII letter.
bool UpperCaseAsciiEquals(const wchar_t* Text, size_t Length, const wchar_t* Upper);
// In place, up to the terminating NUL.
void UpperCaseAsciiZ(wchar_t* Text);
// In place, Count characters; nothing outside them is touched.
void UpperCaseAsciiBuf(wchar_t* Text, size_t Count);
