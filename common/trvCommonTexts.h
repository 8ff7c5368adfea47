// The library's common translated texts (text domain "tervana"): the message box's button
// captions and the about box's texts; and the one text that is never translated, the product name.
#pragma once

#include "classlib/System.h"

// The product name as every program, window and box shows it: as it stands, never translated.
inline constexpr wchar_t ProductName[] = L"Veilgate";

// The message box's buttons, in the order they stand from left to right.
enum class TtrvMessageButton { OK, Yes, Retry, Ignore, SaveLater, CreateNew, No, Cancel, Details };

WideString GetButtonCaption(TtrvMessageButton Button);

// The legal notice of the About window: the translation of the empty identifier, which is always
// empty, since a catalog keeps its header under that identifier and the header is never a text.
WideString GetLegalWarningText();
// "About %1" with the product name.
WideString GetAboutCaption(const WideString& ProductName);
WideString GetAboutText();
// "Version %1%2" with the version and its suffix.
WideString GetVersionText(const WideString& Version, const WideString& Suffix);
WideString GetSupportText();
