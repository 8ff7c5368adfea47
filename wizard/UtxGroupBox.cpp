#include "wizard/UtxGroupBox.h"

#include "unicode/UtxWindows.h"

void TUtxCustomGroupBox::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_DIALOGCHAR) {
    WideDialogChar(Message);
    return;
  }
  TUtxControlBase::Dispatch(Message);
}

void TUtxCustomGroupBox::WideDialogChar(TMessage& Message) {
  if (IsWideAccelChar(LOWORD(Message.WParam), GetWideControlText(this)) && CanFocus()) {
    SelectFirst();
    Message.Result = 1;
    return;
  }
  // Not the box's own accelerator: its children may have it.
  TCustomControl::Dispatch(Message);
}

void TUtxCustomGroupBox::Paint() {
  if (!UnicodePlatform()) {
    TCustomGroupBox::Paint();
    return;
  }
  Canvas()->Font()->Assign(Font());
  Canvas()->RequiredState(csHandleValid | csFontValid | csBrushValid);
  // The class library paints the frame and the caption; here the caption is the wide one.
  PaintBox(GetWideControlText(this));
}

VGT_PUBLISH(TUtxCustomGroupBox) { PublishWideHint(P); }

VGT_PUBLISH(TUtxGroupBox) { PublishWideText(P); }

VGT_UNIT_ANCHOR(UtxGroupBox)
