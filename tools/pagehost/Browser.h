// The page host's browser objects: one browser per window and one per frame, each offering
// IWebBrowser2; the top browser is also the event source (DWebBrowserEvents2 through a connection
// point) and the service provider; the button's site leads to it. Host is the browser window: it
// navigates, presses the button and closes as work posted to its window, run by the window's
// procedure when the thread's queue is pumped, firing the events in the browser's order; and it
// loads the extension's objects from an in-process COM server and gives them their sites.
#pragma once

#include <docobj.h>
#include <exdisp.h>
#include <ocidl.h>
#include <servprov.h>
#include <shobjidl.h>

#include <deque>
#include <functional>
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
  // Releases every sink still connected, as Unadvise does.
  void UnadviseAll();
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
  // Loading: from the start of a navigation to its DocumentComplete. Busy answers true while the
  // browser or any of its frames loads.
  bool Loading() const { return FLoading; }
  bool LoadingHereOrBelow() const;
  EventPoint* Events() const { return FEvents.Get(); }
  // The properties set with PutProperty, last value kept.
  std::vector<std::pair<WideString, long>> Properties;

  // Faults.
  bool FailLocationUrl = false;
  bool FailDocument = false;  // Document answers a failure
  bool NoDocument = false;    // Document answers nothing
  bool Busy = false;  // answers busy whatever it does
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
  // Every navigation of this browser gets the next number; the work of an older one, still
  // queued or running in an event handler's shadow, sees that it was superseded and stops.
  int FGeneration = 0;
  bool FLoading = false;
  int FPendingFrames = 0;       // frames of the current document still loading
  bool FToldParent = false;     // a frame's first load has been counted by its parent
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
  // Closes, if that has not happened yet.
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  SiteMap& Sites() { return *FSites; }
  Browser* Top() const { return FTop.Get(); }
  // Every browser of the window: the top one, then the frames depth first in document order.
  std::vector<Browser*> Browsers() const;

  // ---- work posted to the browser window, run when the thread's queue is pumped

  // Loads url (canonicalised, as the browser shows it) into the top browser; its frames load
  // into browsers of their own, side by side. Fires BeforeNavigate2, NavigateComplete2
  // (NavigateError for what is not there) and, once its frames are done, DocumentComplete for
  // each browser, as the browser does. A navigation started meanwhile (from an event handler,
  // say) supersedes it: its frames go and it fires nothing more.
  void PostNavigate(const WideString& url);
  // The same for one frame (and the frames inside it).
  void PostNavigateFrame(Browser* frame, const WideString& url);
  // Presses the toolbar button: IOleCommandTarget::Exec on the button object.
  void PostPressButton();
  // Closes the browser window (WM_CLOSE); see Close.
  void PostClose();

  // ---- the same, done at once: posted, then the queue pumped until the work is done

  void Navigate(const WideString& url);
  void NavigateFrame(Browser* frame, const WideString& url);
  void PressButton();
  // The browser's close sequence: OnQuit to every sink; SetSite(NULL) on every object the host
  // sited; every sink still connected unadvised; the objects, the frames and the window let go.
  // What WM_CLOSE of the browser window runs. Nothing posted runs afterwards.
  void Close();
  bool Closed() const { return FClosed; }

  // Pumps the thread's queue until done answers true; false when it cannot get there (the
  // window closed, WM_QUIT, or nothing left that could make it true).
  bool PumpUntil(const std::function<bool()>& done);
  // Work waiting to run.
  size_t PendingWork() const { return FWork.size(); }

  // Fires OnQuit alone; the sinks are expected to unadvise.
  void Quit();
  // Fires one event for browser b: BeforeNavigate2, NavigateComplete2, DocumentComplete or
  // NavigateError with url, or any other DISPID with no arguments.
  void FireFor(DISPID id, Browser* b, const WideString& url);

  // ---- the extension's objects, from an in-process COM server

  // An object of class clsid: through CoCreateInstance (as registered) when dll is empty, else
  // through that library's DllGetClassObject. The host keeps the library loaded until it closes.
  HRESULT CreateServerObject(const CLSID& clsid, const WideString& dll, IUnknown** object);
  // IObjectWithSite::SetSite(site) on object; the close sequence sets the site back to NULL.
  HRESULT SiteObject(IUnknown* object, IUnknown* site);
  // A browser observer for this window, sited on the top browser.
  HRESULT AddObserver(const CLSID& clsid, const WideString& dll = {});
  // The toolbar button, sited on a button site (IShellBrowser, whose service provider leads to
  // the top-level browser).
  HRESULT AddButton(const CLSID& clsid, const WideString& dll = {});
  IOleCommandTarget* Button() const { return FButton.Get(); }

  // The site to hand to a toolbar button.
  ComPtr<ButtonSite> MakeButtonSite() { return Make<ButtonSite>(FTop); }
  // The browser window, shown; nullptr once closed (or where no window can be made).
  HWND WindowHandle() const { return FWindow; }

  // Bounds a browser sets on frames, so that pages that frame themselves, or each other, end: a
  // frame element whose page is already shown around it (by its own browser or one it is nested
  // in; the fragment does not count) gets no browser; frames nest at most MaxFrameDepth deep; a
  // window holds at most MaxFramesPerWindow frames, the ones beyond get no browser.
  static constexpr int MaxFrameDepth = 8;
  static constexpr int MaxFramesPerWindow = 1000;
  // The frames the window holds now.
  int FrameCount() const { return FFrameCount; }

 private:
  static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  void Post(std::function<void()> work);
  void RunOneWork();
  // Navigation in steps: the start (BeforeNavigate2 to NavigateComplete2 and the frames set
  // going), and the completion once the frames are done.
  void Begin(Browser* b, const WideString& url, int depth);
  void Complete(Browser* b);
  // Whether b's navigation number gen is still the current one and b still in the window.
  bool Current(Browser* b, int gen) const;
  // Cuts b's frames (and theirs) loose. A frame that is gone may still be held by an observer:
  // like the browser's, it keeps answering, its window reports closed (one that showed no HTML
  // answers no document), and it no longer leads to its parent or to this host.
  void DropFrames(Browser* b);
  static int DepthOf(Browser* b);
  // Whether url is the page b shows or one of the browsers around b shows.
  static bool ShownAround(Browser* b, const WideString& url);
  // Posts, then pumps until b has finished (or dropped) the navigation that the work starts.
  void NavigateAndWait(Browser* b, const WideString& url);

  std::shared_ptr<SiteMap> FSites;
  ComPtr<Browser> FTop;
  HWND FWindow = nullptr;
  bool FClosed = false;
  std::deque<std::function<void()>> FWork;
  std::vector<ComPtr<IObjectWithSite>> FSited;  // in the order they were sited
  ComPtr<IOleCommandTarget> FButton;
  std::vector<HMODULE> FModules;
  int FFrameCount = 0;
};

// A URL as the browser shows it: canonicalised, scheme and host in lower case, an empty path
// given as "/". What cannot be canonicalised stays as it is.
WideString CanonicalUrl(const WideString& url);

}  // namespace pagehost
