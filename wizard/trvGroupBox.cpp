#include "wizard/trvGroupBox.h"

VGT_PUBLISH(TtrvGroupBox) {}

VGT_UNIT_ANCHOR(trvGroupBox)
