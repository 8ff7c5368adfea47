// The one conversion each way between 8-bit text in a code page and UTF-16; every other
// narrowing and widening in the code (the Unicode layer's, in the conversion code page; the
// class library's, in the ANSI page) is this one with its page chosen.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// Bytes in CodePage as UTF-16. Bytes the code page does not define become the system's
// replacement; empty for empty input.
std::wstring CodePageToWide(std::string_view Bytes, UINT CodePage);

// UTF-16 as bytes in CodePage, flags 0 and no default character given: characters the code page
// lacks become its own default character.
std::string WideToCodePage(std::wstring_view Text, UINT CodePage);
