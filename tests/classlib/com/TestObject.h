// The automation object of the test-only server: small methods whose results and failures the
// tests check, in the server's own process and across processes.
#pragma once

#include "ComTestServer_h.h"
#include "classlib/ComObj.h"

class TTestObject : public TAutoImpl<TAutoObject, ITestObject> {
  VGT_CLASS(TTestObject, TAutoObject)
 public:
  HRESULT STDMETHODCALLTYPE ProcessId(LONG* pid) override;
  HRESULT STDMETHODCALLTYPE Add(LONG a, LONG b, LONG* sum) override;
  HRESULT STDMETHODCALLTYPE Echo(BSTR text, BSTR* copy) override;
  HRESULT STDMETHODCALLTYPE Fail(BSTR message) override;
  HRESULT STDMETHODCALLTYPE FailWithCode(LONG code) override;
  HRESULT STDMETHODCALLTYPE FailOddly() override;
};

// The class's factory, registered with Server (single instance: one process per client).
TComObjectFactory* MakeTestObjectFactory(TComServer& Server);
