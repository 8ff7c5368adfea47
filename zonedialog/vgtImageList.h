// The one 32 x 32 image list of the zone dialog's tool bar: Refresh, Options, Sub-domains and
// Info at indexes 0 to 3, read from the program's bitmaps; a missing bitmap shows NIL32.
#pragma once

#include "classlib/ImgList.h"

enum : int { vgtImageRefresh = 0, vgtImageOptions = 1, vgtImageSubdomains = 2, vgtImageInfo = 3 };

// Made on first use from Instance's resources (the program's own by default) and kept until the
// program ends.
TImageList* VgtToolbarImages();
// Frees the list and makes it again from Instance (or the program): for a module whose
// resources changed, and for tests.
void RebuildVgtToolbarImages(HINSTANCE Instance = nullptr);
