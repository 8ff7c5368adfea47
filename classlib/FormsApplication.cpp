// The application object: its hidden window, the message loop and idle processing, exception
// handling and hints; and the program's Application and Screen objects.
#include "classlib/FormsApplication.h"

#include <algorithm>
#include <cstddef>
#include <exception>
#include <utility>

#include "classlib/ResStrings.h"

TApplication* Application = new TApplication(nullptr);
TScreen* Screen = new TScreen(nullptr);

namespace {

// The end of the program: the application goes, and with it every form it owns (their OnDestroy
// runs), then the screen, then the atoms of the control windows, which would otherwise outlive
// the process in the system's atom table.
struct Finalization {
  Finalization() = default;
  Finalization(const Finalization&) = delete;
  Finalization& operator=(const Finalization&) = delete;
  ~Finalization() {
    delete std::exchange(Application, nullptr);
    delete std::exchange(Screen, nullptr);
    ApplicationHandleException = nullptr;
    ActionApplicationHooks = TActionApplicationHooks{};
    DoneControls();
  }
} GFinalization;

}  // namespace

namespace {

constexpr UINT_PTR kHintShowTimer = 1;
constexpr UINT_PTR kHintHideTimer = 2;


// The system's metrics record; older systems know only the shorter form of it.
bool GetNonClientMetrics(NONCLIENTMETRICSA& m) {
  m = NONCLIENTMETRICSA{};
  m.cbSize = sizeof m;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, m.cbSize, &m, 0)) return true;
  m.cbSize = offsetof(NONCLIENTMETRICSA, lfMessageFont) + sizeof(LOGFONTA);
  return SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, m.cbSize, &m, 0) != 0;
}

// The hooks outlive the application by a little at the end of the program (its forms are freed
// after Application is cleared): then they do nothing.
void HandleExceptionThroughApplication(TObject* Sender) {
  if (Application) Application->HandleException(Sender);
}

bool ApplicationExecutesAction(TBasicAction* Action) {
  bool handled = false;
  if (Application && Application->OnActionExecute) Application->OnActionExecute(Action, handled);
  return handled;
}

bool ApplicationUpdatesAction(TBasicAction* Action) {
  bool handled = false;
  if (Application && Application->OnActionUpdate) Application->OnActionUpdate(Action, handled);
  return handled;
}

LRESULT SendToApplicationWindow(UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (!Application || !Application->HandleAllocated()) return 0;
  return SendMessageA(Application->Handle(), Msg, WParam, LParam);
}

}  // namespace

// ======================= TApplication =======================

LRESULT CALLBACK ApplicationWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m{Msg, WParam, LParam, 0};
  if (!Application || Application->FHandle != Wnd) {
    if (Msg == WM_NCCREATE && Application && !Application->FHandle) Application->FHandle = Wnd;
    else return DefWindowProcA(Wnd, Msg, WParam, LParam);
  }
  try {
    Application->WndProc(m);
  } catch (...) {
    HandleCurrentException(Application);
  }
  return m.Result;
}

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
  FHintWindowClass = THintWindow::StaticClass();
}

// The forms the application owns go while it is whole: their destruction still asks it.
void TApplication::BeforeDestruction() {
  CancelHint();
  Destroying();
  DestroyComponents();
  FHintWindow = nullptr;
  TComponent::BeforeDestruction();
}

TApplication::~TApplication() {
  Destroying();
  delete FHintWindow;
  FHintWindow = nullptr;
  if (FHandle) DestroyWindow(FHandle);
  FHandle = nullptr;
}

