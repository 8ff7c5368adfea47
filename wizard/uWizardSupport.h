// Small helpers every wizard page and the window share: the product name and font styles.
#pragma once

#include "classlib/Controls.h"
#include "classlib/Graphics.h"
#include "common/trvCommonTexts.h"

// Adds Style to the control's font style.
void AddFontStyle(TControl* Control, TFontStyle Style);
