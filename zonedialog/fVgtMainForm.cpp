#include "zonedialog/fVgtMainForm.h"

#include "classlib/ComServ.h"

TfrmVgtMainForm::TfrmVgtMainForm(TComponent* AOwner) : TForm(AOwner) {}

void TfrmVgtMainForm::FormCloseQuery(TObject*, bool& CanClose) { CanClose = ComServer().CanEnd(); }

VGT_PUBLISH(TfrmVgtMainForm) { P.Handler(L"FormCloseQuery", &TfrmVgtMainForm::FormCloseQuery); }
