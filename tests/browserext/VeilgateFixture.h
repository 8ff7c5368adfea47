// The extension's objects over the page host, with a fake ZoneDialog registered in this process
// and the debug log captured: objects come from the library's own factories, so the test can
// look inside the observer it sites.
#pragma once

#include <gtest/gtest.h>

#include "browserext/oVeilgate.h"
#include "browserext/trvBrowserTools.h"
#include "browserext/uVgtCommon.h"
#include "classlib/ComServ.h"
#include "protocol/uVgtSignal.h"
#include "tests/browserext/FakeZoneDialog.h"
#include "tests/browserext/WalkFixture.h"

class VeilgateFixture : public WalkFixture {
 protected:
  void SetUp() override {
    WalkFixture::SetUp();
    CreateVeilgateFactories();
    FObjectsBefore = ComServer().ObjectCount();
    FServer = pagehost::Make<FakeZoneDialogServer>();
    FServer->Register();
    ASSERT_NE(HostOf().WindowHandle(), nullptr) << "no display";
  }
  void TearDown() override {
    FServer->Revoke();
    FServer.Reset();  // with the dialogs it made, before the host counts what is left
    if (FButtonCookie) CoRevokeClassObject(FButtonCookie);
    WalkFixture::TearDown();  // closes the host: every object it sited goes
    EXPECT_EQ(ComServer().ObjectCount(), FObjectsBefore) << "extension objects nobody released";
  }

  FakeZoneDialogServer& Dialogs() { return *FServer.Get(); }

  // An object of one of the library's classes, with one reference.
  static ComPtr<IUnknown> NewObject(const CLSID& clsid) {
    return ComServer().FindFactory(clsid)->CreateComObject();
  }
  static TvgtBrowserObserver* ObserverOf(IUnknown* object) {
    return dynamic_cast<TvgtBrowserObserver*>(static_cast<ISupportErrorInfo*>(object));
  }
  // An observer sited on the window's top browser; the host holds it.
  TvgtBrowserObserver* AddObserver() {
    ComPtr<IUnknown> object = NewObject(CLSID_vgtBrowserObserver);
    EXPECT_EQ(HostOf().SiteObject(object.Get(), static_cast<IWebBrowser2*>(HostOf().Top())), S_OK);
    return ObserverOf(object.Get());
  }
  // The toolbar button, made by the library's factory through COM, as the browser makes it.
  void AddButton() {
    if (!FButtonCookie) {
      ComPtr<IClassFactory> factory;
      ComServer().FindFactory(CLSID_vgtToolbutton)->QueryInterface(IID_PPV_ARGS(&factory));
      CoRegisterClassObject(CLSID_vgtToolbutton, factory.Get(), CLSCTX_INPROC_SERVER,
                            REGCLS_MULTIPLEUSE, &FButtonCookie);
    }
    ASSERT_EQ(HostOf().AddButton(CLSID_vgtToolbutton), S_OK);
  }
  // The signal as the button gives it, straight to the top browser: PutProperty reports it to
  // every observer before it returns.
  void Signal(const WideString& name = ZoneDialogSignalProperty()) {
    BSTR b = SysAllocStringLen(name.data(), static_cast<UINT>(name.size()));
    HostOf().Top()->PutProperty(b, pagehost::IntVariant(1));
    SysFreeString(b);
  }
  void Page(const WideString& url, const AnsiString& html) { HostOf().Sites().AddPage(url, html); }

  // The browsers an observer holds, by their location.
  static std::vector<WideString> HeldLocations(TvgtBrowserObserver* observer) {
    std::vector<WideString> out;
    for (int i = 0; i < observer->HolderCount(); ++i)
      out.push_back(BstrOf([&](BSTR* b) { return observer->Holder(i)->Browser()->get_LocationURL(b); }));
    return out;
  }
  size_t SessionFailures(const AnsiString& exceptionClass = {}) {
    return Logged("TVeilgate.Invoke (PropertyChange)", exceptionClass);
  }

 private:
  ComPtr<FakeZoneDialogServer> FServer;
  DWORD FButtonCookie = 0;
  int FObjectsBefore = 0;
};
