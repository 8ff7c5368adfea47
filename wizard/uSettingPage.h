// What the two setting pages share: their fixed texts, the action's texts and the mark of the
// recommended choice.
#pragma once

#include <cstdint>

#include "classlib/Controls.h"
#include "classlib/Classes.h"

// Group box captions, the explanation under the groups (repainted) and the bold action caption.
void SetSettingPageTexts(TComponent* Page);
// lblAction := the action's caption, lblExplain := its help text, both translated.
void SetSettingPageAction(TComponent* Page, uint32_t UrlAction);
// Bold and underlined.
void MarkRecommendedButton(TControl* Button);
