#include "unicode/UtxForms.h"

#include <memory>

#include "base/Scope.h"
#include "unicode/UtxClasses.h"
#include "unicode/UtxSysUtils.h"
#include "unicode/UtxSystem.h"
#include "unicode/UtxWindows.h"

TUtxApplication* UtxApplication = nullptr;

namespace {

HHOOK GMessageHook = nullptr;
int GUseCount = 0;

bool PlatformIsNT() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// The flat scroll bars of comctl32 are bound at run time: older libraries lack them.
void UninitializeFlatScrollBars(HWND Wnd) {
  using TUninitializeFlatSB = HRESULT(WINAPI*)(HWND);
  static TUninitializeFlatSB proc = [] {
    HMODULE comctl = GetModuleHandleA("comctl32.dll");
    return comctl ? reinterpret_cast<TUninitializeFlatSB>(GetProcAddress(comctl, "UninitializeFlatSB"))
                  : nullptr;
  }();
  if (proc) proc(Wnd);
}

}  // namespace

// ---- TUtxForm ----

void TUtxForm::CreateWindowHandle(const TCreateParams& Params) {
  if (!UnicodePlatform()) {
    TForm::CreateWindowHandle(Params);  // the class library's 8-bit window
  } else {
    // A layered window gets its attributes after creation (below).
    TCreateParams params = Params;
    params.ExStyle &= ~static_cast<DWORD>(WS_EX_LAYERED);
    CreateWideWindowHandle(this, params, L"");
  }
  if (AlphaBlend()) {
    SetAlphaBlend(false);
    SetAlphaBlend(true);
  } else if (TransparentColor()) {
    SetTransparentColor(false);
    SetTransparentColor(true);
  }
}

void TUtxForm::DestroyWindowHandle() {
  if (UnicodePlatform() && WindowHandle()) UninitializeFlatScrollBars(WindowHandle());
  TForm::DestroyWindowHandle();
}

void TUtxForm::UpdateActions() {
  TForm::UpdateActions();
  UpdateApplicationWideHint();
}

VGT_PUBLISH(TUtxForm) {
  PublishWideText(P);
  PublishWideHint(P);
}

// ---- TUtxScrollBox ----

void TUtxScrollBox::Dispatch(TMessage& Message) {
  if (Message.Msg != WM_SIZE) {
    TUtxControlBase::Dispatch(Message);
    return;
  }
  // Scroll bars that come and go re-enter the size handling; it stops at depth 32.
  TCounterGuard depth(FSizeDepth);
  if (FSizeDepth < 32) TUtxControlBase::Dispatch(Message);
}

VGT_PUBLISH(TUtxScrollBox) { PublishWideHint(P); }

// ---- The idle-event control ----

TUtxAppIdleEventControl::TUtxAppIdleEventControl(TComponent* AOwner) : TControl(AOwner) {
  SetParentFont(false);
  if (auto* form = Application ? Application->MainForm() : nullptr) SetParent(form);
  SetVisible(true);
  auto* action = new TUtxAction(this);
  action->OnExecute = [](TObject*) { UpdateApplicationWideHint(); };
  action->OnUpdate = [](TObject*) { UpdateApplicationWideHint(); };
  SetAction(action);
  if (UtxApplication) UtxApplication->FIdleEventControl = this;
}

TUtxAppIdleEventControl::~TUtxAppIdleEventControl() {
  if (UtxApplication && UtxApplication->FIdleEventControl == this) UtxApplication->FIdleEventControl = nullptr;
}

// ---- TUtxApplication ----

TUtxApplication::TUtxApplication() : TComponent(nullptr) {
  if (Application)
    Application->HookMainWindow(TWindowHook::Of<TUtxApplication, &TUtxApplication::ApplicationMainWindowHook>(this));
}

TUtxApplication::~TUtxApplication() {
  TUtxAppIdleEventControl* idle = FIdleEventControl;
  FIdleEventControl = nullptr;
  delete idle;
  if (Application)
    Application->UnhookMainWindow(TWindowHook::Of<TUtxApplication, &TUtxApplication::ApplicationMainWindowHook>(this));
}

