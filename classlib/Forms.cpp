#include "classlib/Forms.h"

#include <algorithm>
#include <cstddef>
#include <exception>

#include "classlib/Filer.h"

TApplication* Application = new TApplication(nullptr);
TScreen* Screen = new TScreen(nullptr);

namespace {

constexpr UINT_PTR kHintShowTimer = 1;
constexpr UINT_PTR kHintHideTimer = 2;

HINSTANCE ModuleOfLibrary() { return LibraryInstance(); }

// Layered windows exist from Windows 2000 on: bound at run time.
BOOL SetLayeredAttributes(HWND Wnd, COLORREF Key, BYTE Alpha, DWORD Flags) {
  using Fn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
  static Fn fn = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "SetLayeredWindowAttributes")));
  return fn ? fn(Wnd, Key, Alpha, Flags) : FALSE;
}

// The system's metrics record; older systems know only the shorter form of it.
bool GetNonClientMetrics(NONCLIENTMETRICSA& m) {
  m = NONCLIENTMETRICSA{};
  m.cbSize = sizeof m;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, m.cbSize, &m, 0)) return true;
  m.cbSize = offsetof(NONCLIENTMETRICSA, lfMessageFont) + sizeof(LOGFONTA);
  return SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, m.cbSize, &m, 0) != 0;
}

void HandleExceptionThroughApplication(TObject* Sender) { Application->HandleException(Sender); }

bool ApplicationExecutesAction(TBasicAction* Action) {
  bool handled = false;
  if (Application->OnActionExecute) Application->OnActionExecute(Action, handled);
  return handled;
}

bool ApplicationUpdatesAction(TBasicAction* Action) {
  bool handled = false;
  if (Application->OnActionUpdate) Application->OnActionUpdate(Action, handled);
  return handled;
}

LRESULT SendToApplicationWindow(UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (!Application->HandleAllocated()) return 0;
  return SendMessageA(Application->Handle(), Msg, WParam, LParam);
}

// The windows a modal form disables, and gives back afterwards.
struct TaskWindows {
  HWND Except;
  std::vector<HWND> Disabled;
};

BOOL CALLBACK DisableTaskWindow(HWND Wnd, LPARAM Data) {
  auto* t = reinterpret_cast<TaskWindows*>(Data);
  if (Wnd != t->Except && IsWindowVisible(Wnd) && IsWindowEnabled(Wnd)) {
    t->Disabled.push_back(Wnd);
    EnableWindow(Wnd, FALSE);
  }
  return TRUE;
}

}  // namespace

const TIdentInfo& ModalResultIdents() {
  static const TIdentInfo info{{{L"mrNone", mrNone}, {L"mrOk", mrOk}, {L"mrCancel", mrCancel},
                                {L"mrAbort", mrAbort}, {L"mrRetry", mrRetry}, {L"mrIgnore", mrIgnore},
                                {L"mrYes", mrYes}, {L"mrNo", mrNo}, {L"mrAll", mrAll},
                                {L"mrNoToAll", mrNoToAll}, {L"mrYesToAll", mrYesToAll}}};
  return info;
}

TCustomForm* GetParentForm(TControl* Control) {
  return dynamic_cast<TCustomForm*>(TopLevelParent(Control));
}

// ======================= TScrollingWinControl =======================

TScrollingWinControl::TScrollingWinControl(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle |= csAcceptsControls;
}

void TScrollingWinControl::SetAutoScroll(bool Value) {
  if (FAutoScroll == Value) return;
  FAutoScroll = Value;
  if (!Value) ScrollTo(0, 0);
  UpdateScrollBars();
}

void TScrollingWinControl::CreateWnd() {
  TWinControl::CreateWnd();
  FScrollPos = POINT{0, 0};
  UpdateScrollBars();
}

void TScrollingWinControl::AlignControls(TControl* AControl, RECT& Rect) {
  TWinControl::AlignControls(AControl, Rect);
  UpdateScrollBars();
}

