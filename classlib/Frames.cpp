#include "classlib/Frames.h"

#include <vector>

#include "classlib/Filer.h"
#include "classlib/ResStrings.h"

TCustomFrame::TCustomFrame(TComponent* AOwner) : TScrollingWinControl(AOwner) {
  FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks |
                  csParentBackground;
  FWidth = 320;
  FHeight = 240;
  FColor = clBtnFace;
  FBrush->SetColor(FColor);
}

void TCustomFrame::CreateParams(TCreateParams& Params) {
  TScrollingWinControl::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN;
}

void TCustomFrame::ReadFrameDescriptions() {
  std::vector<TClass> chain;
  for (TClass c = ClassType(); c && c != TFrame::StaticClass() && c != TCustomFrame::StaticClass(); c = c->Parent)
    chain.push_back(c);
  if (chain.empty()) return;
  bool any = false;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    if (ReadComponentResource(this, (*it)->Name)) any = true;
  if (!any) throw EResNotFound(FmtResStringA(SResNotFound, {WideString(ClassName())}));
}

VGT_PUBLISH(TCustomFrame) {}

VGT_PUBLISH(TFrame) {}

VGT_UNIT_ANCHOR(Frames)
