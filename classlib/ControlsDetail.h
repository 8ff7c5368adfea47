// What the files of the Controls unit share and nobody else sees: the control that holds the
// mouse on behalf of a graphic control, and the module the library's window classes belong to.
#pragma once

#include <windows.h>

class TControl;

namespace controls_detail {

extern TControl* CaptureControl;

bool IsGraphic(const TControl* c);

}  // namespace controls_detail