void TApplication::Initialize() {
  if (FInitialized) return;
  FInitialized = true;
  // Every unit of the library whose classes form descriptions may name.
  VGT_USE_UNIT(Controls);
  VGT_USE_UNIT(Graphics);
  VGT_USE_UNIT(ActnList);
  VGT_USE_UNIT(StdCtrls);
  VGT_USE_UNIT(ExtCtrls);
  VGT_USE_UNIT(ComCtrls);
  VGT_USE_UNIT(ImgList);
  VGT_USE_UNIT(Frames);
  VGT_USE_UNIT(ToolWin);
  VGT_USE_UNIT(Themes);
  InitControls();
  ApplicationHandleException = HandleExceptionThroughApplication;
  ActionApplicationHooks.ExecuteAction = ApplicationExecutesAction;
  ActionApplicationHooks.UpdateAction = ApplicationUpdatesAction;
  ActionApplicationHooks.SendAppMessage = SendToApplicationWindow;
  if (FTitle.empty()) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    AnsiString p = path;
    size_t slash = p.find_last_of("\\/");
    if (slash != AnsiString::npos) p = p.substr(slash + 1);
    size_t dot = p.find_last_of('.');
    if (dot != AnsiString::npos) p = p.substr(0, dot);
    FTitle = p;
  }
  Handle();
  if (!Screen->HintFont()) {
    NONCLIENTMETRICSA m{};
    GetNonClientMetrics(m);
    Screen->FHintFont.reset(new TFont);
    Screen->FHintFont->SetHandle(CreateFontIndirectA(&m.lfStatusFont));
    Screen->FHintFont->SetColor(clInfoText);
    Screen->FIconFont.reset(new TFont);
    LOGFONTA icon{};
    SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof icon, &icon, 0);
    Screen->FIconFont->SetHandle(CreateFontIndirectA(&icon));
    Screen->FMenuFont.reset(new TFont);
    Screen->FMenuFont->SetHandle(CreateFontIndirectA(&m.lfMenuFont));
  }
}

HWND TApplication::Handle() {
  if (!FHandle) {
    static const bool registered = [] {
      WNDCLASSA wc{};
      wc.lpfnWndProc = ApplicationWndProc;
      wc.hInstance = ClassLibInstance();
      wc.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
      wc.lpszClassName = "TApplication";
      return RegisterClassA(&wc) != 0;
    }();
    (void)registered;
    HWND h = CreateWindowExA(0, "TApplication", FTitle.c_str(),
                             WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                             GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr,
                             nullptr, ClassLibInstance(), nullptr);
    if (!h) throw EOSError("Anwendungsfenster kann nicht erstellt werden", GetLastError());
    FHandle = h;
  }
  return FHandle;
}

void TApplication::SetTitle(const AnsiString& Value) {
  FTitle = Value;
  if (FHandle) SetWindowTextA(FHandle, Value.c_str());
}

void TApplication::WndProc(TMessage& Message) {
  // A hook may unhook itself or others (its object freed): only hooks still hooked when their
  // turn comes are asked. Hooks are values, compared without touching their objects.
  const std::vector<TWindowHook> hooks = FWindowHooks;
  for (const TWindowHook& hook : hooks) {
    if (std::find(FWindowHooks.begin(), FWindowHooks.end(), hook) == FWindowHooks.end()) continue;
    if (hook(Message)) return;
  }
  switch (Message.Msg) {
    case WM_CLOSE:
      if (FMainForm) FMainForm->Close();
      return;
    case WM_TIMER:
      if (Message.WParam == kHintShowTimer) HintTimerExpired();
      else if (Message.WParam == kHintHideTimer) HideHintTimerExpired();
      return;
    case CM_ACTIONEXECUTE:
    case CM_ACTIONUPDATE: {
      auto* action = reinterpret_cast<TBasicAction*>(Message.LParam);
      TCustomForm* form = Screen->ActiveForm();
      bool done = form && form->DispatchAction(Message.Msg, action);
      if (!done && FMainForm && FMainForm != form) done = FMainForm->DispatchAction(Message.Msg, action);
      Message.Result = done ? 1 : 0;
      return;
    }
    case WM_ACTIVATEAPP:
      if (!Message.WParam) CancelHint();
      break;
    default: break;
  }
  Message.Result = DefWindowProcA(FHandle, Message.Msg, Message.WParam, Message.LParam);
}

void TApplication::HookMainWindow(const TWindowHook& Hook) { FWindowHooks.push_back(Hook); }

void TApplication::UnhookMainWindow(const TWindowHook& Hook) {
  auto it = std::find(FWindowHooks.begin(), FWindowHooks.end(), Hook);
  if (it != FWindowHooks.end()) FWindowHooks.erase(it);
}

void TApplication::Run() {
  Initialize();
  if (FMainForm && FShowMainForm) FMainForm->Show();
  while (!FTerminated) HandleMessage();
}

void TApplication::HandleMessage() {
  MSG msg;
  if (!ProcessMessage(msg)) Idle(msg);
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
}

