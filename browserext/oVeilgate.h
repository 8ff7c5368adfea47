// The extension's two COM classes and the dialog session they lead to.
//
// The toolbar button never talks to the observers directly: pressing it sets the signal property
// on the top-level browser, and the browser reports that change to every observer attached to
// it. The observer that hears it runs the dialog session: it opens a ZoneDialog through COM,
// sends the domains of the window's live browsers and keeps the browser's thread alive, one
// message per pass, until the dialog is closed.
#pragma once

#include <windows.h>
#include <docobj.h>
#include <exdisp.h>
#include <mshtml.h>
#include <ocidl.h>

#include <memory>

#include "VgtDialog_h.h"
#include "classlib/ComObj.h"
#include "classlib/Lists.h"
#include "classlib/SyncObjs.h"
#include "common/trvCommonTexts.h"

// {A9F8F244-3205-44FD-9CE2-A6CA12190355}
inline constexpr CLSID CLSID_vgtToolbutton = {
    0xa9f8f244, 0x3205, 0x44fd, {0x9c, 0xe2, 0xa6, 0xca, 0x12, 0x19, 0x03, 0x55}};
// {0AB3005D-CE10-4921-B186-3CD1C74616C9}
inline constexpr CLSID CLSID_vgtBrowserObserver = {
    0x0ab3005d, 0xce10, 0x4921, {0xb1, 0x86, 0x3c, 0xd1, 0xc7, 0x46, 0x16, 0xc9}};

// The button's title and the caption of its error box.
inline constexpr const auto& VeilgateTitle = ProductName;
// Shown (translated) when the button cannot reach the top-level browser.
inline constexpr wchar_t ButtonErrorText[] =
    L"We're sorry, but an unexpected error occured. Please report this error and your version of "
    L"Microsoft Internet Explorer.";

// One browser of the window, the top one or a frame's.
class TWebBrowserHolder : public TObject {
  VGT_CLASS(TWebBrowserHolder, TObject)
 public:
  // Raises when the browser cannot tell its location: such a browser is never held.
  explicit TWebBrowserHolder(IWebBrowser2* Browser);
  TWebBrowserHolder(const TWebBrowserHolder&) = delete;
  TWebBrowserHolder& operator=(const TWebBrowserHolder&) = delete;

  IWebBrowser2* Browser() const { return FBrowser.Get(); }
  // Busy, or showing an HTML document whose window is open, or showing something that is not
  // HTML. Never raises.
  bool IsAlive() const;
  // The window of the HTML document shown; nullptr when there is none. Raises on a failed call.
  ComPtr<IHTMLWindow2> GetDocumentWindow() const;

 private:
  ComPtr<IWebBrowser2> FBrowser;
};

class TvgtToolbutton : public TComImpl<TComObject, IObjectWithSite, IOleCommandTarget> {
  VGT_CLASS(TvgtToolbutton, TComObject)
 public:
  // IObjectWithSite
  HRESULT STDMETHODCALLTYPE SetSite(IUnknown* pUnkSite) override;
  HRESULT STDMETHODCALLTYPE GetSite(REFIID riid, void** ppvSite) override;
  // IOleCommandTarget
  HRESULT STDMETHODCALLTYPE QueryStatus(const GUID* pguidCmdGroup, ULONG cCmds, OLECMD prgCmds[],
                                        OLECMDTEXT* pCmdText) override;
  HRESULT STDMETHODCALLTYPE Exec(const GUID* pguidCmdGroup, DWORD nCmdID, DWORD nCmdexecopt,
                                 VARIANT* pvaIn, VARIANT* pvaOut) override;

 private:
  ComPtr<IUnknown> FSite;
};

class TvgtBrowserObserver : public TComImpl<TComObject, IDispatch, IObjectWithSite> {
  VGT_CLASS(TvgtBrowserObserver, TComObject)
 public:
  ~TvgtBrowserObserver() override;

  // IObjectWithSite
  HRESULT STDMETHODCALLTYPE SetSite(IUnknown* pUnkSite) override;
  HRESULT STDMETHODCALLTYPE GetSite(REFIID riid, void** ppvSite) override;
  // IDispatch: only Invoke does anything, as the sink of the browser's events.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                          DISPID* rgDispId) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                   DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                   EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

  // The holder of the browser the event names (its first argument), added when missing; nullptr
  // when the event names none or the browser cannot be held. Raises nothing.
  TWebBrowserHolder* RegisterBrowser(const DISPPARAMS& Params);
  // Drops every holder but the first.
  void ResetToTop();
  // Drops the holders of browsers that are no longer alive.
  void PruneBrowsers();
  // The dialog session; returns when the dialog is closed. Raises on failure.
  void ShowZoneDialog();
  // Walks the live browsers and sends their domains to Dialog. Raises on failure.
  void CollectDomains(IZoneDialog* Dialog);

  int HolderCount() const { return FHolders->Count(); }
  TWebBrowserHolder* Holder(int Index) const;
  IUnknown* Site() const { return FSite.Get(); }

 protected:
  void Initialize() override;
  // Also answers as the browser's event interface, which is how the browser asks a sink.
  void* ObjQueryInterface(REFIID riid) override;

 private:
  void PropertyChange(const DISPPARAMS& Params);
  void OnQuit();

  ComPtr<IUnknown> FSite;
  DWORD FCookie = 0;
  std::unique_ptr<TObjectList> FHolders;  // owns the TWebBrowserHolders
  std::unique_ptr<TCriticalSection> FLock;  // guards the removal of holders
};

// The binding to the zone dialog server.
struct CoZoneDialog {
  // A new ZoneDialog (in-process or local server). Raises EOleSysError when COM cannot make it,
  // EIntfCastError when the object is no IZoneDialog.
  static ComPtr<IZoneDialog> Create();
};

// A WM_QUIT taken from the queue by the session's pump, to be posted again once the session
// ends: the browser's thread must still end when it asked to while the dialog was open.
struct TQuitRequest {
  bool Seen = false;
  int ExitCode = 0;
};

// Takes at most one message from the thread's queue and dispatches it; a WM_QUIT is not
// dispatched but written into Quit.
void PumpOneMessage(TQuitRequest& Quit);

// The class factories of both classes, registered with the module's COM server. Made on the
// first call; every entry point of the library calls it.
void CreateVeilgateFactories();