// The range is the extent of the children that are not aligned, measured in unscrolled
// co-ordinates; a scroll bar shows when the range exceeds the client area.
void TScrollingWinControl::UpdateScrollBars() {
  if (!FHandle || FUpdatingScrollBars > 0) return;
  ++FUpdatingScrollBars;
  try {
    SIZE range{0, 0};
    if (FAutoScroll)
      for (TControl* c : FControls) {
        if (!c->Visible() || c->Align() != TAlign::alNone) continue;
        range.cx = std::max(range.cx, static_cast<LONG>(c->Left() + c->Width() + FScrollPos.x));
        range.cy = std::max(range.cy, static_cast<LONG>(c->Top() + c->Height() + FScrollPos.y));
      }
    FRange = range;
    RECT cr;
    GetClientRect(FHandle, &cr);
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    si.nMin = 0;
    si.nMax = range.cx > cr.right ? range.cx - 1 : 0;
    si.nPage = range.cx > cr.right ? static_cast<UINT>(cr.right) : 0;
    si.nPos = FScrollPos.x;
    SetScrollInfo(FHandle, SB_HORZ, &si, TRUE);
    GetClientRect(FHandle, &cr);
    si.nMax = range.cy > cr.bottom ? range.cy - 1 : 0;
    si.nPage = range.cy > cr.bottom ? static_cast<UINT>(cr.bottom) : 0;
    si.nPos = FScrollPos.y;
    SetScrollInfo(FHandle, SB_VERT, &si, TRUE);
    GetClientRect(FHandle, &cr);
    int maxX = std::max(0L, range.cx - cr.right), maxY = std::max(0L, range.cy - cr.bottom);
    if (FScrollPos.x > maxX || FScrollPos.y > maxY)
      ScrollTo(std::min(static_cast<int>(FScrollPos.x), maxX), std::min(static_cast<int>(FScrollPos.y), maxY));
  } catch (...) {
    --FUpdatingScrollBars;
    throw;
  }
  --FUpdatingScrollBars;
}

void TScrollingWinControl::ScrollTo(int X, int Y) {
  const int dx = FScrollPos.x - X, dy = FScrollPos.y - Y;
  if (!dx && !dy) return;
  FScrollPos = POINT{X, Y};
  DisableAlign();
  for (TControl* c : FControls)
    if (c->Align() == TAlign::alNone) c->SetBounds(c->Left() + dx, c->Top() + dy, c->Width(), c->Height());
  FControlState &= ~csAlignmentNeeded;
  --FAlignLevel;
  if (FHandle) {
    SetScrollPos(FHandle, SB_HORZ, X, TRUE);
    SetScrollPos(FHandle, SB_VERT, Y, TRUE);
    InvalidateRect(FHandle, nullptr, TRUE);
  }
}

void TScrollingWinControl::ScrollInView(TControl* Control) {
  if (!Control || !FHandle) return;
  RECT cr;
  GetClientRect(FHandle, &cr);
  int x = FScrollPos.x, y = FScrollPos.y;
  if (Control->Left() < 0) x += Control->Left();
  else if (Control->Left() + Control->Width() > cr.right) x += Control->Left() + Control->Width() - cr.right;
  if (Control->Top() < 0) y += Control->Top();
  else if (Control->Top() + Control->Height() > cr.bottom) y += Control->Top() + Control->Height() - cr.bottom;
  ScrollTo(std::max(0, x), std::max(0, y));
}

void TScrollingWinControl::WMScroll(TMessage& Message, int Bar) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(FHandle, Bar, &si);
  int pos = si.nPos;
  const int page = static_cast<int>(si.nPage);
  switch (LOWORD(Message.WParam)) {
    case SB_LINEUP: pos -= 8; break;
    case SB_LINEDOWN: pos += 8; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = si.nTrackPos; break;
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = si.nMax; break;
    default: return;
  }
  pos = std::clamp(pos, 0, std::max(0, si.nMax - page + 1));
  if (Bar == SB_HORZ) ScrollTo(pos, FScrollPos.y);
  else ScrollTo(FScrollPos.x, pos);
  Message.Result = 0;
}

void TScrollingWinControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_HSCROLL:
      if (Message.LParam == 0) WMScroll(Message, SB_HORZ);
      else TWinControl::Dispatch(Message);
      break;
    case WM_VSCROLL:
      if (Message.LParam == 0) WMScroll(Message, SB_VERT);
      else TWinControl::Dispatch(Message);
      break;
    default: TWinControl::Dispatch(Message); break;
  }
}

TScrollBox::TScrollBox(TComponent* AOwner) : TScrollingWinControl(AOwner) {
  FWidth = 185;
  FHeight = 41;
  FTabStop = false;
}

void TScrollBox::SetBorderStyle(TBorderStyle Value) {
  if (ChangeField(FBorderStyle, Value)) RecreateWnd();
}

