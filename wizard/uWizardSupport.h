// Small helpers every wizard page and the window share: the product name, fonts, the
// application's title.
#pragma once

#include "classlib/Controls.h"
#include "classlib/Graphics.h"

// The product name: shown as it stands, never translated.
inline const wchar_t* const ProductName = L"Veilgate";

// The font's name := the platform's dialog font name.
void UseDialogFont(TFont* Font);
// Adds Style to the control's font style.
void AddFontStyle(TControl* Control, TFontStyle Style);
// The application's title (8-bit) and, on the Unicode platform, the wide title of its window, so
// that the task-bar button shows it.
void SetApplicationTitleWide(const WideString& Title);
