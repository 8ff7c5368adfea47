#include "wizard/fConfigFeature3.h"

VGT_PUBLISH(TframeConfigFeature3) {}

VGT_UNIT_ANCHOR(fConfigFeature3)