void TScrollBox::CreateParams(TCreateParams& Params) {
  TScrollingWinControl::CreateParams(Params);
  if (FBorderStyle == TBorderStyle::bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

// ======================= TCustomForm =======================

TCustomForm::TCustomForm(TComponent* AOwner) : TScrollingWinControl(AOwner) {
  FVisible = false;
  FParentFont = false;
  FParentColor = false;
  FColor = clBtnFace;
  FBrush->SetColor(FColor);
  FWidth = 320;
  FHeight = 240;
  FLeft = 200;
  FTop = 100;
  FControlStyle |= csSetCaption;
  Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
  Destroying();
  Screen->RemoveForm(this);
  if (Application->MainForm() == this) Application->SetMainForm(nullptr);
  // Children and the window go first, while this is still a form.
  DestroyHandle();
  while (!FControls.empty()) {
    TControl* c = FControls.back();
    RemoveControl(c);
    delete c;
  }
}

TClass TCustomForm::DescriptionRootClass() const { return TForm::StaticClass(); }

void TCustomForm::InitInstance() {
  if (ClassType() == DescriptionRootClass() || HasState(csDesigning)) return;
  FFormState |= fsCreating;
  try {
    ReadFormDescriptions(DescriptionRootClass());
  } catch (...) {
    FFormState &= ~fsCreating;
    throw;
  }
  FFormState &= ~fsCreating;
  if (FOldCreateOrder) DoCreate();
}

void TCustomForm::AfterConstruction() {
  if (!FOldCreateOrder || !FCreated) DoCreate();
  // A form described as visible shows once it is complete.
  if (FVisible) UpdateControlState();
}

void TCustomForm::ReadFormDescriptions(TClass RootAncestor) {
  std::vector<TClass> chain;
  for (TClass c = ClassType(); c && c != RootAncestor; c = c->Parent) {
    if (c == TCustomForm::StaticClass() || c == TScrollingWinControl::StaticClass()) break;
    chain.push_back(c);
  }
  if (chain.empty()) return;
  bool any = false;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    if (ReadComponentResource(this, (*it)->Name)) any = true;
  if (!any) throw EResNotFound("Ressource " + NarrowAcp(ClassName()) + " wurde nicht gefunden");
}

void TCustomForm::DoCreate() {
  if (FCreated) return;
  FCreated = true;
  try {
    if (OnCreate) OnCreate(this);
  } catch (...) {
    Application->HandleException(this);
  }
}

void TCustomForm::DoDestroy() {
  try {
    if (OnDestroy) OnDestroy(this);
  } catch (...) {
    Application->HandleException(this);
  }
}

void TCustomForm::Free() {
  DoDestroy();
  delete this;
}

void TCustomForm::Release() {
  if (FHandle) PostMessageA(FHandle, CM_RELEASE, 0, 0);
  else Free();
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TCustomForm::DoClose(TCloseAction& Action) {
  if (OnClose) OnClose(this, Action);
}

void TCustomForm::Loaded() {
  TScrollingWinControl::Loaded();
  if (FScaled && FPixelsPerInchRead && FPixelsPerInch > 0 && FPixelsPerInch != Screen->PixelsPerInch()) {
    const int screen = Screen->PixelsPerInch();
    const int cw = ClientWidth(), ch = ClientHeight();
    ScaleBy(screen, FPixelsPerInch);
    SetClientSize(MulDiv(cw, screen, FPixelsPerInch), MulDiv(ch, screen, FPixelsPerInch));
    FPixelsPerInch = screen;
  }
  FPixelsPerInchRead = false;
  if (FActiveControl && FActiveControl->Parent() == nullptr) FActiveControl = nullptr;
}

void TCustomForm::CreateParams(TCreateParams& Params) {
  TScrollingWinControl::CreateParams(Params);
  if (FParent) return;
  Params.Style &= ~(WS_CHILD | WS_GROUP | WS_TABSTOP);
  Params.Style |= WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  const bool sys = FBorderIcons.Contains(TBorderIcon::biSystemMenu);
  switch (FBorderStyle) {
    case TFormBorderStyle::bsNone: Params.Style |= WS_POPUP; break;
    case TFormBorderStyle::bsSingle:
    case TFormBorderStyle::bsToolWindow: Params.Style |= WS_CAPTION | WS_BORDER; break;
    case TFormBorderStyle::bsSizeable:
    case TFormBorderStyle::bsSizeToolWin: Params.Style |= WS_CAPTION | WS_THICKFRAME; break;
    case TFormBorderStyle::bsDialog:
      Params.Style |= WS_POPUP | WS_CAPTION;
      Params.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      break;
  }
  if (FBorderStyle != TFormBorderStyle::bsNone && sys) {
    Params.Style |= WS_SYSMENU;
    if (FBorderStyle == TFormBorderStyle::bsSingle || FBorderStyle == TFormBorderStyle::bsSizeable) {
      if (FBorderIcons.Contains(TBorderIcon::biMinimize)) Params.Style |= WS_MINIMIZEBOX;
      if (FBorderIcons.Contains(TBorderIcon::biMaximize)) Params.Style |= WS_MAXIMIZEBOX;
    }
    if (FBorderStyle == TFormBorderStyle::bsDialog && FBorderIcons.Contains(TBorderIcon::biHelp))
      Params.ExStyle |= WS_EX_CONTEXTHELP;
  }
  if (FBorderStyle == TFormBorderStyle::bsToolWindow || FBorderStyle == TFormBorderStyle::bsSizeToolWin)
    Params.ExStyle |= WS_EX_TOOLWINDOW;
  if (FFormStyle == TFormStyle::fsStayOnTop) Params.ExStyle |= WS_EX_TOPMOST;
  if (FAlphaBlend || FTransparentColor) Params.ExStyle |= WS_EX_LAYERED;
  // The owner window: the given parent window, else the application window.
  if (!FParentWindow && Application->HandleAllocated()) Params.WndParent = Application->Handle();
  if (FPosition == TPosition::poDefault || FPosition == TPosition::poDefaultPosOnly) {
    Params.X = static_cast<int>(CW_USEDEFAULT);
    Params.Y = static_cast<int>(CW_USEDEFAULT);
  }
  Params.WindowClass.style = CS_DBLCLKS;
  Params.WindowClass.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
}

void TCustomForm::CreateWnd() {
  TScrollingWinControl::CreateWnd();
  ApplyLayeredAttributes();
}

void TCustomForm::ApplyLayeredAttributes() {
  if (!FHandle) return;
  LONG ex = GetWindowLongA(FHandle, GWL_EXSTYLE);
  if (FAlphaBlend || FTransparentColor) {
    SetWindowLongA(FHandle, GWL_EXSTYLE, ex | WS_EX_LAYERED);
    DWORD flags = (FAlphaBlend ? LWA_ALPHA : 0) | (FTransparentColor ? LWA_COLORKEY : 0);
    SetLayeredAttributes(FHandle, ColorToRGB(FTransparentColorValue), FAlphaBlendValue, flags);
  } else if (ex & WS_EX_LAYERED) {
    SetWindowLongA(FHandle, GWL_EXSTYLE, ex & ~WS_EX_LAYERED);
  }
}

void TCustomForm::SetAlphaBlend(bool Value) {
  FAlphaBlend = Value;
  ApplyLayeredAttributes();
}

void TCustomForm::SetAlphaBlendValue(BYTE Value) {
  FAlphaBlendValue = Value;
  ApplyLayeredAttributes();
}

void TCustomForm::SetTransparentColor(bool Value) {
  FTransparentColor = Value;
  ApplyLayeredAttributes();
}

void TCustomForm::SetTransparentColorValue(TColor Value) {
  FTransparentColorValue = Value;
  ApplyLayeredAttributes();
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
  if (ChangeField(FBorderStyle, Value)) RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
  if (ChangeField(FBorderIcons, Value)) RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle Value) {
  if (FFormStyle == Value) return;
  FFormStyle = Value;
  if (FHandle)
    SetWindowPos(FHandle, Value == TFormStyle::fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TCustomForm::SetWindowState(TWindowState Value) {
  FWindowState = Value;
  if (FHandle && FShowing)
    ShowWindow(FHandle, Value == TWindowState::wsMaximized   ? SW_SHOWMAXIMIZED
                        : Value == TWindowState::wsMinimized ? SW_SHOWMINIMIZED
                                                             : SW_SHOWNORMAL);
}

void TCustomForm::Show() {
  SetVisible(true);
  if (FHandle) SetWindowPos(FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

bool TCustomForm::CanFocus() { return FVisible && FEnabled; }

// Showing: OnShow, the position, then the window; hiding: OnHide, then the window.
void TCustomForm::CMShowingChanged(TMessage&) {
  if (!FHandle) return;
  if (FShowing) {
    DoShow();
    RECT area = Screen->WorkAreaRect();
    auto centreIn = [&](RECT r) {
      int x = r.left + ((r.right - r.left) - FWidth) / 2;
      int y = r.top + ((r.bottom - r.top) - FHeight) / 2;
      SetBounds(std::max(static_cast<int>(area.left), x), std::max(static_cast<int>(area.top), y), FWidth, FHeight);
    };
    switch (FPosition) {
      case TPosition::poScreenCenter:
      case TPosition::poDesktopCenter: centreIn(area); break;
      case TPosition::poMainFormCenter:
      case TPosition::poOwnerFormCenter: {
        TCustomForm* other = FPosition == TPosition::poOwnerFormCenter ? dynamic_cast<TCustomForm*>(Owner()) : nullptr;
        if (!other) other = Application->MainForm();
        if (other && other != this && other->HandleAllocated()) centreIn(other->BoundsRect());
        else centreIn(area);
        break;
      }
      default: break;
    }
    int cmd = FWindowState == TWindowState::wsMaximized   ? SW_SHOWMAXIMIZED
              : FWindowState == TWindowState::wsMinimized ? SW_SHOWMINIMIZED
                                                          : SW_SHOWNORMAL;
    ShowWindow(FHandle, cmd);
    SetForegroundWindow(FHandle);
    FFormState |= fsVisible;
  } else {
    DoHide();
    ShowWindow(FHandle, SW_HIDE);
    FFormState &= ~fsVisible;
  }
}

TModalResult TCustomForm::ShowModal() {
  if (FVisible || !FEnabled || (FFormState & fsModal))
    throw EInvalidOperation("Aus einem sichtbaren Fenster kann kein modales gemacht werden");
  if (HWND cap = GetCapture()) SendMessageA(cap, WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  FFormState |= fsModal;
  HWND activeWindow = GetActiveWindow();
  HandleNeeded();
  TaskWindows tasks{FHandle, {}};
  EnumThreadWindows(GetCurrentThreadId(), DisableTaskWindow, reinterpret_cast<LPARAM>(&tasks));
  auto enableOthers = [&] {
    for (HWND w : tasks.Disabled)
      if (IsWindow(w)) EnableWindow(w, TRUE);
    if (activeWindow && IsWindow(activeWindow)) SetActiveWindow(activeWindow);
  };
  auto restore = [&] {
    enableOthers();
    FFormState &= ~fsModal;
  };
  // A handler may free the form while it is shown modally: the loop then ends without touching it.
  TFreeWatch watch(this);
  try {
    Show();
    FModalResult = mrNone;
    do {
      Application->HandleMessage();
      if (watch.Freed()) {
        enableOthers();
        return mrCancel;
      }
      if (Application->Terminated()) FModalResult = mrCancel;
      else if (FModalResult != mrNone) {
        // The modal result closes the form unless the close is refused.
        TCloseAction action = TCloseAction::caNone;
        if (CloseQuery()) {
          action = TCloseAction::caHide;
          DoClose(action);
        }
        if (action == TCloseAction::caNone) FModalResult = mrNone;
      }
    } while (FModalResult == mrNone);
    TModalResult result = FModalResult;
    Hide();
    restore();
    return result;
  } catch (...) {
    if (watch.Freed()) {
      enableOthers();
      throw;
    }
    if (FVisible) SetVisible(false);
    restore();
    throw;
  }
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::Close() {
  if (FFormState & fsModal) {
    FModalResult = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = TCloseAction::caHide;
  DoClose(action);
  switch (action) {
    case TCloseAction::caNone: return;
    case TCloseAction::caHide:
      if (Application->MainForm() == this) Application->Terminate();
      Hide();
      break;
    case TCloseAction::caMinimize: SetWindowState(TWindowState::wsMinimized); break;
    case TCloseAction::caFree:
      if (Application->MainForm() == this) Application->Terminate();
      Release();
      break;
  }
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
  if (Control == this) Control = nullptr;
  if (Control && !ContainsControl(Control))
    throw EInvalidOperation("Ungültiger aktiver Steuerelement-Wert");
  if (FActiveControl == Control) return;
  FActiveControl = Control;
  if (Control) Control->FreeNotification(this);
  if (Control && FActive && FHandle && Control->CanFocus()) Control->SetFocus();
}

void TCustomForm::SetFocusedControl(TWinControl* Control) {
  if (Control == this) return;
  TWinControl* old = FActiveControl;
  if (old != Control) {
    FActiveControl = Control;
    if (Control) Control->FreeNotification(this);
    if (old) old->Perform(CM_EXIT, 0, 0);
    if (Control) Control->Perform(CM_ENTER, 0, 0);
  }
  // Told also when the control was made the active one before it had the focus (the form's first
  // control): a button learns only here that Enter is now its key.
  TMessage m{CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Control), 0};
  Broadcast(m);
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
  TScrollingWinControl::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FActiveControl) FActiveControl = nullptr;
}

bool TCustomForm::PreviewKeyDown(WORD& Key, TShiftState Shift) {
  return FKeyPreview && TWinControl::DoKeyDown(Key, Shift);
}

bool TCustomForm::PreviewKeyPress(char& Key) { return FKeyPreview && TWinControl::DoKeyPress(Key); }

bool TCustomForm::PreviewKeyUp(WORD& Key, TShiftState Shift) {
  return FKeyPreview && TWinControl::DoKeyUp(Key, Shift);
}

// Tab moves through the tab order, arrows within the active control's parent; other dialog keys
// (Enter, Esc) go to the controls, where the Default and Cancel buttons take them.
void TCustomForm::CMDialogKey(TMessage& Message) {
  if (GetKeyState(VK_MENU) >= 0) {
    switch (LOWORD(Message.WParam)) {
      case VK_TAB:
        if (GetKeyState(VK_CONTROL) >= 0) {
          SelectNext(FActiveControl, GetKeyState(VK_SHIFT) >= 0, true);
          Message.Result = 1;
          return;
        }
        break;
      case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
        if (FActiveControl && FActiveControl->Parent()) {
          FActiveControl->Parent()->SelectNext(FActiveControl,
                                               Message.WParam == VK_RIGHT || Message.WParam == VK_DOWN, false);
          Message.Result = 1;
        }
        return;
      default: break;
    }
  }
  Broadcast(Message);
}

void TCustomForm::WMActivate(TMessage& Message) {
  DefaultHandler(Message);
  const bool active = LOWORD(Message.WParam) != WA_INACTIVE;
  FActive = active;
  if (active) {
    Screen->SetActiveForm(this);
    if (FActiveControl && FActiveControl->CanFocus()) ::SetFocus(FActiveControl->Handle());
    else if (!FActiveControl) SelectFirst();
    if (OnActivate) OnActivate(this);
  } else {
    if (OnDeactivate) OnDeactivate(this);
  }
}

void TCustomForm::WMClose(TMessage&) { Close(); }

void TCustomForm::UpdateActions() {
  InitiateAction();
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* c = dynamic_cast<TControl*>(Components(i)); c && c->Visible()) c->InitiateAction();
}

bool TCustomForm::DispatchAction(UINT Msg, TBasicAction* Action) {
  auto tryControl = [&](TControl* c) {
    if (!c || !Action->HandlesTarget(c)) return false;
    if (Msg == CM_ACTIONEXECUTE) Action->ExecuteTarget(c);
    else Action->UpdateTarget(c);
    return true;
  };
  if (tryControl(FActiveControl) || tryControl(this)) return true;
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* c = dynamic_cast<TControl*>(Components(i)); c && c->Visible() && tryControl(c)) return true;
  return false;
}

void TCustomForm::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_SHOWINGCHANGED: CMShowingChanged(Message); break;
    case CM_DIALOGKEY: CMDialogKey(Message); break;
    case WM_ACTIVATE: WMActivate(Message); break;
    case WM_CLOSE: WMClose(Message); break;
    case CM_RELEASE: Free(); break;
    case CM_ACTIONEXECUTE:
    case CM_ACTIONUPDATE:
      Message.Result = DispatchAction(Message.Msg, reinterpret_cast<TBasicAction*>(Message.LParam)) ? 1 : 0;
      break;
    case WM_SETFOCUS:
      DefaultHandler(Message);
      if (FActiveControl && FActiveControl->CanFocus()) ::SetFocus(FActiveControl->Handle());
      break;
    default: TScrollingWinControl::Dispatch(Message); break;
  }
}

// ======================= Screen =======================

RECT TMonitor::BoundsRect() const {
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  GetMonitorInfoA(FHandle, &mi);
  return mi.rcMonitor;
}

RECT TMonitor::WorkareaRect() const {
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  GetMonitorInfoA(FHandle, &mi);
  return mi.rcWork;
}

bool TMonitor::Primary() const {
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  GetMonitorInfoA(FHandle, &mi);
  return (mi.dwFlags & MONITORINFOF_PRIMARY) != 0;
}

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}
TScreen::~TScreen() = default;

void TScreen::AddForm(TCustomForm* Form) { FForms.push_back(Form); }

void TScreen::RemoveForm(TCustomForm* Form) {
  FForms.erase(std::remove(FForms.begin(), FForms.end(), Form), FForms.end());
  if (FActiveForm == Form) FActiveForm = nullptr;
}

void TScreen::SetActiveForm(TCustomForm* Form) { FActiveForm = Form; }

void TScreen::SetCursor(TCursor Value) {
  ScreenCursor = Value;
  if (Value == crDefault) {
    // The window under the mouse, if it is ours, chooses its own cursor again.
    POINT p;
    GetCursorPos(&p);
    HWND wnd = WindowFromPoint(p);
    if (wnd && GetWindowThreadProcessId(wnd, nullptr) == GetCurrentThreadId()) {
      LRESULT hit = SendMessageA(wnd, WM_NCHITTEST, 0, PointToLParam(p));
      SendMessageA(wnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(wnd), MAKELPARAM(hit, WM_MOUSEMOVE));
      return;
    }
  }
  ::SetCursor(CursorHandle(Value));
}

int TScreen::PixelsPerInch() const {
  HDC dc = GetDC(nullptr);
  int v = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return v;
}

RECT TScreen::WorkAreaRect() const {
  RECT r{0, 0, Width(), Height()};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

static BOOL CALLBACK CollectMonitor(HMONITOR m, HDC, LPRECT, LPARAM d) {
  reinterpret_cast<std::vector<HMONITOR>*>(d)->push_back(m);
  return TRUE;
}

void TScreen::RefreshMonitors() {
  std::vector<HMONITOR> handles;
  EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&handles));
  FMonitors.clear();
  for (size_t i = 0; i < handles.size(); ++i) FMonitors.emplace_back(new TMonitor(handles[i], static_cast<int>(i)));
}

int TScreen::MonitorCount() {
  RefreshMonitors();
  return static_cast<int>(FMonitors.size());
}

TMonitor* TScreen::Monitors(int Index) {
  if (FMonitors.empty()) RefreshMonitors();
  return FMonitors.at(static_cast<size_t>(Index)).get();
}

TMonitor* TScreen::MonitorOf(HMONITOR H) {
  if (!H) return nullptr;
  for (auto& m : FMonitors)
    if (m->Handle() == H) return m.get();
  RefreshMonitors();
  for (auto& m : FMonitors)
    if (m->Handle() == H) return m.get();
  return nullptr;
}

static DWORD MonitorFlag(TMonitorDefaultTo d) {
  return d == TMonitorDefaultTo::mdNearest ? MONITOR_DEFAULTTONEAREST
         : d == TMonitorDefaultTo::mdNull  ? MONITOR_DEFAULTTONULL
                                           : MONITOR_DEFAULTTOPRIMARY;
}

TMonitor* TScreen::MonitorFromRect(const RECT& Rect, TMonitorDefaultTo Default) {
  return MonitorOf(::MonitorFromRect(&Rect, MonitorFlag(Default)));
}

TMonitor* TScreen::MonitorFromPoint(POINT P, TMonitorDefaultTo Default) {
  return MonitorOf(::MonitorFromPoint(P, MonitorFlag(Default)));
}

TMonitor* TScreen::MonitorFromWindow(HWND Wnd, TMonitorDefaultTo Default) {
  return MonitorOf(::MonitorFromWindow(Wnd, MonitorFlag(Default)));
}

// ======================= THintWindow =======================

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  FVisible = false;
  FParentFont = false;
  FParentColor = false;
  FColor = clInfoBk;
  FBrush->SetColor(FColor);
  if (Screen->HintFont()) Font()->Assign(Screen->HintFont());
}

void THintWindow::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style = WS_POPUP | WS_BORDER;
  Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  Params.WndParent = nullptr;
  Params.WindowClass.style |= CS_SAVEBITS;
}

