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
#include <wrl/client.h>

#include <cwchar>

#include "VgtDialog_h.h"
#include "base/ComValues.h"
#include "tests/support/ComTestSupport.h"

using Microsoft::WRL::ComPtr;

namespace {

HRESULT Invoke(IDispatch* Object, DISPID Id, std::vector<VARIANT> Args) {
  TVariant result;
  return InvokeMethod(Object, Id, std::move(Args), result.Out(), nullptr, LOCALE_USER_DEFAULT);
}

HRESULT DriveLate(IZoneDialog* Object, HWND Window) {
  ComPtr<IDispatch> dispatch;
  HRESULT hr = Object->QueryInterface(IID_PPV_ARGS(&dispatch));
  if (FAILED(hr)) return hr;
  hr = Invoke(dispatch.Get(), 201, {IntArg(static_cast<LONG>(reinterpret_cast<INT_PTR>(Window)))});
  const TBstr domain(L"late.vgt-zd-client.example"), url(L"http://late.vgt-zd-client.example");
  if (SUCCEEDED(hr))
    hr = Invoke(dispatch.Get(), 204, {StringArg(domain.Get()), StringArg(url.Get()), IntArg(3), IntArg(0)});
  if (SUCCEEDED(hr)) hr = Invoke(dispatch.Get(), 202, {});
  return hr;
}

HRESULT DriveEarly(IZoneDialog* Object, HWND Window) {
  HRESULT hr = Object->SetParentWindow(static_cast<ULONG>(reinterpret_cast<UINT_PTR>(Window)));
  const TBstr domain(L"early.vgt-zd-client.example"), url(L"http://early.vgt-zd-client.example");
  if (SUCCEEDED(hr)) hr = Object->AddDomain(domain.Get(), url.Get(), 3, 0);
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
  ComPtr<IZoneDialog> object;
  if (FAILED(CoCreateInstance(CLSID_ZoneDialog, nullptr, CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(&object)))) return 3;
  if (FAILED(late ? DriveLate(object.Get(), own) : DriveEarly(object.Get(), own))) return 4;
  HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[3]);
  if (ready) SetEvent(ready);
  // A client that merely waits; only being killed ends it.
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
