// The Unicode group box of the wizard's setting pages: a Unicode window, its wide caption painted
// by the box itself (there is no platform window class that would draw it), the accelerator of the
// wide caption and a wide hint. Off the Unicode platform it is the class library's group box.
#pragma once

#include "classlib/StdCtrls.h"
#include "unicode/UtxControlBase.h"

class TUtxCustomGroupBox : public TUtxControlBase<TCustomGroupBox> {
  VGT_CLASS(TUtxCustomGroupBox, TCustomGroupBox)
 public:
  using TUtxControlBase::TUtxControlBase;
  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;

 private:
  // Alt and the wide caption's accelerator focus the first child that can take the focus.
  void WideDialogChar(TMessage& Message);
};

class TUtxGroupBox : public TUtxCustomGroupBox {
  VGT_CLASS(TUtxGroupBox, TUtxCustomGroupBox)
 public:
  using TUtxCustomGroupBox::TUtxCustomGroupBox;
};
