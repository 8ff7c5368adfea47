#include "zonedialog/fVgtMainForm.h"

#include "classlib/ComServ.h"

void TfrmVgtMainForm::FormCloseQuery(TObject*, bool& CanClose) { CanClose = ComServer().CanEnd(); }

VGT_PUBLISH(TfrmVgtMainForm) { P.Handler(L"FormCloseQuery", &TfrmVgtMainForm::FormCloseQuery); }
