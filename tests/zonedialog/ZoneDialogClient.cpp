// A client of ZoneDialog in a process of its own, for the tests of what the server does when its
// client dies: it activates the object, binds early (through the vtable) or late (by DISPID
// through IDispatch), hands over a window of its own or none, adds a domain and shows the dialog,
// then sets the named event and waits in its message loop until it is killed.
//
//   ZoneDialogClient.exe early|late window|nowindow <event name>
//
// Exit codes: 2 bad arguments, 3 activation failed, 4 a call failed.
#include <windows.h>
#include <oleauto.h>

#include <cwchar>

#include "VgtDialog_h.h"

namespace {

HRESULT Invoke(IDispatch* Object, DISPID Id, VARIANT* Args, UINT Count) {
  DISPPARAMS params{Args, nullptr, Count, 0};
  VARIANT result;
  VariantInit(&result);
  const HRESULT hr =
      Object->Invoke(Id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr, nullptr);
  VariantClear(&result);
  return hr;
}

HRESULT DriveLate(IZoneDialog* Object, HWND Window) {
  IDispatch* dispatch = nullptr;
  HRESULT hr = Object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
  if (FAILED(hr)) return hr;
  VARIANT wnd;
  wnd.vt = VT_I4;
  wnd.lVal = static_cast<LONG>(reinterpret_cast<INT_PTR>(Window));
  hr = Invoke(dispatch, 201, &wnd, 1);
  // Arguments travel last first.
  VARIANT add[4];
  add[3].vt = VT_BSTR;
  add[3].bstrVal = SysAllocString(L"late.vgt-zd-client.example");
  add[2].vt = VT_BSTR;
  add[2].bstrVal = SysAllocString(L"http://late.vgt-zd-client.example");
  add[1].vt = VT_I4;
  add[1].lVal = 3;
  add[0].vt = VT_I4;
  add[0].lVal = 0;
  if (SUCCEEDED(hr)) hr = Invoke(dispatch, 204, add, 4);
  SysFreeString(add[3].bstrVal);
  SysFreeString(add[2].bstrVal);
  if (SUCCEEDED(hr)) hr = Invoke(dispatch, 202, nullptr, 0);
  dispatch->Release();
  return hr;
}

HRESULT DriveEarly(IZoneDialog* Object, HWND Window) {
  HRESULT hr = Object->SetParentWindow(static_cast<ULONG>(reinterpret_cast<UINT_PTR>(Window)));
  BSTR domain = SysAllocString(L"early.vgt-zd-client.example");
  BSTR url = SysAllocString(L"http://early.vgt-zd-client.example");
  if (SUCCEEDED(hr)) hr = Object->AddDomain(domain, url, 3, 0);
  SysFreeString(domain);
  SysFreeString(url);
  if (SUCCEEDED(hr)) hr = Object->ShowDialog();
  return hr;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return 2;
  const bool late = std::wcscmp(argv[1], L"late") == 0;
  const bool window = std::wcscmp(argv[2], L"window") == 0;
  if (FAILED(CoInitialize(nullptr))) return 3;
  HWND own = window ? CreateWindowExW(0, L"STATIC", L"Client window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 300,
                                      200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr)
                    : nullptr;
  IZoneDialog* object = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ZoneDialog, nullptr, CLSCTX_LOCAL_SERVER, IID_IZoneDialog,
                              reinterpret_cast<void**>(&object))))
    return 3;
  if (FAILED(late ? DriveLate(object, own) : DriveEarly(object, own))) return 4;
  HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[3]);
  if (ready) SetEvent(ready);
  // A client that merely waits; only being killed ends it.
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  object->Release();
  return 0;
}