bool TApplication::ProcessMessage(MSG& Msg) {
  if (!PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (Msg.message == WM_QUIT) {
    FTerminated = true;
    return true;
  }
  bool handled = false;
  try {
    if (OnMessage) OnMessage(Msg, handled);
    if (!handled && !IsHintMsg(Msg) && !IsKeyMsg(Msg) && !IsDlgMsg(Msg)) {
      TranslateMessage(&Msg);
      DispatchMessageA(&Msg);
    }
  } catch (...) {
    HandleException(this);
  }
  return true;
}

// Key messages go first to the library control they are for, as CN_ messages; a control that
// answers non-zero consumed the key (dialog keys, mnemonics).
bool TApplication::IsKeyMsg(MSG& Msg) {
  if (Msg.message < WM_KEYFIRST || Msg.message > WM_KEYLAST) return false;
  HWND wnd = GetCapture();
  if (!wnd) {
    wnd = Msg.hwnd;
    while (wnd && !FindControl(wnd)) wnd = GetParent(wnd);
    if (!wnd) return false;
  } else if (!FindControl(wnd)) {
    return false;
  }
  return SendMessageA(wnd, CN_BASE + Msg.message, Msg.wParam, Msg.lParam) != 0;
}

bool TApplication::IsDlgMsg(MSG& Msg) {
  return FDialogHandle && IsDialogMessageA(FDialogHandle, &Msg);
}

bool TApplication::IsHintMsg(MSG& Msg) {
  if (FHintActive) {
    switch (Msg.message) {
      case WM_KEYDOWN: case WM_SYSKEYDOWN: case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
      case WM_NCLBUTTONDOWN: case WM_MOUSEWHEEL: case WM_ACTIVATE: case WM_ACTIVATEAPP:
        CancelHint();
        break;
      default: break;
    }
  }
  if (Msg.message == WM_MOUSEMOVE) DoMouseIdle();
  return false;
}

void TApplication::Terminate() {
  FTerminated = true;
  PostQuitMessage(0);
}

void TApplication::Idle(const MSG&) {
  bool done = true;
  try {
    DoMouseIdle();
    if (OnIdle) OnIdle(this, done);
    if (done) DoActionIdle();
  } catch (...) {
    HandleException(this);
  }
  if (done && !FTerminated) WaitMessage();
}

void TApplication::DoActionIdle() {
  // A form's update handlers may free forms: the walk skips what went.
  Screen->FForms.ForEach([](TCustomForm* f) {
    if (f->HandleAllocated() && IsWindowVisible(f->WindowHandle()) && IsWindowEnabled(f->WindowHandle()))
      f->UpdateActions();
  });
}

void TApplication::DoMouseIdle() {
  POINT p;
  if (!GetCursorPos(&p)) return;
  TControl* c = FindDragTarget(p, true);
  if (c == FMouseControl) return;
  TWeakRef<TControl> old = FMouseControl.Get();
  FMouseControl = c;
  if (c) c->FreeNotification(this);
  if (old) old->Perform(CM_MOUSELEAVE, 0, 0);
  // The handlers may have freed the control (or the one before it).
  if (c != FMouseControl) return;
  if (c) c->Perform(CM_MOUSEENTER, 0, 0);
  if (c != FMouseControl) return;
  // The long part of the hint under the mouse becomes the application's hint (status lines).
  SetHint(GetLongHint(GetHint(c)));
  // The hint window follows the control under the mouse.
  if (c != FHintControl) {
    bool wasActive = FHintActive;
    CancelHint();
    SetHintControl(c);
    if (c && FShowHint) StartHintTimer(wasActive ? FHintShortPause : FHintPause, 1);
  }
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FMouseControl) FMouseControl = nullptr;
  // The weak reference is cleared already when the control starts being freed.
  if (AComponent == FHintControl || (!FHintControl && FHintActive)) {
    FHintControl = nullptr;
    CancelHint();
  }
  if (AComponent == FMainForm) FMainForm = nullptr;
  if (AComponent == FHintWindow) FHintWindow = nullptr;
}

void TApplication::SetHint(const AnsiString& Value) {
  if (FHint == Value) return;
  FHint = Value;
  if (OnHint) {
    OnHint(this);
    return;
  }
  // Without OnHint the hint goes to whoever shows it (a status line) as a hint action.
  std::unique_ptr<THintAction> action(new THintAction(this));
  action->SetHint(Value);
  action->Execute();
}

void TApplication::SetShowHint(bool Value) {
  FShowHint = Value;
  if (!Value) CancelHint();
}

void TApplication::StartHintTimer(int Delay, int Kind) {
  StopHintTimer();
  if (!FHandle) return;
  SetTimer(FHandle, Kind == 1 ? kHintShowTimer : kHintHideTimer, static_cast<UINT>(std::max(Delay, 1)), nullptr);
  FHintTimerKind = Kind;
}

