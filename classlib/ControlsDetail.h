// What the files of the Controls unit share and nobody else sees: the control that holds the
// mouse on behalf of a graphic control, and the module the library's window classes belong to;
// and, towards the Forms unit, how an owning form hears of its controls' action links.
#pragma once

#include <windows.h>

class TControl;

namespace controls_detail {

extern TControl* CaptureControl;

bool IsGraphic(const TControl* c);

// Control has gained (Linked) or lost its action link: its owner, when that is a form, keeps it
// among the controls its idle update visits, or lets it go (Forms.cpp).
void ActionClientChanged(TControl* Control, bool Linked);

}  // namespace controls_detail