void THintWindow::Paint() {
  RECT r = ClientRect();
  InflateRect(&r, -2, -2);
  TCanvas* c = Canvas();
  c->Font()->SetColor(Screen->HintFont()->Color());
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  AnsiString text = Caption();
  c->RequiredState(csHandleValid | csFontValid | csBrushValid);
  DrawTextA(c->Handle(), text.c_str(), -1, &r, DT_LEFT | DT_NOPREFIX | DT_WORDBREAK | DrawTextBiDiModeFlagsReadingOnly());
}

void THintWindow::ActivateHint(RECT Rect, const AnsiString& AHint) {
  SetCaption(AHint);
  // Keep the window on the monitor of its position.
  if (TMonitor* m = Screen->MonitorFromRect(Rect)) {
    RECT w = m->BoundsRect();
    int width = Rect.right - Rect.left, height = Rect.bottom - Rect.top;
    if (Rect.right > w.right) OffsetRect(&Rect, w.right - Rect.right, 0);
    if (Rect.left < w.left) OffsetRect(&Rect, w.left - Rect.left, 0);
    if (Rect.bottom > w.bottom) OffsetRect(&Rect, 0, w.bottom - Rect.bottom);
    if (Rect.top < w.top) OffsetRect(&Rect, 0, w.top - Rect.top);
    Rect.right = Rect.left + width;
    Rect.bottom = Rect.top + height;
  }
  SetBounds(Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top);
  SetWindowPos(Handle(), HWND_TOPMOST, Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top,
               SWP_SHOWWINDOW | SWP_NOACTIVATE);
  FVisible = true;
  Invalidate();
}

