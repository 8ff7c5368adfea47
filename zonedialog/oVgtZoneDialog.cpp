#include "zonedialog/oVgtZoneDialog.h"

#include "classlib/ComServ.h"
#include "classlib/Forms.h"
#include "zonedialog/fVgtDialog.h"

namespace {

// A BSTR as text; a NULL BSTR is the empty text, as automation defines it.
WideString BStrText(BSTR Value) { return Value ? WideString(Value, SysStringLen(Value)) : WideString(); }

VARIANT_BOOL VariantBool(bool Value) { return Value ? VARIANT_TRUE : VARIANT_FALSE; }

}  // namespace

TZoneDialog::~TZoneDialog() {
  if (!FDialog) return;
  TfrmVgtDialog* dialog = FDialog;
  FDialog = nullptr;
  // The dialog stores the sub-domain choice as it goes; the object goes whether or not that
  // write succeeds.
  try {
    dialog->FreeWhenIdle();
  } catch (...) {
  }
}

void TZoneDialog::MakeDialog(HWND ParentWnd) {
  if (!FDialog) FDialog = TfrmVgtDialog::CreateZoneDialog(Application, ParentWnd);
}

HRESULT TZoneDialog::SetParentWindow(ULONG wnd) {
  return SafeCall([&] {
    BeginCall(); MakeDialog(reinterpret_cast<HWND>(static_cast<UINT_PTR>(wnd))); });
}

HRESULT TZoneDialog::ShowDialog() {
  return SafeCall([&] {
    BeginCall();
    MakeDialog(nullptr);
    if (!FDialog->Visible()) FDialog->Show();
    FDialog->ShowRows();
  });
}

HRESULT TZoneDialog::DialogDone(VARIANT_BOOL* retval) {
  if (!retval) return E_POINTER;
  *retval = VARIANT_TRUE;
  return SafeCall([&] {
    BeginCall(); *retval = VariantBool(!FDialog || !FDialog->Visible()); });
}

HRESULT TZoneDialog::AddDomain(BSTR Domain, BSTR VGTDomain, LONG nScheme, ULONG Flags) {
  return SafeCall([&] {
    BeginCall();
    if (FDialog) FDialog->AddRow(BStrText(Domain), BStrText(VGTDomain), nScheme, Flags);
  });
}

HRESULT TZoneDialog::HighlevelDomains(VARIANT_BOOL* retval) {
  if (!retval) return E_POINTER;
  *retval = VARIANT_FALSE;
  return SafeCall([&] {
    BeginCall(); *retval = VariantBool(FDialog && FDialog->Highlevel()); });
}

HRESULT TZoneDialog::RefreshWanted(VARIANT_BOOL* ret) {
  if (!ret) return E_POINTER;
  *ret = VARIANT_FALSE;
  return SafeCall([&] {
    BeginCall(); *ret = VariantBool(FDialog && FDialog->TakeRefreshWanted()); });
}

TAutoObjectFactory& ZoneDialogFactory() {
  static TAutoObjectFactory factory(ComServer(), ComObjectCreator<TZoneDialog>(), CLSID_ZoneDialog, L"ZoneDialog",
                                    L"ZoneDialog Objekt", TClassInstancing::ciSingleInstance,
                                    TThreadingModel::tmSingle);
  return factory;
}
