#include "wizard/UtxFrame.h"

#include "unicode/UtxWindows.h"

VGT_PUBLISH(TUtxCustomFrame) { PublishWideHint(P); }

VGT_PUBLISH(TUtxFrame) {}

VGT_UNIT_ANCHOR(UtxFrame)
