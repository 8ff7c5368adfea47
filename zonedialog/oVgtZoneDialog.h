// The ZoneDialog automation object: a thin adapter that hands every IZoneDialog call to the zone
// dialog window it creates and owns. Every method answers an HRESULT and lets no exception out.
#pragma once

#include "VgtDialog_h.h"
#include "classlib/ComObj.h"

class TfrmVgtDialog;

class TZoneDialog : public TAutoImpl<TAutoObject, IZoneDialog> {
  VGT_CLASS(TZoneDialog, TAutoObject)
 public:
  TZoneDialog() = default;
  ~TZoneDialog() override;

  HRESULT STDMETHODCALLTYPE ShowDialog() override;
  HRESULT STDMETHODCALLTYPE DialogDone(VARIANT_BOOL* retval) override;
  HRESULT STDMETHODCALLTYPE AddDomain(BSTR Domain, BSTR VGTDomain, LONG nScheme, ULONG Flags) override;
  HRESULT STDMETHODCALLTYPE HighlevelDomains(VARIANT_BOOL* retval) override;
  HRESULT STDMETHODCALLTYPE SetParentWindow(ULONG wnd) override;
  HRESULT STDMETHODCALLTYPE RefreshWanted(VARIANT_BOOL* ret) override;

  // The dialog, or nullptr before SetParentWindow or ShowDialog made it.
  TfrmVgtDialog* Dialog() const { return FDialog; }

 protected:
  // Runs first inside every method's failure edge; what it raises reaches the caller as the
  // method's HRESULT.
  virtual void BeginCall() {}

 private:
  void MakeDialog(HWND ParentWnd);
  TfrmVgtDialog* FDialog = nullptr;
};

// The class object of ZoneDialog: single instance (one process per client), made on first use
// and registered with the program's COM server.
TAutoObjectFactory& ZoneDialogFactory();
