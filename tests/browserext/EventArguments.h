// What the leading arguments of a browser event carry, read the same way by every test sink:
// the browser concerned (the first argument, when it is an object) and the text (the URL or a
// property's name: the first argument when it is a string, else the second when it is a
// string passed by reference).
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

struct EventSubject {
  IDispatch* Who = nullptr;
  std::wstring Text;
};

inline EventSubject ReadEventSubject(const DISPPARAMS& Params) {
  EventSubject s;
  if (Params.cArgs > 0) {
    const VARIANT& first = Params.rgvarg[Params.cArgs - 1];
    if (first.vt == VT_DISPATCH) s.Who = first.pdispVal;
    if (first.vt == VT_BSTR) s.Text = first.bstrVal;
  }
  if (Params.cArgs > 1) {
    const VARIANT& second = Params.rgvarg[Params.cArgs - 2];
    if (second.vt == (VT_VARIANT | VT_BYREF) && second.pvarVal->vt == VT_BSTR) s.Text = second.pvarVal->bstrVal;
  }
  return s;
}
