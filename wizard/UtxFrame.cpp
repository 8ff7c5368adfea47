#include "wizard/UtxFrame.h"

#include "classlib/SysUtils.h"
#include "unicode/UtxWindows.h"

TComponent* FindPageComponent(TComponent* Root, const wchar_t* Name, TClass Class) {
  TComponent* c = Root->FindComponent(Name);
  if (!c || !c->InheritsFrom(Class))
    throw EComponentError(NarrowText(WideString(Root->ClassName()) + L": " + Name + L" (" +
                                     WideString(Class->Name) + L") fehlt"));
  return c;
}

VGT_PUBLISH(TUtxCustomFrame) { PublishWideHint(P); }

VGT_PUBLISH(TUtxFrame) {}

VGT_UNIT_ANCHOR(UtxFrame)
