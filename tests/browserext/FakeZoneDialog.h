// A ZoneDialog that stands in for the dialog program inside the test process: registered as the
// class object of CLSID_ZoneDialog, so the session's CoCreateInstance finds it (in-process or
// local server context). Each object writes down the calls it gets and answers as the test says.
#pragma once

#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "VgtDialog_h.h"
#include "tools/pagehost/ComBase.h"

class FakeZoneDialog final : public pagehost::ComObject<IZoneDialog> {
 public:
  struct Row {
    std::wstring Domain, VGTDomain;
    long Scheme;
    unsigned long Flags;
    bool operator==(const Row&) const = default;
  };

  // Every call in order: "SetParentWindow", "HighlevelDomains", "AddDomain <domain>",
  // "ShowDialog", "RefreshWanted", "DialogDone".
  std::vector<std::wstring> Calls;
  std::vector<Row> Added;  // every AddDomain, refreshes included
  HWND Parent = nullptr;
  int Polls = 0;  // DialogDone calls so far

  // What it answers.
  bool Highlevel = false;
  int DoneAtPoll = 1;            // DialogDone answers true from this poll on (0: never by itself)
  std::function<bool()> DoneWhen;  // when set, asked instead of DoneAtPoll
  std::set<int> RefreshBeforePoll;  // RefreshWanted answers true just before these polls
  std::wstring FailIn;           // the method that answers FailWith
  HRESULT FailWith = E_FAIL;
  // Runs inside DialogDone, with the poll's number, before it answers.
  std::function<void(int)> OnPoll;
  // Runs inside ShowDialog.
  std::function<void()> OnShow;

  HRESULT STDMETHODCALLTYPE ShowDialog() override {
    Calls.push_back(L"ShowDialog");
    if (FailIn == L"ShowDialog") return FailWith;
    // As the dialog does: the browser window is disabled while it shows.
    if (Parent) EnableWindow(Parent, FALSE);
    if (OnShow) OnShow();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DialogDone(VARIANT_BOOL* done) override {
    Calls.push_back(L"DialogDone");
    if (FailIn == L"DialogDone") return FailWith;
    ++Polls;
    if (OnPoll) OnPoll(Polls);
    bool finished = DoneWhen ? DoneWhen() : (DoneAtPoll > 0 && Polls >= DoneAtPoll);
    if (finished && Parent) EnableWindow(Parent, TRUE);
    *done = finished ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE AddDomain(BSTR domain, BSTR vgtDomain, LONG scheme,
                                      ULONG flags) override {
    std::wstring d = domain ? std::wstring(domain, SysStringLen(domain)) : L"";
    Calls.push_back(L"AddDomain " + d);
    if (FailIn == L"AddDomain") return FailWith;
    Added.push_back({d, vgtDomain ? std::wstring(vgtDomain, SysStringLen(vgtDomain)) : L"",
                     scheme, flags});
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE HighlevelDomains(VARIANT_BOOL* highlevel) override {
    Calls.push_back(L"HighlevelDomains");
    if (FailIn == L"HighlevelDomains") return FailWith;
    *highlevel = Highlevel ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetParentWindow(ULONG wnd) override {
    Calls.push_back(L"SetParentWindow");
    if (FailIn == L"SetParentWindow") return FailWith;
    Parent = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(wnd));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE RefreshWanted(VARIANT_BOOL* wanted) override {
    Calls.push_back(L"RefreshWanted");
    if (FailIn == L"RefreshWanted") return FailWith;
    *wanted = RefreshBeforePoll.count(Polls + 1) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }

  // Whether it offers IZoneDialog at all (an object of another class registered in its place).
  bool RefuseInterface = false;

 protected:
  void* Cast(REFIID riid) override {
    if (riid == IID_IUnknown) return static_cast<IZoneDialog*>(this);
    if (RefuseInterface) return nullptr;
    if (riid == IID_IDispatch || riid == IID_IZoneDialog) return static_cast<IZoneDialog*>(this);
    return nullptr;
  }
};

// The class object: makes FakeZoneDialogs, lets the test set each up as it is made, and keeps
// them for the test to read. Registered for the life of the object.
class FakeZoneDialogServer final : public pagehost::ComObject<IClassFactory> {
 public:
  std::vector<Microsoft::WRL::ComPtr<FakeZoneDialog>> Made;
  std::function<void(FakeZoneDialog&)> SetUpEach;

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    auto dialog = pagehost::Make<FakeZoneDialog>();
    if (SetUpEach) SetUpEach(*dialog.Get());
    Made.push_back(dialog);
    return dialog->QueryInterface(riid, ppv);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

  void Register() {
    CoRegisterClassObject(CLSID_ZoneDialog, static_cast<IClassFactory*>(this),
                          CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &FCookie);
  }
  void Revoke() {
    if (FCookie) CoRevokeClassObject(FCookie);
    FCookie = 0;
  }
  // The dialog made by the n-th session (0 first).
  FakeZoneDialog& Dialog(size_t n = 0) { return *(Made.at(n).Get()); }

 protected:
  void* Cast(REFIID riid) override {
    return riid == IID_IUnknown || riid == IID_IClassFactory ? static_cast<IClassFactory*>(this)
                                                            : nullptr;
  }

 private:
  DWORD FCookie = 0;
};
