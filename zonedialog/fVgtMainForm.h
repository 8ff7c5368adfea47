// The program's hidden main form: it only gives the application a main form, so that the
// message loop that serves COM calls runs. It is never shown.
#pragma once

#include "classlib/Forms.h"

class TfrmVgtMainForm : public TForm {
  VGT_CLASS(TfrmVgtMainForm, TForm)
 public:
  explicit TfrmVgtMainForm(TComponent* AOwner) : TForm(AOwner) {}
  // Ending while clients hold objects is asked first.
  void FormCloseQuery(TObject* Sender, bool& CanClose);
};