bool TUtxApplication::ApplicationMainWindowHook(TMessage& Message) {
  if (Message.Msg != CM_ACTIONEXECUTE) return false;
  auto* action = reinterpret_cast<TBasicAction*>(Message.LParam);
  if (!action || action->ClassType() != THintAction::StaticClass()) return false;
  const WideString wide = ApplicationWideHint();
  if (static_cast<THintAction*>(action)->Hint() != NarrowText(wide)) return false;
  // Status lines get the wide hint through a Unicode hint action instead.
  std::unique_ptr<TUtxHintAction> hint(new TUtxHintAction(this));
  hint->SetHint(wide);
  hint->Execute();
  Message.Result = 1;
  return true;
}

bool TUtxApplication::ProcessWideCharMessage(MSG& Msg) {
  if (!FMainFormSeen && Application && Application->MainForm()) {
    if (!dynamic_cast<TUtxForm*>(Application->MainForm())) new TUtxAppIdleEventControl(Application->MainForm());
    FMainFormSeen = true;
  }
  if (Msg.message != WM_CHAR || Msg.wParam <= 0xFF || !IsWindowUnicode(Msg.hwnd)) return false;
  bool handled = false;
  if (Application && Application->OnMessage) Application->OnMessage(Msg, handled);
  if (Application) Application->CancelHint();
  if (!handled && !IsApplicationDialogMessage(Msg)) DispatchMessageW(&Msg);
  return true;
}

WideString ApplicationWideHint() {
  if (!UtxApplication || !Application) return {};
  return SyncHeldWideText(UtxApplication->FWideHint, Application->Hint());
}

void SetApplicationWideHint(const WideString& Value) {
  if (!UtxApplication || !Application) return;
  StoreHeldWideText(Value, UtxApplication->FWideHint, Application->Hint(),
                    [](const AnsiString& s) { Application->SetHint(s); });
}

void UpdateApplicationWideHint() {
  TControl* control = Application ? Application->MouseControl() : nullptr;
  SetApplicationWideHint(control ? WideLongHint(WideHintFromParents(control)) : WideString());
}

LRESULT CALLBACK WideCharMessageHook(int Code, WPARAM WParam, LPARAM LParam) {
  try {
    if (Code >= 0 && WParam == PM_REMOVE && UtxApplication) {
      auto* msg = reinterpret_cast<MSG*>(LParam);
      // The class library's loop then sees a message it ignores.
      if (msg && UtxApplication->ProcessWideCharMessage(*msg)) msg->message = WM_NULL;
    }
  } catch (...) {
    HandleCurrentException(UtxApplication);
  }
  return CallNextHookEx(GMessageHook, Code, WParam, LParam);
}

bool IsApplicationDialogMessage(MSG& Msg) {
  // The wide call: the message may carry a character above $FF.
  return Application && Application->DialogHandle() && IsDialogMessageW(Application->DialogHandle(), &Msg);
}

bool IsServerHostProcess() {
  const WideString name = UpperCaseWide(WideExtractFileName(GetWideParamStr(0)));
  return name.rfind(L"W3WP.", 0) == 0 || name.rfind(L"DLLHOST.", 0) == 0;
}

void UtxFormsStart() {
  if (GUseCount++ > 0) return;
  // The units whose classes only form descriptions name.
  VGT_USE_UNIT(UtxStdCtrls);
  VGT_USE_UNIT(UtxExtCtrls);
  VGT_USE_UNIT(UtxComCtrls);
  UtxControlsStart();
  UtxApplication = new TUtxApplication();
  if (PlatformIsNT()) {
    GMessageHook = SetWindowsHookExW(WH_GETMESSAGE, &WideCharMessageHook, nullptr, GetCurrentThreadId());
    if (!GMessageHook) RaiseLastOSErrorW();
  }
}

void UtxFormsStop() {
  if (GUseCount <= 0 || --GUseCount > 0) return;
  if (GMessageHook) {
    const bool ok = UnhookWindowsHookEx(GMessageHook) != 0;
    GMessageHook = nullptr;
    if (!ok && !IsServerHostProcess()) RaiseLastOSErrorW();
  }
  TUtxApplication* app = UtxApplication;
  UtxApplication = nullptr;
  delete app;
  UtxControlsStop();
}
