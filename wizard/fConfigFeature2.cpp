#include "wizard/fConfigFeature2.h"

VGT_PUBLISH(TframeConfigFeature2) {}

VGT_UNIT_ANCHOR(fConfigFeature2)