void THintWindow::ActivateHintData(RECT Rect, const AnsiString& AHint, void*) { ActivateHint(Rect, AHint); }

RECT THintWindow::CalcHintRect(int MaxWidth, const AnsiString& AHint, void*) {
  RECT r{0, 0, MaxWidth, 0};
  TCanvas* c = Canvas();
  c->Font()->Assign(Font());
  c->RequiredState(csHandleValid | csFontValid);
  DrawTextA(c->Handle(), AHint.c_str(), -1, &r,
            DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DrawTextBiDiModeFlagsReadingOnly());
  static_cast<TControlCanvas*>(c)->FreeHandle();
  r.right += 6;
  r.bottom += 2;
  return r;
}

void THintWindow::ReleaseHandle() {
  FVisible = false;
  DestroyHandle();
}

void THintWindow::CMTextChanged(TMessage&) {
  AnsiString text = Caption();
  SIZE s{0, 0};
  TCanvas* c = Canvas();
  c->Font()->Assign(Font());
  s = c->TextExtent(text);
  static_cast<TControlCanvas*>(c)->FreeHandle();
  FWidth = s.cx + 6;
  FHeight = s.cy + 6;
}

void THintWindow::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED: CMTextChanged(Message); break;
    case WM_NCHITTEST: Message.Result = HTTRANSPARENT; break;
    default: TCustomControl::Dispatch(Message); break;
  }
}

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
      wc.hInstance = ModuleOfLibrary();
      wc.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
      wc.lpszClassName = "TApplication";
      return RegisterClassA(&wc) != 0;
    }();
    (void)registered;
    HWND h = CreateWindowExA(0, "TApplication", FTitle.c_str(),
                             WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                             GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr,
                             nullptr, ModuleOfLibrary(), nullptr);
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
  for (const TWindowHook& hook : std::vector<TWindowHook>(FWindowHooks))
    if (hook(Message)) return;
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
  for (int i = 0; i < Screen->FormCount(); ++i) {
    TCustomForm* f = Screen->Forms(i);
    if (f->HandleAllocated() && IsWindowVisible(f->WindowHandle()) && IsWindowEnabled(f->WindowHandle()))
      f->UpdateActions();
  }
}

