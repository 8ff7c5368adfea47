#include "ZoneDialogTestSupport.h"

#include "base/ComValues.h"

#include <wrl/client.h>

#include "classlib/ComServ.h"
#include "common/trvGenericForms.h"
#include "common/trvRegistry.h"
#include "zonedialog/oVgtZoneDialog.h"

using Microsoft::WRL::ComPtr;

ComPtr<IZoneDialog> NewZoneDialog() {
  ComServer().Prepare();
  ComPtr<IUnknown> unknown = ZoneDialogFactory().CreateComObject();
  ComPtr<IZoneDialog> object;
  if (unknown) unknown.As(&object);
  return object;
}

TfrmVgtDialog* DialogOf(IZoneDialog* Object) {
  return Object ? static_cast<TZoneDialog*>(Object)->Dialog() : nullptr;
}

HRESULT AddDomain(IZoneDialog* Object, const WideString& Domain, const WideString& Url, LONG Scheme, ULONG Flags) {
  const TBstr domain(Domain), url(Url);
  return Object->AddDomain(domain.Get(), url.Get(), Scheme, Flags);
}

DWORD PlatformZoneOf(const WideString& Url) {
  ComPtr<IInternetSecurityManager> manager;
  if (FAILED(CoInternetCreateSecurityManager(nullptr, &manager, 0))) return 99;
  DWORD zone = 99;
  if (FAILED(manager->MapUrlToZone(Url.c_str(), &zone, 0))) return 98;
  return zone;
}

void RemoveFromAllZones(const WideString& Url) {
  ComPtr<IInternetSecurityManager> manager = CreateSecurityManager();
  for (DWORD zone = 0; zone <= 4; ++zone) RemoveZoneMapping(manager.Get(), zone, Url);
}

void MapIntoZone(const WideString& Url, DWORD Zone) {
  ComPtr<IInternetSecurityManager> manager = CreateSecurityManager();
  OleCheck(AddZoneMapping(manager.Get(), Zone, Url));
}

DWORD TrustedZoneFlags() {
  ComPtr<IInternetZoneManager> manager = CreateZoneManager();
  ZONEATTRIBUTES a{};
  ReadZoneAttributes(manager.Get(), URLZONE_TRUSTED, a);
  return a.dwFlags;
}

void SetTrustedZoneFlags(DWORD Flags) {
  ComPtr<IInternetZoneManager> manager = CreateZoneManager();
  ZONEATTRIBUTES a{};
  ReadZoneAttributes(manager.Get(), URLZONE_TRUSTED, a);
  a.cbSize = sizeof a;
  a.dwFlags = Flags;
  manager->SetZoneAttributes(URLZONE_TRUSTED, &a);
}

TKeptSettings::TKeptSettings() : FTrustedFlags(TrustedZoneFlags()) {
  WideString text;
  DWORD type = REG_NONE;
  ReadRegistryText(ProductRegistryKey, ProductLanguageValue, L"", text, type);
  if (type == REG_SZ) FLang = text;
  const uint32_t missing = 0xDEADBEEF;
  const uint32_t high = ReadRegistryDWord(ProductRegistryKey, ProductHighlevelValue, missing);
  if (high != missing) FHighlevel = high;
}

TKeptSettings::~TKeptSettings() {
  SetTrustedZoneFlags(FTrustedFlags);
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Tervana\\Veilgate", 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
    if (!FLang) RegDeleteValueW(key, L"lang");
    if (!FHighlevel) RegDeleteValueW(key, L"highlevel");
    RegCloseKey(key);
  }
  if (FLang) WriteRegistryString(ProductRegistryKey, ProductLanguageValue, *FLang);
  if (FHighlevel) WriteRegistryDWord(ProductRegistryKey, ProductHighlevelValue, *FHighlevel);
}

TModalAnswer::TModalAnswer(std::function<bool(TCustomForm*)> Answer) : FAnswer(std::move(Answer)) {
  Application->OnIdle = [this](TObject*, bool& Done) {
    Done = true;
    for (int i = 0; i < Screen->FormCount(); ++i) {
      TCustomForm* form = Screen->Forms(i);
      if (form->Visible() && FAnswer(form)) {
        ++FAnswered;
        // The answer set the form's modal result, and the loop now waits for a message before it
        // looks at it: one must come (without it the loop was seen to wait for good under load).
        PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
        return;
      }
    }
  };
}

TModalAnswer::~TModalAnswer() { Application->OnIdle = nullptr; }

TBoxReader::TBoxReader(TModalResult Answer)
    : FAnswer([this, Answer](TCustomForm* Form) {
        auto* box = dynamic_cast<TfrmMessageBox*>(Form);
        if (!box) return false;
        FBoxes.push_back({GetWideControlText(box), GetWideControlText(box->TextLabel())});
        box->SetModalResult(Answer);
        return true;
      }) {}

TOwnerWindow::TOwnerWindow() {
  FHandle = CreateWindowExW(0, L"STATIC", L"Browser stand-in", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

TOwnerWindow::~TOwnerWindow() {
  if (FHandle) DestroyWindow(FHandle);
}
