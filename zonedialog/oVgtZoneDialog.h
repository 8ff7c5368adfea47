// The ZoneDialog automation object: a thin adapter that hands every IZoneDialog call to the zone
// dialog window it creates and owns. Every method answers an HRESULT and lets no exception out.
#pragma once

#include <windows.h>

#include "VgtDialog_h.h"
#include "base/KernelHandle.h"
#include "classlib/ComObj.h"

class TfrmVgtDialog;

class TZoneDialog : public TAutoImpl<TAutoObject, IZoneDialog> {
  VGT_CLASS(TZoneDialog, TAutoObject)
 public:
  TZoneDialog() = default;
  ~TZoneDialog() override;

  // The process that started this server through COM, watched by every object made from now on
  // (0: none known, as when the object serves its own process). Set before the message loop.
  static void SetStartingClient(DWORD ProcessId);
  // The process that started this one, when it is still the one that did (its process id is not
  // yet reused); 0 when unknown.
  static DWORD ParentProcessId();

  // Whether the client is gone: the window it gave no longer exists, or the process that started
  // the server or owns that window has ended. This platform's COM never lets go of the references
  // of a client that died, so the object checks for itself.
  bool ClientGone() const;
  // Once ClientGone: closes the dialog and gives up the references the dead client held, so the
  // program ends as at the last release. The object may be gone when this returns.
  void LetGoOfDeadClient();

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
  void Initialize() override;
  void MakeDialog(HWND ParentWnd);
  void WatchWindow(HWND Window);
  void StopWatching();
  static void CALLBACK WatchTick(HWND, UINT, UINT_PTR Timer, DWORD);
  TfrmVgtDialog* FDialog = nullptr;
  HWND FClientWindow = nullptr;
  TKernelHandle FClientProcess;
  TKernelHandle FWindowProcess;
  UINT_PTR FWatchTimer = 0;
};

// The class object of ZoneDialog: single instance (one process per client), made on first use
// and registered with the program's COM server.
TAutoObjectFactory& ZoneDialogFactory();
