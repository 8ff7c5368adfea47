// The test-only in-process server: an untyped object that names its class through IPersist,
// served through the class library's standard entry points.
#include <ocidl.h>

#include <memory>

#include "ComTestInproc.h"
#include "classlib/ComServ.h"

namespace {

class TInprocThing : public TComImpl<TComObject, IPersist> {
  VGT_CLASS(TInprocThing, TComObject)
 public:
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* pClassID) override {
    return SafeCall([&] {
      if (!pClassID) throw EOleSysError("pClassID", E_POINTER);
      *pClassID = CLSID_InprocThing;
    });
  }
};

const std::unique_ptr<TComObjectFactory> Factory(
    new TComObjectFactory(ComServer(), ComObjectCreator<TInprocThing>(), CLSID_InprocThing, L"InprocThing",
                          L"Test In-Process", TClassInstancing::ciMultiInstance, TThreadingModel::tmApartment));

}  // namespace

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
  return ComServer().DllGetClassObject(rclsid, riid, ppv);
}
STDAPI DllCanUnloadNow() { return ComServer().DllCanUnloadNow(); }
STDAPI DllRegisterServer() { return ComServer().DllRegisterServer(); }
STDAPI DllUnregisterServer() { return ComServer().DllUnregisterServer(); }