void TApplication::StopHintTimer() {
  if (FHandle && FHintTimerKind) {
    KillTimer(FHandle, kHintShowTimer);
    KillTimer(FHandle, kHintHideTimer);
  }
  FHintTimerKind = 0;
}

void TApplication::HintTimerExpired() {
  StopHintTimer();
  POINT p;
  GetCursorPos(&p);
  ActivateHint(p);
}

void TApplication::HideHintTimerExpired() { CancelHint(); }

void TApplication::CancelHint() {
  StopHintTimer();
  if (FHintWindow && FHintWindow->HandleAllocated()) FHintWindow->ReleaseHandle();
  FHintActive = false;
}

void TApplication::ActivateHint(POINT CursorPos) {
  if (!FHintControl) SetHintControl(FindDragTarget(CursorPos, true));
  DoHintShow(CursorPos);
}

void TApplication::SetHintControl(TControl* Control) {
  if (Control == FHintControl) return;
  TControl* old = FHintControl;
  FHintControl = Control;
  if (old && old != FMouseControl) old->RemoveFreeNotification(this);
  if (Control) Control->FreeNotification(this);
}

void TApplication::DoHintShow(POINT CursorPos) {
  TControl* control = FHintControl;
  if (!control || !FShowHint || !control->ShowHint()) {
    CancelHint();
    return;
  }
  THintInfo info;
  info.HintControl = control;
  info.HintWindowClass = FHintWindowClass;
  info.HintPos = POINT{CursorPos.x, CursorPos.y + GetSystemMetrics(SM_CYCURSOR) / 2 + 4};
  info.HintMaxWidth = Screen->Width();
  info.HintColor = FHintColor;
  RECT bounds{0, 0, control->Width(), control->Height()};
  POINT origin = control->ClientOrigin();
  OffsetRect(&bounds, origin.x, origin.y);
  info.CursorRect = bounds;
  info.CursorPos = control->ScreenToClient(CursorPos);
  info.HideTimeout = FHintHidePause;
  info.HintStr = GetShortHint(GetHint(control));
  info.HintData = nullptr;
  TWeakRef<TControl> alive = control;
  bool canShow = control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
  if (canShow && alive && OnShowHint) OnShowHint(info.HintStr, canShow, info);
  // A handler that freed the control ends its hint.
  if (!canShow || !alive || alive != FHintControl || info.HintStr.empty()) {
    CancelHint();
    return;
  }
  // The window of the asked class; a different class replaces the window.
  TClass cls = info.HintWindowClass ? info.HintWindowClass : THintWindow::StaticClass();
  if (FHintWindow && FHintWindow->ClassType() != cls) {
    delete FHintWindow;
    FHintWindow = nullptr;
  }
  if (!FHintWindow) {
    TComponentFactory factory = TypeDataOf(cls).Factory;
    TComponent* made = factory ? factory(this) : new THintWindow(this);
    FHintWindow = dynamic_cast<THintWindow*>(made);
    if (!FHintWindow) {
      delete made;
      FHintWindow = new THintWindow(this);
    }
    FHintWindow->FreeNotification(this);
  }
  FHintWindow->SetColor(info.HintColor);
  RECT r = FHintWindow->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
  OffsetRect(&r, info.HintPos.x, info.HintPos.y);
  FHintWindow->ActivateHintData(r, info.HintStr, info.HintData);
  FHintActive = true;
  FHintCursorRect = info.CursorRect;
  if (info.HideTimeout > 0) StartHintTimer(info.HideTimeout, 2);
}

void TApplication::ShowException(const AnsiString& Message) {
  AnsiString text = Message;
  if (!text.empty() && text.back() > '.') text += '.';
  MessageBoxA(GetActiveWindow(), text.c_str(), FTitle.c_str(), MB_OK | MB_ICONSTOP);
}

void TApplication::HandleException(TObject* Sender) {
  AnsiString message;
  const std::exception* e = nullptr;
  if (!std::current_exception()) return;  // called outside a handler: nothing to show
  try {
    throw;
  } catch (const EAbort&) {
    return;
  } catch (const std::exception& ex) {
    message = ex.what();
    e = &ex;
    try {
      if (OnException) OnException(Sender, e, message);
      else ShowException(message);
    } catch (...) {
      // A failing exception handler ends the handling here.
    }
    return;
  } catch (...) {
    message = "Unbekannte Ausnahme";
  }
  try {
    if (OnException) OnException(Sender, e, message);
    else ShowException(message);
  } catch (...) {
  }
}