void TApplication::DoMouseIdle() {
  POINT p;
  if (!GetCursorPos(&p)) return;
  TControl* c = FindDragTarget(p, true);
  if (c == FMouseControl) return;
  TControl* old = FMouseControl;
  FMouseControl = c;
  if (c) c->FreeNotification(this);
  if (old) old->Perform(CM_MOUSELEAVE, 0, 0);
  if (c) c->Perform(CM_MOUSEENTER, 0, 0);
  // The long part of the hint under the mouse becomes the application's hint (status lines).
  SetHint(GetLongHint(GetHint(c)));
  // The hint window follows the control under the mouse.
  if (c != FHintControl) {
    bool wasActive = FHintActive;
    CancelHint();
    FHintControl = c;
    if (c && FShowHint) StartHintTimer(wasActive ? FHintShortPause : FHintPause, 1);
  }
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FMouseControl) FMouseControl = nullptr;
  if (AComponent == FHintControl) {
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
  if (!FHintControl) FHintControl = FindDragTarget(CursorPos, true);
  DoHintShow(CursorPos);
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
  bool canShow = control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
  if (canShow && OnShowHint) OnShowHint(info.HintStr, canShow, info);
  if (!canShow || info.HintStr.empty()) {
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

VGT_PUBLISH(THintWindow) {}

VGT_PUBLISH(TScrollingWinControl) {
  P.Prop(L"AutoScroll", &TScrollingWinControl::AutoScroll, &TScrollingWinControl::SetAutoScroll);
}

VGT_PUBLISH(TScrollBox) {
  P.Prop(L"BorderStyle", &TScrollBox::BorderStyle, &TScrollBox::SetBorderStyle);
}

VGT_PUBLISH(TCustomForm) {
  P.Prop(L"Caption", &TControl::Caption, &TControl::SetCaption)
      .Prop(L"ClientWidth", &TControl::ClientWidth, &TControl::SetClientWidth, [](TCustomForm*) { return false; })
      .Prop(L"ClientHeight", &TControl::ClientHeight, &TControl::SetClientHeight, [](TCustomForm*) { return false; })
      .Prop(L"ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl)
      .Prop(L"BorderIcons", &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons)
      .Prop(L"BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle)
      .Prop(L"FormStyle", &TCustomForm::FormStyle, &TCustomForm::SetFormStyle)
      .Prop(L"KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview)
      .Prop(L"OldCreateOrder", &TCustomForm::OldCreateOrder, &TCustomForm::SetOldCreateOrder)
      .Prop(L"PixelsPerInch", &TCustomForm::PixelsPerInch, &TCustomForm::SetPixelsPerInch)
      .Prop(L"Position", &TCustomForm::Position, &TCustomForm::SetPosition)
      .Prop(L"Scaled", &TCustomForm::Scaled, &TCustomForm::SetScaled)
      .Prop(L"TextHeight", &TCustomForm::TextHeight, &TCustomForm::SetTextHeight)
      .Prop(L"WindowState", &TCustomForm::WindowState, &TCustomForm::SetWindowState)
      .Prop(L"AlphaBlend", &TCustomForm::AlphaBlend, &TCustomForm::SetAlphaBlend)
      .Prop(L"AlphaBlendValue", &TCustomForm::AlphaBlendValue, &TCustomForm::SetAlphaBlendValue)
      .Prop(L"TransparentColor", &TCustomForm::TransparentColor, &TCustomForm::SetTransparentColor)
      .Prop(L"TransparentColorValue", &TCustomForm::TransparentColorValue, &TCustomForm::SetTransparentColorValue)
      .Idents(ColorIdents())
      .Event(L"OnCreate", &TCustomForm::OnCreate)
      .Event(L"OnDestroy", &TCustomForm::OnDestroy)
      .Event(L"OnShow", &TCustomForm::OnShow)
      .Event(L"OnHide", &TCustomForm::OnHide)
      .Event(L"OnActivate", &TCustomForm::OnActivate)
      .Event(L"OnDeactivate", &TCustomForm::OnDeactivate)
      .Event(L"OnClose", &TCustomForm::OnClose)
      .Event(L"OnCloseQuery", &TCustomForm::OnCloseQuery);
}

VGT_PUBLISH(TForm) {}
