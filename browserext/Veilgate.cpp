// The in-process server's entry points, over the module's COM server and the two class
// factories. Nothing may escape them into the browser.
#include <windows.h>

#include "browserext/oVeilgate.h"
#include "classlib/ComServ.h"

BOOL WINAPI DllMain(HINSTANCE Instance, DWORD Reason, LPVOID) {
  if (Reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(Instance);
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
  try {
    CreateVeilgateFactories();
    return ComServer().DllGetClassObject(rclsid, riid, ppv);
  } catch (...) {
    if (ppv) *ppv = nullptr;
    return E_UNEXPECTED;
  }
}

STDAPI DllCanUnloadNow() {
  try {
    CreateVeilgateFactories();
    return ComServer().DllCanUnloadNow();
  } catch (...) {
    return S_FALSE;
  }
}

STDAPI DllRegisterServer() {
  try {
    CreateVeilgateFactories();
    return ComServer().DllRegisterServer();
  } catch (...) {
    return E_FAIL;
  }
}

STDAPI DllUnregisterServer() {
  try {
    CreateVeilgateFactories();
    return ComServer().DllUnregisterServer();
  } catch (...) {
    return E_FAIL;
  }
}
