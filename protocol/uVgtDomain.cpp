#include "protocol/uVgtDomain.h"

PageFeatureFlags TvgtDomain::GetFlags() const {
  PageFeatureFlags flags = 0;
  if (HasFrames) flags |= pfHasFrames;
  if (InFrame) flags |= pfInFrame;
  if (HasScript) flags |= pfHasScript;
  if (HasActiveX) flags |= pfHasActiveX;
  if (HasApplet) flags |= pfHasApplet;
  if (HasCookies) flags |= pfHasCookies;
  if (NoHtml) flags |= pfNoHtml;
  if (HasFontFace) flags |= pfHasFontFace;
  return flags;
}

void TvgtDomain::SetFlags(PageFeatureFlags Flags) {
  HasFrames = (Flags & pfHasFrames) != 0;
  InFrame = (Flags & pfInFrame) != 0;
  HasScript = (Flags & pfHasScript) != 0;
  HasActiveX = (Flags & pfHasActiveX) != 0;
  HasApplet = (Flags & pfHasApplet) != 0;
  HasCookies = (Flags & pfHasCookies) != 0;
  NoHtml = (Flags & pfNoHtml) != 0;
  HasFontFace = (Flags & pfHasFontFace) != 0;
}
