// The page host's browser objects: one browser per window and one per frame, each offering
// IWebBrowser2; the top browser is also the event source (DWebBrowserEvents2 through a connection
// point) and the service provider; the button's site leads to it. Host ties them together and
// navigates, firing the events in the browser's order.
#pragma once

#include <exdisp.h>
#include <ocidl.h>
#include <servprov.h>
#include <shobjidl.h>

#include <memory>
#include <vector>

#include "tools/pagehost/ComBase.h"
#include "tools/pagehost/ComStubs.h"
#include "tools/pagehost/Document.h"
#include "tools/pagehost/SiteMap.h"

namespace pagehost {

class Host;

// The DISPIDs of the browser events the extension handles.
enum : DISPID {
  DispPropertyChange = 112,
  DispBeforeNavigate2 = 250,
  DispNavigateComplete2 = 252,
  DispOnQuit = 253,
  DispDocumentComplete = 259,
  DispNavigateError = 271,
};

class EventPoint final : public ComObject<IConnectionPoint> {
 public:
  explicit EventPoint(IConnectionPointContainer* owner) : FOwner(owner) {}

  bool FailAdvise = false;
  size_t SinkCount() const { return FSinks.size(); }
  // Calls every sink's Invoke with the arguments given in their declared order; COM passes them
  // last first, unnamed. A sink that unadvises (or advises) during the call is allowed.
  void Fire(DISPID id, const std::vector<VARIANT>& declared);
  void Detach() { FOwner = nullptr; }

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* piid) override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

 protected:
  void* Cast(REFIID riid) override;

 private:
  IConnectionPointContainer* FOwner;
  std::vector<std::pair<DWORD, ComPtr<IDispatch>>> FSinks;
  DWORD FNextCookie = 1;
};

class Browser final
    : public ComObject<StubIWebBrowser2, IConnectionPointContainer, IServiceProvider> {
 public:
  Browser(Host* host, Browser* parent);

  Browser* Parent() const { return FParent; }
  const WideString& LocationUrl() const { return FLocationUrl; }
  // What it shows: an HTML document (Html() not nullptr), another object, or nothing.
  Document* Html() const { return FHtml.Get(); }
  IDispatch* Shown() const { return FShown.Get(); }
  const std::vector<ComPtr<Browser>>& Frames() const { return FFrames; }
  // The window of what it shows (the HTML document's window), or nullptr.
  pagehost::Window* DocumentWindow() const { return FHtml ? FHtml->Window() : nullptr; }
  EventPoint* Events() const { return FEvents.Get(); }
  // The properties set with PutProperty, last value kept.
  std::vector<std::pair<WideString, long>> Properties;

  // Faults.
  bool FailLocationUrl = false;
  bool FailDocument = false;  // Document answers a failure
  bool NoDocument = false;    // Document answers nothing
  bool Busy = false;
  bool FailBusy = false;
  bool FailHwnd = false;
  bool FailPutProperty = false;
  bool FailFindConnectionPoint = false;
  bool RefuseEvents = false;           // no IConnectionPointContainer
  bool FailWebBrowserService = false;  // QueryService(SID_SWebBrowserApp) fails
  bool FailTopLevelService = false;    // QueryService(SID_STopLevelBrowser) fails

  // IWebBrowser2 (the rest answer E_NOTIMPL)
  HRESULT STDMETHODCALLTYPE get_HWND(SHANDLE_PTR* pHWND) override;
  HRESULT STDMETHODCALLTYPE get_LocationURL(BSTR* url) override;
  HRESULT STDMETHODCALLTYPE get_Document(IDispatch** disp) override;
  HRESULT STDMETHODCALLTYPE get_Busy(VARIANT_BOOL* busy) override;
  HRESULT STDMETHODCALLTYPE PutProperty(BSTR name, VARIANT value) override;
  // IConnectionPointContainer
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;
  // IServiceProvider
  HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID riid, void** ppv) override;

 protected:
  void* Cast(REFIID riid) override;

 private:
  friend class Host;
  Host* FHost;
  Browser* FParent;
  WideString FLocationUrl;
  ComPtr<IDispatch> FShown;
  ComPtr<Document> FHtml;
  std::vector<ComPtr<Browser>> FFrames;
  ComPtr<EventPoint> FEvents;  // top browser only
};

// The site Internet Explorer hands the toolbar button: IShellBrowser, whose service provider
// leads to the top-level browser.
class ButtonSite final : public ComObject<StubIShellBrowser, IServiceProvider> {
 public:
  explicit ButtonSite(ComPtr<Browser> top) : FTop(std::move(top)) {}

  bool RefuseShellBrowser = false;
  bool RefuseServiceProvider = false;
  bool FailTopLevelService = false;

  HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID riid, void** ppv) override;

 protected:
  void* Cast(REFIID riid) override;

 private:
  ComPtr<Browser> FTop;
};

class Host {
 public:
  explicit Host(std::shared_ptr<SiteMap> sites = std::make_shared<SiteMap>());
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  SiteMap& Sites() { return *FSites; }
  Browser* Top() const { return FTop.Get(); }
  // Every browser of the window: the top one, then the frames depth first in document order.
  std::vector<Browser*> Browsers() const;

  // Loads url into the top browser and its frames into browsers of their own, firing
  // BeforeNavigate2, NavigateComplete2 (NavigateError for what is not there) and, once the frames
  // are done, DocumentComplete for each browser, as the browser does.
  void Navigate(const WideString& url);
  // The same for one frame (and the frames inside it).
  void NavigateFrame(Browser* frame, const WideString& url);
  // Fires OnQuit; the sinks are expected to unadvise.
  void Quit();
  // Fires one event for browser b: BeforeNavigate2, NavigateComplete2, DocumentComplete or
  // NavigateError with url, or any other DISPID with no arguments.
  void FireFor(DISPID id, Browser* b, const WideString& url);

  // The site to hand to a toolbar button.
  ComPtr<ButtonSite> MakeButtonSite() { return Make<ButtonSite>(FTop); }
  // The browser window: a real top-level window, made on first use.
  HWND WindowHandle();

  // Frames nest at most this deep; the frame elements of a document at this depth get no browser,
  // as a guard against pages that frame themselves.
  static constexpr int MaxFrameDepth = 8;

 private:
  void Load(Browser* b, const WideString& url, int depth);
  // Cuts b's frames (and theirs) loose. A frame that is gone may still be held by an observer:
  // like the browser's, it keeps answering, its window reports closed, and it no longer leads to
  // its parent or to this host.
  void DropFrames(Browser* b);

  std::shared_ptr<SiteMap> FSites;
  ComPtr<Browser> FTop;
  HWND FWindow = nullptr;
};

}  // namespace pagehost
