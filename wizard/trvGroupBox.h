// The group box that the maker's forms place: the Unicode group box under a class of its own.
#pragma once

#include "wizard/UtxGroupBox.h"

class TtrvGroupBox : public TUtxGroupBox {
  VGT_CLASS(TtrvGroupBox, TUtxGroupBox)
 public:
  using TUtxGroupBox::TUtxGroupBox;
};
