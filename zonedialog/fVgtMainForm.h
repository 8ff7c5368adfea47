// The program's hidden main form: it only gives the application a main form, so that the
// message loop that serves COM calls runs. It is never shown.
#pragma once

#include "classlib/Forms.h"

class TfrmVgtMainForm : public TForm {
  VGT_CLASS(TfrmVgtMainForm, TForm)
 public:
  // Defined with the form's handlers, so a program that makes the form links them.
  explicit TfrmVgtMainForm(TComponent* AOwner);
  // Ending while clients hold objects is asked first.
  void FormCloseQuery(TObject* Sender, bool& CanClose);
};
